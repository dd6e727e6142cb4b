#include "access/OpenObject.h"

#include "access/FileURLs.h"
#include "access/ParsedURL.h"
#include "access/SandboxFileAccess.h"
#include "access/SecurityScopedURLManager.h"
#include "access/URLRegExParser.h"
#include "config/Configuration.h"
#include "model/FileObjectKind.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "platform/SafeFile.h"

#include <QFileInfo>

namespace vantel {

using platform::LogType;

namespace {

constexpr Permissions kOpenPermissions = Permissions::bookmark() | Permissions::read();

void finish(const OpenObject::Completion& completion, bool opened)
{
    if (completion)
        completion(opened);
}

QString absolute(const QUrl& url)
{
    return url.toString();
}

// Why the system did not open it: ours where we know the cause, else the
// handler's answer.
QString reasonFor(const platform::WorkspaceError& error)
{
    using Error = platform::WorkspaceError;
    if (error.domain == Error::errorDomain) {
        switch (error.code) {
        case Error::applicationMissing:
            return localized("The application does not exist.");
        case Error::entryNotTrusted:
            return localized("Its desktop entry lies outside the applications folders and is not marked as executable.");
        case Error::notAnApplication:
            return localized("It is not an application.");
        case Error::fileMissing:
            return localized("It does not exist.");
        case Error::noDefaultApplication:
            return localized("No application is set to open it.");
        case Error::entryUnusable:
            return localized("Its desktop entry can't be read, or its program is missing.");
        case Error::terminalMissing:
            return localized("It runs in a terminal, and no terminal was found.");
        default:
            break;
        }
    }
    if (!error.reason.isEmpty())
        return error.reason;
    return error.localizedDescription;
}

// A file by its name, anything else by its address.
QString shownNameOf(const QUrl& url)
{
    return url.isLocalFile() ? displayNameAtPath(FileURLs::cleanPath(url)) : url.toDisplayString();
}

// Every open the system refuses (a file, folder, application, URL or
// template) is told here: in an alert, with what could not be opened and why.
void alertOpenFailed(const QUrl& url, const platform::WorkspaceError& error)
{
    SandboxFileAccess::showAlert(localized("\"%1\" could not be opened.").arg(shownNameOf(url)), reasonFor(error));
}

// An entry whose file or folder is gone is told, not dropped in silence.
// When the folder that held it is still there, it was moved or deleted;
// otherwise that folder, or the drive it was on, is out of reach. A link is
// judged by the folder of what it points to (its target's path, followed
// without opening anything), not by the folder that holds the link.
void alertUnreachable(const QUrl& url, const QString& entryName)
{
    const QString path = FileURLs::cleanPath(url);
    const QFileInfo holder(QFileInfo(platform::writeTargetOf(path)).absolutePath());
    const bool holderReachable = holder.isDir() && holder.isExecutable();
    SandboxFileAccess::showAlert(
        localized("\"%1\" could not be opened.").arg(entryName.isEmpty() ? displayNameAtPath(path) : entryName),
        holderReachable
            ? localized("Its file or folder can't be found. It may have been moved, renamed or deleted.")
            : localized("Its file or folder can't be reached. The folder or drive it is on is missing, not "
                        "connected or closed to your account."));
}

// Elements that are all strings, or none when any is not.
std::optional<QStringList> castToStringArray(const QVariantList& values)
{
    QStringList strings;
    for (const QVariant& value : values) {
        if (value.typeId() != QMetaType::QString)
            return std::nullopt;
        strings.append(value.toString());
    }
    return strings;
}

// True when a value filled into a file URL could lead out of the template's
// folder: the path decodes an encoded "/" again, and ".." climbs up.
bool leavesTemplateFolder(const QList<RegExURLMatch>& matches)
{
    for (const RegExURLMatch& match : matches) {
        if (!match.replaceWith)
            continue;
        const QString value = QUrl::fromPercentEncoding(match.replaceWith->toUtf8());
        if (value.contains(QLatin1Char('/')) || value.contains(QStringLiteral("..")))
            return true;
    }
    return false;
}

} // namespace

OpenObject& OpenObject::shared()
{
    static OpenObject* instance =
        new OpenObject(platform::Workspace::shared(), SandboxFileAccess::shared(), SecurityScopedURLManager::shared());
    return *instance;
}

OpenObject::OpenObject(platform::Workspace& workspace, SandboxFileAccess& access, SecurityScopedURLManager& scopes)
    : workspace_(workspace)
    , access_(access)
    , scopes_(scopes)
{
}

void OpenObject::tellUnreachable(const QString& path, const QString& entryName)
{
    alertUnreachable(QUrl::fromLocalFile(path), entryName);
}

platform::OpenConfiguration OpenObject::openConfiguration()
{
    platform::OpenConfiguration configuration;
    configuration.createsNewApplicationInstance = false;
    configuration.activates = true;
    configuration.forPrinting = false;
    configuration.promptsUserIfNeeded = true;
    return configuration;
}

bool OpenObject::isLaunchableApplication(const QString& path)
{
    if (path.isEmpty())
        return false;
    if (isApplication(QUrl::fromLocalFile(path)))
        return true;
    return isExecutablePath(path) && QFileInfo(path).isFile();
}

void OpenObject::showInFinder(const QUrl& url, Completion completion)
{
    if (!FileURLs::isReachable(url)) {
        VLOG(Logger::open(), LogType::Error, "! opening the URL failed (not reachable): %{public}@", absolute(url));
        finish(completion, false);
        return;
    }
    access_.access(url, kOpenPermissions, true, true, [this, url, completion](const SandboxFileAccess::Result& result) {
        if (!result.succeeded()) {
            finish(completion, false);
            return;
        }
        workspace_.showFolderInFileViewer(
            FileURLs::cleanPath(url), [url, completion](const std::optional<platform::WorkspaceError>& error) {
                if (error) {
                    VLOG(Logger::open(), LogType::Error, "open failed: %{public}@",
                         QStringLiteral("[") + absolute(url) + QStringLiteral("] - ") + error->localizedDescription);
                    alertOpenFailed(url, *error);
                }
                finish(completion, !error);
            });
    });
}

bool OpenObject::open(const QUrl& url, const std::optional<QVariantList>& documents, Completion completion)
{
    if (!FileURLs::isReachable(url)) {
        VLOG(Logger::open(), LogType::Error, "open failed: [%{public}@] - Unreachable", absolute(url));
        finish(completion, false);
        return false;
    }
    const SandboxFileAccess::HasAccessResult granted = access_.hasAccess(url, kOpenPermissions);
    if (!granted.granted) {
        VLOG(Logger::open(), LogType::Error, "open failed: [%{public}@] - Access not possible", absolute(url));
        finish(completion, false);
        return false;
    }
    if (granted.bookmarkNeeded && !granted.bookmarkData) {
        VLOG(Logger::open(), LogType::Error,
             "open failed: [%{public}@] - Access not possible (Bookmark needed but unavailable)", absolute(url));
        finish(completion, false);
        return false;
    }

    const QString scope = scopes_.beginAccess(granted.bookmarkData, UsedSecurityScopedURLSource::open);
    const QString urlString = absolute(url);
    SecurityScopedURLManager* scopes = &scopes_;
    auto done = [url, urlString, scope, scopes, completion](const std::optional<platform::WorkspaceError>& error) {
        if (error)
            VLOG(Logger::open(), LogType::Error, "open failed: %{public}@",
                 QStringLiteral("[") + urlString + QStringLiteral("] - ") + error->localizedDescription);
        else
            VLOG(Logger::open(), LogType::Default, "open successful: [%{public}@]", urlString);
        scopes->endAccess(scope);
        if (error)
            alertOpenFailed(url, *error);
        finish(completion, !error);
    };

    const std::optional<QStringList> paths =
        documents && !documents->isEmpty() ? castToStringArray(*documents) : std::nullopt;
    if (paths) {
        QList<QUrl> documentURLs;
        for (const QString& path : *paths) {
            const QUrl documentURL = QUrl::fromLocalFile(path);
            if (FileURLs::isReachable(documentURL))
                documentURLs.append(documentURL);
        }
        workspace_.openURLs(documentURLs, FileURLs::cleanPath(url), openConfiguration(), std::move(done));
    } else {
        workspace_.openURL(url, openConfiguration(), std::move(done));
    }
    return true;
}

bool OpenObject::openWithApplication(const QUrl& documentURL, const QUrl& applicationURL, Completion completion)
{
    for (const QUrl& url : {documentURL, applicationURL}) {
        if (!FileURLs::isReachable(url)) {
            VLOG(Logger::open(), LogType::Error, "open failed: [%{public}@] - Unreachable", absolute(url));
            finish(completion, false);
            return false;
        }
    }
    const SandboxFileAccess::HasAccessResult document = access_.hasAccess(documentURL, kOpenPermissions);
    const SandboxFileAccess::HasAccessResult application = access_.hasAccess(applicationURL, kOpenPermissions);
    const std::pair<const SandboxFileAccess::HasAccessResult*, QUrl> checks[] = {{&document, documentURL},
                                                                                  {&application, applicationURL}};
    for (const auto& [result, url] : checks) {
        if (!result->granted) {
            VLOG(Logger::open(), LogType::Error, "open failed: [%{public}@] - Access not possible", absolute(url));
            finish(completion, false);
            return false;
        }
        if (result->bookmarkNeeded && !result->bookmarkData) {
            VLOG(Logger::open(), LogType::Error,
                 "open failed: [%{public}@] - Access not possible (Bookmark needed but unavailable)", absolute(url));
            finish(completion, false);
            return false;
        }
    }

    const QString documentScope = scopes_.beginAccess(document.bookmarkData, UsedSecurityScopedURLSource::open);
    const QString applicationScope = scopes_.beginAccess(application.bookmarkData, UsedSecurityScopedURLSource::open);
    const QString documentString = absolute(documentURL);
    const QString applicationString = absolute(applicationURL);
    SecurityScopedURLManager* scopes = &scopes_;
    workspace_.openURLs(
        {documentURL}, FileURLs::cleanPath(applicationURL), openConfiguration(),
        [=](const std::optional<platform::WorkspaceError>& error) {
            if (error)
                VLOG(Logger::open(), LogType::Error, "open failed: %{public}@",
                     QStringLiteral("[") + documentString + QStringLiteral("] - ") + error->localizedDescription);
            else
                VLOG(Logger::open(), LogType::Default, "open successful: %{public}@",
                     QStringLiteral("[") + documentString + QStringLiteral("] with [") + applicationString
                         + QStringLiteral("]"));
            scopes->endAccess(documentScope);
            scopes->endAccess(applicationScope);
            if (error)
                alertOpenFailed(documentURL, *error);
            finish(completion, !error);
        });
    return true;
}

void OpenObject::openURLString(const QString& urlString, const std::optional<QVariantList>& selectedObjects,
                               Completion completion)
{
    VLOG(Logger::open(), LogType::Default, "Open URL: %{public}@", urlString);
    if (urlString.isEmpty()) {
        finish(completion, false);
        return;
    }
    const std::shared_ptr<ParsedURL> parsed = ParsedURL::create(urlString, selectedObjects);
    if (!parsed) {
        SandboxFileAccess::showAlert(L10n::openURLError(), urlString);
        finish(completion, false);
        return;
    }
    if (parsed->currentURLString().isEmpty() || !parsed->urlRegExParser()) {
        finish(completion, false);
        return;
    }
    // No result: the user cancelled a question.
    const std::optional<QString> substituted = parsed->urlRegExParser()->replacePlaceholders(QStringLiteral("\n"));
    if (!substituted) {
        finish(completion, false);
        return;
    }
    const QUrl url(*substituted, QUrl::StrictMode);
    if (substituted->isEmpty() || !url.isValid()) {
        SandboxFileAccess::showAlert(L10n::openURLError(), *substituted);
        finish(completion, false);
        return;
    }
    if (url.isLocalFile() && leavesTemplateFolder(parsed->urlRegExParser()->regExURLMatches())) {
        VLOG(Logger::open(), LogType::Error, "open failed: [%{public}@] - a placeholder value leaves the folder",
             *substituted);
        SandboxFileAccess::showAlert(L10n::openURLError(), *substituted);
        finish(completion, false);
        return;
    }
    VLOG(Logger::open(), LogType::Default, "Parsed URL: %{public}@", *substituted);
    if (url.isLocalFile()) {
        if (!FileURLs::isReachable(url))
            alertUnreachable(url, {});
        open(url, std::nullopt, std::move(completion));
        return;
    }
    auto done = [url, completion](const std::optional<platform::WorkspaceError>& error) {
        if (error) {
            VLOG(Logger::open(), LogType::Error, "open failed: %{public}@", error->localizedDescription);
            alertOpenFailed(url, *error);
        }
        finish(completion, !error);
    };
    workspace_.openURL(url, openConfiguration(), std::move(done));
}

void OpenObject::openAddress(const QUrl& url, Completion completion)
{
    if (!url.isValid() || url.scheme().isEmpty()) {
        VLOG(Logger::open(), LogType::Error, "open failed: [%{public}@] - not a URL", url.toString());
        finish(completion, false);
        return;
    }
    VLOG(Logger::open(), LogType::Default, "Open URL: %{public}@", absolute(url));
    const QString address = absolute(url);
    auto done = [address, completion](bool opened) {
        if (!opened)
            SandboxFileAccess::showAlert(L10n::openURLError(), address);
        finish(completion, opened);
    };
    if (url.isLocalFile()) {
        // A launch that fails says why itself; a refusal before it, here.
        if (!open(url, std::nullopt, completion))
            SandboxFileAccess::showAlert(L10n::openURLError(), address);
        return;
    }
    workspace_.openURL(url, openConfiguration(), [address, done](const std::optional<platform::WorkspaceError>& error) {
        if (error)
            VLOG(Logger::open(), LogType::Error, "open failed: %{public}@",
                 QStringLiteral("[") + address + QStringLiteral("] - ") + error->localizedDescription);
        done(!error);
    });
}

bool OpenObject::openPath(const QString& path, const std::optional<QVariantList>& documents, Completion completion,
                          const QString& entryName)
{
    if (path.isEmpty()) {
        finish(completion, false);
        return false;
    }
    const QUrl given = QUrl::fromLocalFile(path);
    const QUrl resolved = FileURLs::standardizedResolved(given);
    if (!FileURLs::isReachable(resolved)) {
        alertUnreachable(given, entryName);
        finish(completion, false);
        return false;
    }
    switch (fileObjectKind(given)) {
    case fileKindPlainFile:
    case fileKindApplication:
    case fileKindOther:
        return openFile(resolved, documents, std::move(completion));
    case fileKindFolder:
        return openFolder(resolved, std::move(completion), entryName);
    default:
        alertUnreachable(given, entryName);
        finish(completion, false);
        return false;
    }
}

bool OpenObject::openFile(const QUrl& url, const std::optional<QVariantList>& documents, Completion completion)
{
    if (isApplication(url)) {
        const bool withDocuments = documents && !documents->isEmpty();
        return open(url, withDocuments ? documents : std::nullopt, std::move(completion));
    }
    const std::optional<QString> application = workspace_.urlForApplicationToOpen(url);
    if (!application)
        return open(url, std::nullopt, std::move(completion));
    if (application->toLower() == FileURLs::cleanPath(url).toLower())
        return open(url, std::nullopt, std::move(completion));
    if (isLaunchableApplication(*application))
        return openWithApplication(url, QUrl::fromLocalFile(*application), std::move(completion));
    return open(url, std::nullopt, std::move(completion));
}

bool OpenObject::openFolder(const QUrl& url, Completion completion, const QString& entryName)
{
    if (!FileURLs::isReachable(url)) {
        alertUnreachable(url, entryName);
        finish(completion, false);
        return false;
    }
    const QString browser = Configuration::shared().alternateFolderBrowser();
    if (!browser.isEmpty() && isLaunchableApplication(browser)) {
        openWithApplication(url, QUrl::fromLocalFile(browser), std::move(completion));
        return true;
    }
    showInFinder(url, std::move(completion));
    return true;
}

} // namespace vantel
