#include "access/URLInputDialogProvider.h"

#include "access/ParsedURL.h"
#include "model/Logger.h"
#include "model/PathUtilities.h"
#include "platform/MainQueue.h"
#include "platform/Workspace.h"

#include <QUrl>

#include <mutex>

namespace vantel {

namespace {

std::mutex g_mutex;
std::shared_ptr<URLInputDialogProvider> g_provider;

} // namespace

std::shared_ptr<URLInputDialogProvider> URLInputDialogProvider::shared()
{
    std::lock_guard lock(g_mutex);
    return g_provider;
}

void URLInputDialogProvider::setShared(std::shared_ptr<URLInputDialogProvider> provider)
{
    std::lock_guard lock(g_mutex);
    g_provider = std::move(provider);
}

std::optional<QString> applicationForURLTemplate(const std::optional<QString>& url)
{
    if (!url)
        return std::nullopt;
    const std::shared_ptr<ParsedURL> parsed = ParsedURL::create(*url, std::nullopt);
    if (!parsed)
        return std::nullopt;
    const QUrl target = parsed->urlWithoutPlaceholders();
    const std::optional<QString> application = platform::Workspace::shared().urlForApplicationToOpen(target);
    if (!application || !isReachablePath(*application))
        return std::nullopt;
    return application;
}

std::optional<QString> showURLInputDialog(const std::optional<QString>& url, const QString& question)
{
    const std::shared_ptr<URLInputDialogProvider> provider = URLInputDialogProvider::shared();
    if (!provider) {
        VLOG(Logger::open(), platform::LogType::Error, "No dialog to ask: %{public}@", question);
        return std::nullopt;
    }
    URLInputRequest request;
    request.question = question;
    request.url = url;
    request.applicationPath = applicationForURLTemplate(url);
    std::optional<QString> answer;
    platform::MainQueue::sync([&] { answer = provider->ask(request); });
    return answer;
}

} // namespace vantel
