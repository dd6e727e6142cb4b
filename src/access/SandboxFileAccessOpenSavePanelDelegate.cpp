#include "access/SandboxFileAccessOpenSavePanelDelegate.h"

#include "access/FileURLs.h"
#include "model/LocalizedStrings.h"

#include <QDir>

namespace vantel {

SandboxFileAccessOpenSavePanelDelegate::SandboxFileAccessOpenSavePanelDelegate(const QUrl& requested)
    : pathComponents(componentsOf(FileURLs::cleanPath(requested)))
{
}

QStringList SandboxFileAccessOpenSavePanelDelegate::componentsOf(const QString& path)
{
    if (path.isEmpty())
        return {};
    QStringList components;
    const QString clean = QDir::cleanPath(path);
    if (clean.startsWith(QLatin1Char('/')))
        components.append(QStringLiteral("/"));
    components.append(clean.split(QLatin1Char('/'), Qt::SkipEmptyParts));
    return components;
}

bool SandboxFileAccessOpenSavePanelDelegate::isAllowed(const QString& candidatePath) const
{
    const QStringList candidate = componentsOf(candidatePath);
    if (candidate.size() > pathComponents.size())
        return false;
    for (qsizetype i = 0; i < candidate.size(); ++i)
        if (candidate.at(i) != pathComponents.at(i))
            return false;
    return true;
}

QString SandboxFileAccessOpenSavePanelDelegate::wrongFileDescription()
{
    return localized("Please allow the originally requested location");
}

} // namespace vantel
