#include "platform/DialogProvider.h"

#include <QFileInfo>

#include <mutex>

namespace vantel::platform {

namespace {

// Answers every question as cancelled, but leaves a trace of it: a program
// without a display must not lose the error messages it meant to show.
class HeadlessDialogProvider final : public DialogProvider {
public:
    AlertResponse runAlert(const AlertRequest& request) override
    {
        qWarning("Alert not shown (no dialog provider): %s - %s", qPrintable(request.messageText),
                 qPrintable(request.informativeText));
        return {};
    }
    OpenPanelResponse runOpenPanel(const OpenPanelRequest& request) override
    {
        qWarning("Open panel not shown (no dialog provider): %s", qPrintable(request.message));
        return {};
    }

    SavePanelResponse runSavePanel(const SavePanelRequest& request) override
    {
        qWarning("Save panel not shown (no dialog provider): %s", qPrintable(request.message));
        return {};
    }
};

std::mutex g_mutex;
std::shared_ptr<DialogProvider> g_provider;

} // namespace

std::shared_ptr<DialogProvider> DialogProvider::shared()
{
    std::lock_guard lock(g_mutex);
    if (!g_provider)
        g_provider = std::make_shared<HeadlessDialogProvider>();
    return g_provider;
}

SavePanelResponse DialogProvider::runSavePanel(const SavePanelRequest& request)
{
    qWarning("Save panel not shown (the dialog provider has none): %s", qPrintable(request.message));
    return {};
}

QString DialogProvider::pathWithAllowedExtension(const SavePanelRequest& request, const QString& chosen)
{
    if (request.allowsOtherFileTypes || request.allowedFileTypes.isEmpty() || chosen.isEmpty())
        return chosen;
    for (const QString& type : request.allowedFileTypes)
        if (chosen.endsWith(QLatin1Char('.') + type))
            return chosen;
    return chosen + QLatin1Char('.') + request.allowedFileTypes.first();
}

QString DialogProvider::fileFilter(const QStringList& types, const QString& description)
{
    if (types.isEmpty())
        return QString();
    QStringList patterns;
    for (const QString& type : types)
        patterns.append(QStringLiteral("*.") + type);
    const QString joined = patterns.join(QLatin1Char(' '));
    return description.isEmpty() ? joined : description + QStringLiteral(" (") + joined + QLatin1Char(')');
}

bool DialogProvider::showsFile(const OpenPanelRequest& request, const QString& path)
{
    if (request.allowedFileTypes.isEmpty() || QFileInfo(path).isDir())
        return true;
    for (const QString& type : request.allowedFileTypes)
        if (path.endsWith(QLatin1Char('.') + type))
            return true;
    return false;
}

void DialogProvider::setShared(std::shared_ptr<DialogProvider> provider)
{
    std::lock_guard lock(g_mutex);
    g_provider = std::move(provider);
}

} // namespace vantel::platform
