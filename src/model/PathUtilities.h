#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace vantel {

// False for an empty path; otherwise whether the file or folder exists.
bool isReachablePath(const QString& path);
// False for an empty or unreachable path; otherwise whether it may be executed.
bool isExecutablePath(const QString& path);
// True when the text holds a colon and no line terminator, i.e. the whole
// lower-cased text matches "^(.*:).*" with "." stopping at line breaks.
bool hasURLScheme(const QString& text);

// The text without the characters at both ends for which `trimmed` holds.
QString trimmingCharacters(const QString& text, bool (*trimmed)(QChar));
// Spaces and tabs (any horizontal space) off both ends; line breaks stay.
QString trimmingWhitespace(const QString& text);

struct ExecutableResult {
    QStringList outputLines;
    QStringList errorLines;
    qint32 exitStatus = -1;
};
// Runs the executable and waits for it; both pipes are read to the end at the
// same time. An unreachable path runs nothing and answers -1 without a log
// line; a failed launch logs and answers -1.
ExecutableResult runExecutable(const QString& executablePath, const QStringList& arguments);

// Resource tests of a file URL; an unreadable answer counts as false.
// An application is a desktop entry (a ".desktop" file of Type=Application);
// Linux has no packages.
bool isApplication(const QUrl& fileUrl);
bool isPackage(const QUrl& fileUrl);
bool isDirectory(const QUrl& fileUrl);
bool isRegularFile(const QUrl& fileUrl);
bool volumeIsLocal(const QUrl& fileUrl);
// The mount point that holds the file, as a file URL.
std::optional<QUrl> volumeURL(const QUrl& fileUrl);

// The name a file manager shows: an application's localized Name, else the
// file name.
QString displayNameAtPath(const QString& path);

} // namespace vantel
