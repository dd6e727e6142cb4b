#pragma once

#include "platform/Workspace.h"

#include <QString>
#include <QUrl>
#include <QVariantList>

#include <functional>
#include <optional>

namespace vantel {

class SandboxFileAccess;
class SecurityScopedURLManager;

// The one place that hands something to the system to be opened: a file in
// its default application, a folder in the file manager (or the configured
// folder browser), an application with documents, a URL built from a
// template. Every file-system open passes the access check first and holds an
// access scope until the launch has answered.
//
// Each operation takes an optional completion that is called exactly once,
// on the main thread once the launch has answered, or at once when the open
// ends before it reaches the system: true when the item was opened. A file,
// folder, application, URL or filled template that the system does not open
// is shown in an alert with the reason before the completion runs; so is a
// file or folder (by path or by a file URL) that is gone or out of reach.
class OpenObject {
public:
    using Completion = std::function<void(bool opened)>;

    static OpenObject& shared();

    OpenObject(platform::Workspace& workspace, SandboxFileAccess& access, SecurityScopedURLManager& scopes);
    OpenObject(const OpenObject&) = delete;
    OpenObject& operator=(const OpenObject&) = delete;

    platform::Workspace& workspace() const { return workspace_; }

    // Shows the folder in the file manager.
    void showInFinder(const QUrl& url, Completion completion = {});
    // Opens a file-system object, or an application with the documents
    // (paths). True when the request went to the system.
    bool open(const QUrl& url, const std::optional<QVariantList>& documents, Completion completion = {});
    bool openWithApplication(const QUrl& documentURL, const QUrl& applicationURL, Completion completion = {});
    // Fills the placeholders of the template (asking the user where it says
    // so) and opens the result.
    void openURLString(const QString& urlString, const std::optional<QVariantList>& selectedObjects,
                       Completion completion = {});
    // Opens an address of the program's own (its web site, its help page, a
    // link in a help text) as URL entries open, with the default handler of
    // its scheme; a file URL passes the access check. An address that is no
    // URL opens nothing; one that no handler takes shows the openURLError
    // alert with the address.
    void openAddress(const QUrl& url, Completion completion = {});
    // Opens a file, application or folder by path. True when the request
    // went to the system. A path that is gone is told by the entry's name,
    // or by the file's when none is given.
    bool openPath(const QString& path, const std::optional<QVariantList>& documents, Completion completion = {},
                  const QString& entryName = {});

    // Tells that the entry's file or folder at `path` is gone or out of
    // reach, as opening it would: by the entry's name, or by the file's
    // when none is given.
    static void tellUnreachable(const QString& path, const QString& entryName);

    // The same for every request: no new instance, activate, not for
    // printing, prompt when needed.
    static platform::OpenConfiguration openConfiguration();

    // Something that can be launched with documents: an executable file or
    // the desktop entry of an application (a desktop entry is not executable
    // itself).
    static bool isLaunchableApplication(const QString& path);

private:
    bool openFile(const QUrl& url, const std::optional<QVariantList>& documents, Completion completion);
    bool openFolder(const QUrl& url, Completion completion, const QString& entryName);

    platform::Workspace& workspace_;
    SandboxFileAccess& access_;
    SecurityScopedURLManager& scopes_;
};

} // namespace vantel
