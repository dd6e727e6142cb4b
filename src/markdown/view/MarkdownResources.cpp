#include "markdown/view/MarkdownResources.h"

#include "platform/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <mutex>

namespace vantel {

namespace {

std::mutex& folderMutex()
{
    static std::mutex mutex;
    return mutex;
}

QString& configuredFolder()
{
    static QString folder;
    return folder;
}

bool isPlainName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QStringLiteral(".")
        && name != QStringLiteral("..") && !name.contains(QChar(0));
}

} // namespace

QString MarkdownResources::resourceFolder()
{
    {
        std::lock_guard lock(folderMutex());
        if (!configuredFolder().isEmpty())
            return configuredFolder();
    }
    return platform::Bundle::main().resourcePath();
}

void MarkdownResources::setResourceFolder(const QString& folder)
{
    std::lock_guard lock(folderMutex());
    configuredFolder() = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

std::optional<QString> MarkdownResources::pathForResource(const QString& name)
{
    if (!isPlainName(name))
        return std::nullopt;
    return platform::Bundle::resourceIn(resourceFolder(), name, platform::Bundle::userLanguages());
}

std::optional<QColor> MarkdownResources::color(const QString& name)
{
    const std::optional<QString> path = pathForResource(QStringLiteral("Colors.json"));
    if (!path)
        return std::nullopt;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll());
    const QString value = json.object().value(name).toString();
    const QColor color = QColor::fromString(value);
    if (value.isEmpty() || !color.isValid())
        return std::nullopt;
    return color;
}

QImage MarkdownResources::image(const QString& name)
{
    if (!isPlainName(name))
        return QImage();
    for (const char* extension : {"", ".png", ".svg"}) {
        const std::optional<QString> path = pathForResource(name + QString::fromLatin1(extension));
        if (!path)
            continue;
        QImageReader reader(*path);
        const QImage image = reader.read();
        if (!image.isNull())
            return image;
    }
    return QImage();
}

} // namespace vantel
