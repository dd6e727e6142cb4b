#include "access/SandboxFileAccess.h"

#include "access/FileURLs.h"
#include "access/SandboxFileAccessOpenSavePanelDelegate.h"
#include "access/SandboxFileAccessPersistDictionary.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "platform/Bookmark.h"
#include "platform/Bundle.h"
#include "platform/Dialogs.h"
#include "platform/FileFacts.h"
#include "platform/MainQueue.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace vantel {

using platform::Bookmark;
using platform::LogType;

namespace {

QString word(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString urlText(const QUrl& url)
{
    return url.toString();
}

// The direct access that `required` asks for, when the location exists and
// its permission bits refuse it. A grant from the chooser cannot help here:
// the system still applies the bits.
std::optional<Permissions> refusedDirectAccess(const QUrl& url, Permissions required, const AccessInfo& info)
{
    const Permissions direct{required.rawValue & (Permissions::readBit | Permissions::readWriteBit)};
    if (direct.isEmpty() || info.permissions.intersects(direct))
        return std::nullopt;
    // stat(2), not access(2): the location exists, whoever may read it.
    if (!platform::FileFacts::isReachable(FileURLs::cleanPath(url)))
        return std::nullopt;
    return direct;
}

void tellPermissionsRefuse(const QUrl& url, Permissions refused)
{
    const QString path = FileURLs::cleanPath(url);
    const QString message = localized("No access to \u201c%1\u201d").arg(FileURLs::lastPathComponent(path));
    const QString informative = refused.contains(Permissions::read())
        ? localized("The permissions of \u201c%1\u201d do not let your account read it. Allowing access "
                    "here cannot change that: ask its owner, or change its permissions.")
        : localized("The permissions of \u201c%1\u201d do not let your account change it. Allowing access "
                    "here cannot change that: ask its owner, or change its permissions.");
    SandboxFileAccess::showAlert(message, informative.arg(path));
}

} // namespace

SandboxFileAccess& SandboxFileAccess::shared()
{
    // Lives for the whole run; the shell saves the store at termination.
    static SandboxFileAccess* instance = new SandboxFileAccess;
    return *instance;
}

SandboxFileAccess::SandboxFileAccess(std::shared_ptr<SandboxFileAccessProtocol> store)
    : title_(localized("Allow Access"))
    , prompt_(L10n::SandboxDlg_Prompt())
    , store_(store ? std::move(store) : SandboxFileAccessPersistDictionary::create())
{
    store_->loadBookmarks();
}

SandboxFileAccess::~SandboxFileAccess()
{
    if (const auto store = persistanceBookmarkStorage())
        store->saveBookmarks();
}

QString SandboxFileAccess::title() const
{
    return readLocked(title_);
}

void SandboxFileAccess::setTitle(const QString& title)
{
    exchangeLocked(title_, title);
}

std::optional<QString> SandboxFileAccess::message() const
{
    return readLocked(message_);
}

void SandboxFileAccess::setMessage(const std::optional<QString>& message)
{
    exchangeLocked(message_, message);
}

QString SandboxFileAccess::prompt() const
{
    return readLocked(prompt_);
}

void SandboxFileAccess::setPrompt(const QString& prompt)
{
    exchangeLocked(prompt_, prompt);
}

std::shared_ptr<SandboxFileAccessProtocol> SandboxFileAccess::persistanceBookmarkStorage() const
{
    return readLocked(store_);
}

void SandboxFileAccess::setPersistanceBookmarkStorage(std::shared_ptr<SandboxFileAccessProtocol> store)
{
    if (!store)
        return;
    std::lock_guard lock(mutex_);
    store_ = std::move(store);
}

AccessInfo SandboxFileAccess::accessInfo(const QUrl& url) const
{
    AccessInfo info;
    const QUrl resolved = FileURLs::standardizedResolved(url);
    const auto [bookmarkURL, data] = const_cast<SandboxFileAccess*>(this)->allowedURLAndBookmarkData(resolved);
    if (bookmarkURL) {
        info.permissions.insert(Permissions::bookmark());
        info.securityScopedURL = bookmarkURL;
    }
    info.bookmarkData = data;
    // Direct access is judged on the URL as given.
    const QString path = FileURLs::cleanPath(url);
    const bool reachable = FileURLs::isReachable(url);
    if (reachable && Bookmark::isReadable(path))
        info.permissions.insert(Permissions::read());
    if (reachable && Bookmark::isReadWritable(path))
        info.permissions.insert(Permissions::readWrite());

    VLOG(Logger::sandboxFileAccess(), LogType::Default, "AccessInfo: %{public}@",
         QStringLiteral("[Read: ") + word(info.permissions.contains(Permissions::read()))
             + QStringLiteral("] [Read/Write: ") + word(info.permissions.contains(Permissions::readWrite()))
             + QStringLiteral("] [Bookmark: ") + word(info.permissions.contains(Permissions::bookmark()))
             + QStringLiteral("]") + QStringLiteral(" : ") + urlText(url));
    return info;
}

bool SandboxFileAccess::canAccess(const QUrl& url, Permissions permissions) const
{
    return permissions.isEmpty() || accessInfo(url).permissions.intersects(permissions);
}

std::pair<std::optional<QUrl>, std::optional<QByteArray>> SandboxFileAccess::allowedURLAndBookmarkData(const QUrl& url)
{
    const QUrl resolved = FileURLs::standardizedResolved(url);
    const auto store = persistanceBookmarkStorage();
    const auto covering = store->coveringBookmark(resolved);
    if (!covering)
        return {std::nullopt, std::nullopt};

    const auto& [storedKey, data] = *covering;
    const Bookmark::Resolution resolution =
        Bookmark::resolveBookmark(data, Bookmark::WithSecurityScope | Bookmark::WithoutUI);
    if (!resolution.ok())
        return {std::nullopt, data};
    if (!resolution.stale)
        return {resolution.url, data};

    VLOG(Logger::sandboxFileAccess(), LogType::Error,
         "allowedURLAndBookmarkData -> BookmarkData is Stale, try to recreate it ...");
    // The stale grant is dropped under the key it was found by, so that it
    // cannot come back on the next lookup.
    store->clearBookmark(storedKey);
    const QUrl bookmarkURL = resolution.url.value_or(storedKey);
    if (const auto renewed = Bookmark::createBookmark(bookmarkURL, Bookmark::CreationWithSecurityScope)) {
        store->setBookmark(*renewed, bookmarkURL);
        return {bookmarkURL, *renewed};
    }
    VLOG(Logger::sandboxFileAccess(), LogType::Error, "allowedURLAndBookmarkData -> Unable to recreate stale BookmarkData!");
    return {std::nullopt, std::nullopt};
}

void SandboxFileAccess::access(const QUrl& url, Permissions required, bool askIfNecessary, bool persist,
                               const Completion& completion)
{
    const AccessInfo info = accessInfo(url);
    if (const std::optional<Permissions> refused = refusedDirectAccess(url, required, info)) {
        VLOG(Logger::sandboxFileAccess(), LogType::Error,
             "Access not possible, the file permissions refuse it (a grant cannot help): %{public}@", urlText(url));
        // Told where the chooser would have been shown, and only there.
        if (askIfNecessary && platform::MainQueue::isMainThread())
            tellPermissionsRefuse(url, *refused);
        if (completion)
            completion(Result{info, Fail::refusedByFilePermissions});
        return;
    }
    if (required.isEmpty() || info.permissions.intersects(required)) {
        VLOG(Logger::sandboxFileAccess(), LogType::Default, "Access possible to %{public}@", urlText(url));
        secureAccess(info, completion);
        return;
    }
    if (askIfNecessary) {
        const QUrl resolved = FileURLs::standardizedResolved(url);
        const bool shown = askPermission(resolved, [&](const std::optional<QUrl>& chosen) {
            handlePermissionResult(chosen, url, completion, info, persist);
        });
        if (shown)
            return;
        // The chooser can only be shown on the main thread: fail now rather
        // than leave the caller waiting for an answer that never comes.
        VLOG(Logger::sandboxFileAccess(), LogType::Error,
             "Access not possible and we do not want to ask for permission for %{public}@", urlText(url));
        if (completion)
            completion(Result{info, Fail::needToAskPermission});
        return;
    }
    VLOG(Logger::sandboxFileAccess(), LogType::Error,
         "Access not possible and we do not want to ask for permission for %{public}@", urlText(url));
    if (completion)
        completion(Result{info, Fail::needToAskPermission});
}

void SandboxFileAccess::handlePermissionResult(const std::optional<QUrl>& chosen, const QUrl& requested,
                                               const Completion& completion, const AccessInfo& info, bool persist)
{
    if (!chosen) {
        VLOG(Logger::sandboxFileAccess(), LogType::Default,
             "Access not possible and user did not grant permission for %{public}@", urlText(requested));
        if (completion)
            completion(Result{info, Fail::userDidntGrantPermission});
        return;
    }
    if (persist) {
        const auto store = persistanceBookmarkStorage();
        if (const auto data = Bookmark::createBookmark(*chosen, Bookmark::CreationWithSecurityScope))
            store->setBookmark(*data, *chosen);
        store->saveBookmarks();
    }
    const AccessInfo renewed = accessInfo(requested);
    VLOG(Logger::sandboxFileAccess(), LogType::Default, "Access possible to %{public}@", urlText(requested));
    secureAccess(renewed, completion);
}

SandboxFileAccess::Result SandboxFileAccess::secureAccess(const AccessInfo& info, const Completion& completion)
{
    Result result{info, std::nullopt};
    if (info.permissions.contains(Permissions::read()) || info.permissions.contains(Permissions::readWrite())
        || !info.securityScopedURL) {
        VLOG(Logger::sandboxFileAccess(), LogType::Default, "secureAccess -> Access allowed without SecurityScopedBookmark");
        if (completion)
            completion(result);
        return result;
    }
    if (!Bookmark::startAccessing(*info.securityScopedURL)) {
        VLOG(Logger::sandboxFileAccess(), LogType::Fault,
             "secureAccess -> Unexpectedly failed to startAccessingSecurityScopedResource");
        result.failure = Fail::unexpectedlyUnableToAccessBookmark;
        if (completion)
            completion(result);
        return result;
    }
    VLOG(Logger::sandboxFileAccess(), LogType::Default, "secureAccess -> Access allowed with SecurityScopedBookmark: %{public}@",
         urlText(*info.securityScopedURL));
    // The scope is held only while the completion runs.
    if (completion)
        completion(result);
    Bookmark::stopAccessing(*info.securityScopedURL);
    return result;
}

SandboxFileAccess::HasAccessResult SandboxFileAccess::hasAccess(const QUrl& url, Permissions required)
{
    HasAccessResult answer;
    access(url, required, true, true, [&](const Result& result) {
        if (!result.succeeded()) {
            VLOG(Logger::sandboxFileAccess(), LogType::Error, "hasAccess: We need access but something got wrong: %{public}@",
                 urlText(url));
            answer.granted = false;
            return;
        }
        answer.granted = true;
        const AccessInfo& info = result.accessInfo;
        const bool haveBookmark = info.securityScopedURL.has_value() && info.bookmarkData.has_value();
        if (info.permissions.contains(Permissions::read()) && required.contains(Permissions::read())) {
            VLOG(Logger::sandboxFileAccess(), LogType::Default,
                 "hasAccess: We have readonly-Access without Bookmark to: %{public}@", urlText(url));
            answer.bookmarkNeeded = false;
            answer.bookmarkData = haveBookmark ? info.bookmarkData : std::nullopt;
        } else if (info.permissions.contains(Permissions::readWrite()) && required.contains(Permissions::readWrite())) {
            VLOG(Logger::sandboxFileAccess(), LogType::Default,
                 "hasAccess: We have read/write-Access without Bookmark to: %{public}@", urlText(url));
            answer.bookmarkNeeded = false;
            answer.bookmarkData = haveBookmark ? info.bookmarkData : std::nullopt;
        } else if (info.permissions.contains(Permissions::bookmark()) && required.contains(Permissions::bookmark())) {
            answer.bookmarkNeeded = true;
            if (haveBookmark) {
                VLOG(Logger::sandboxFileAccess(), LogType::Default, "hasAccess: We have access with Bookmark to: %{public}@",
                     urlText(url));
                answer.bookmarkData = info.bookmarkData;
            } else {
                VLOG(Logger::sandboxFileAccess(), LogType::Error,
                     "hasAccess: We need Bookmark-Access but something got wrong: %{public}@", urlText(url));
            }
        }
    });
    return answer;
}

std::optional<QByteArray> SandboxFileAccess::persistBookmark(const QUrl& url)
{
    const auto data = Bookmark::createBookmark(url, Bookmark::CreationWithSecurityScope);
    if (!data)
        return std::nullopt;
    persistanceBookmarkStorage()->setBookmark(*data, url);
    return data;
}

QUrl SandboxFileAccess::nearestExistingURL(const QUrl& url)
{
    QString path = FileURLs::cleanPath(url);
    if (path.isEmpty())
        path = url.toLocalFile();
    while (path.size() >= 2 && !QFileInfo::exists(path))
        path = FileURLs::parentPath(path);
    return QUrl::fromLocalFile(path);
}

platform::OpenPanelRequest SandboxFileAccess::openPanel(const QUrl& url) const
{
    const SandboxFileAccessOpenSavePanelDelegate rule(url);
    const QString path = FileURLs::cleanPath(url);

    platform::OpenPanelRequest request;
    request.message = message().value_or(defaultPanelMessage(url));
    request.canCreateDirectories = false;
    request.canChooseFiles = !QFileInfo(path).isDir();
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = false;
    request.prompt = prompt();
    request.title = title();
    request.showsHiddenFiles = false;
    request.directory = nearestExistingURL(url).toLocalFile();
    request.isEnabled = [rule](const QString& candidate) { return rule.isAllowed(candidate); };
    request.validate = [rule](const QString& candidate, QString* reason) {
        if (rule.isAllowed(candidate))
            return true;
        if (reason)
            *reason = SandboxFileAccessOpenSavePanelDelegate::wrongFileDescription();
        return false;
    };
    return request;
}

bool SandboxFileAccess::askPermission(const QUrl& url,
                                      const std::function<void(const std::optional<QUrl>& chosen)>& completion)
{
    if (!platform::MainQueue::isMainThread())
        return false;
    const platform::OpenPanelResponse response = platform::Dialogs::runOpenPanel(openPanel(url));
    std::optional<QUrl> chosen;
    if (response.accepted && !response.paths.isEmpty() && !response.paths.first().isEmpty())
        chosen = QUrl::fromLocalFile(response.paths.first());
    if (completion)
        completion(chosen);
    return true;
}

QString SandboxFileAccess::defaultPanelMessage(const QUrl& url) const
{
    QString name = QStringLiteral("This App");
    const auto& bundle = platform::Bundle::main();
    const QVariant displayName = bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleDisplayName"));
    const QVariant bundleName = bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleName"));
    if (displayName.typeId() == QMetaType::QString)
        name = displayName.toString();
    else if (bundleName.typeId() == QMetaType::QString)
        name = bundleName.toString();
    QString path = FileURLs::cleanPath(url);
    return localized("%1 needs to access '%2' to continue. Click Allow to continue.")
        .arg(name, FileURLs::lastPathComponent(path));
}

void SandboxFileAccess::readVolumeAttributes(const QUrl& url)
{
    const std::optional<QUrl> volume = volumeURL(url);
    if (!volume || !volume->isLocalFile())
        return;
    struct stat info {};
    (void)::stat(QFile::encodeName(volume->toLocalFile()).constData(), &info);
}

void SandboxFileAccess::showAlert(const QString& messageText, const QString& informativeText)
{
    platform::AlertRequest request;
    request.style = platform::AlertStyle::Informational;
    request.messageText = messageText;
    request.informativeText = informativeText;
    request.buttons = {L10n::dialogtext_ok()};
    platform::Dialogs::runAlert(request);
}

} // namespace vantel
