#include "model/PathUtilities.h"

#include "model/Logger.h"
#include "platform/FileFacts.h"
#include "platform/Process.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <unistd.h>

namespace vantel {

namespace {

QString localPath(const QUrl& fileUrl)
{
    return fileUrl.isLocalFile() ? fileUrl.toLocalFile() : QString();
}

// Splits decoded output into lines; none when it is not valid UTF-8.
QStringList outputLines(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return {};
    const auto isLineTerminator = [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x0B) || c == QChar(0x0C)
            || c == QChar(0x85) || c == QChar(0x2028) || c == QChar(0x2029);
    };
    return trimmingCharacters(text, isLineTerminator).split(QLatin1Char('\n'));
}

} // namespace

QString trimmingCharacters(const QString& text, bool (*trimmed)(QChar))
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && trimmed(text.at(begin)))
        ++begin;
    while (end > begin && trimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString trimmingWhitespace(const QString& text)
{
    return trimmingCharacters(text, [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; });
}

bool isReachablePath(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo::exists(path);
}

bool isExecutablePath(const QString& path)
{
    if (!isReachablePath(path))
        return false;
    return ::access(QFile::encodeName(path).constData(), X_OK) == 0;
}

bool hasURLScheme(const QString& text)
{
    const QString lower = text.toLower();
    if (!lower.contains(QLatin1Char(':')))
        return false;
    for (const QChar c : lower) {
        switch (c.unicode()) {
        case '\n': case '\r': case 0x0B: case 0x0C: case 0x85: case 0x2028: case 0x2029:
            return false;
        default:
            break;
        }
    }
    return true;
}

ExecutableResult runExecutable(const QString& executablePath, const QStringList& arguments)
{
    ExecutableResult result;
    if (!isReachablePath(executablePath))
        return result;
    const platform::Process::Result run = platform::Process::run(executablePath, arguments);
    if (!run.launched) {
        VLOG(Logger::shortcuts(), platform::LogType::Default, "Task creation failed with error: %{public}@ items",
             run.errorDescription);
        return result;
    }
    result.outputLines = outputLines(run.standardOutput);
    result.errorLines = outputLines(run.standardError);
    result.exitStatus = run.exitStatus;
    return result;
}

bool isApplication(const QUrl& fileUrl)
{
    return platform::FileFacts::isApplication(localPath(fileUrl));
}

bool isPackage(const QUrl& fileUrl)
{
    return platform::FileFacts::isPackage(localPath(fileUrl));
}

bool isDirectory(const QUrl& fileUrl)
{
    return platform::FileFacts::isDirectory(localPath(fileUrl));
}

bool isRegularFile(const QUrl& fileUrl)
{
    return platform::FileFacts::isRegularFile(localPath(fileUrl));
}

bool volumeIsLocal(const QUrl& fileUrl)
{
    return platform::FileFacts::volumeIsLocal(localPath(fileUrl)).value_or(false);
}

std::optional<QUrl> volumeURL(const QUrl& fileUrl)
{
    const auto mountPoint = platform::FileFacts::volumePath(localPath(fileUrl));
    if (!mountPoint)
        return std::nullopt;
    return QUrl::fromLocalFile(*mountPoint);
}

QString displayNameAtPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    return platform::FileFacts::displayName(path);
}

} // namespace vantel
