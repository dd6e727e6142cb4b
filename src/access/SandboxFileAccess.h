#pragma once

#include "access/AccessInfo.h"
#include "access/Permissions.h"
#include "access/SandboxFileAccessProtocol.h"
#include "model/GuardedFields.h"
#include "platform/DialogProvider.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace vantel {

// Decides whether and how a path may be used: directly (access(2) allows it),
// through a bookmark the user granted earlier, or after asking the user with a
// chooser locked to the location. Failures reach the caller's completion as
// the failure side of the result; nothing is thrown.
class SandboxFileAccess : private GuardedFields {
public:
    // refusedByFilePermissions: the location exists but its permission bits
    // refuse this account what was asked; no grant can change that.
    enum class Fail {
        needToAskPermission,
        userDidntGrantPermission,
        unexpectedlyUnableToAccessBookmark,
        refusedByFilePermissions
    };

    struct Result {
        AccessInfo accessInfo;
        std::optional<Fail> failure; // none: success
        bool succeeded() const { return !failure.has_value(); }
    };
    using Completion = std::function<void(const Result& result)>;

    struct HasAccessResult {
        bool granted = false;
        bool bookmarkNeeded = false;
        std::optional<QByteArray> bookmarkData;
    };

    static SandboxFileAccess& shared();

    // A new object that loads its store at once. With no store, the store of
    // "Bookmarks.dict" in the documents folder.
    explicit SandboxFileAccess(std::shared_ptr<SandboxFileAccessProtocol> store = nullptr);
    // Saves the store.
    ~SandboxFileAccess();
    SandboxFileAccess(const SandboxFileAccess&) = delete;
    SandboxFileAccess& operator=(const SandboxFileAccess&) = delete;

    QString title() const;
    void setTitle(const QString& title);
    std::optional<QString> message() const;
    void setMessage(const std::optional<QString>& message);
    QString prompt() const;
    void setPrompt(const QString& prompt);
    std::shared_ptr<SandboxFileAccessProtocol> persistanceBookmarkStorage() const;
    void setPersistanceBookmarkStorage(std::shared_ptr<SandboxFileAccessProtocol> store);

    AccessInfo accessInfo(const QUrl& url) const;
    bool canAccess(const QUrl& url, Permissions permissions) const;

    // The completion runs on the caller's thread before this returns. The
    // chooser is shown on the main thread only; asked elsewhere, the request
    // fails at once with needToAskPermission. An existing location whose
    // permission bits refuse the reading (or writing) asked for fails with
    // refusedByFilePermissions, whatever grant is stored, and where the
    // chooser would have been shown the user is told why instead.
    void access(const QUrl& url, Permissions required, bool askIfNecessary, bool persist, const Completion& completion);

    // `access` with asking allowed and persist on, answered at once.
    HasAccessResult hasAccess(const QUrl& url, Permissions required);

    Result secureAccess(const AccessInfo& info, const Completion& completion);
    std::optional<QByteArray> persistBookmark(const QUrl& url);
    std::pair<std::optional<QUrl>, std::optional<QByteArray>> allowedURLAndBookmarkData(const QUrl& url);
    static QUrl nearestExistingURL(const QUrl& url);
    platform::OpenPanelRequest openPanel(const QUrl& url) const;
    // Shows the chooser (main thread only) and hands over the chosen URL, or
    // none when it was cancelled. Answers false, without calling the
    // completion, when it could not be shown on this thread.
    bool askPermission(const QUrl& url, const std::function<void(const std::optional<QUrl>& chosen)>& completion);
    void handlePermissionResult(const std::optional<QUrl>& chosen, const QUrl& requested, const Completion& completion,
                                const AccessInfo& info, bool persist);
    QString defaultPanelMessage(const QUrl& url) const;

    // Reads the attributes of the volume that holds the URL; the answer is
    // not used. Wakes a sleeping disk before an open by path.
    static void readVolumeAttributes(const QUrl& url);

    // A modal alert with one "OK" button, from any thread.
    static void showAlert(const QString& messageText, const QString& informativeText);

private:
    QString title_;
    std::optional<QString> message_;
    QString prompt_;
    std::shared_ptr<SandboxFileAccessProtocol> store_;
};

} // namespace vantel
