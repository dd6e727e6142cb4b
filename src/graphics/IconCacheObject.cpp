#include "graphics/IconCacheObject.h"

#include "access/Permissions.h"
#include "access/SandboxFileAccess.h"
#include "access/SecurityScopedURLManager.h"
#include "graphics/ImageUtilities.h"
#include "model/FileObjectKind.h"
#include "model/Logger.h"
#include "platform/FileFacts.h"
#include "platform/Thumbnails.h"
#include "platform/WorkspaceIcons.h"

#include <QPixmap>

namespace vantel {

using platform::LogType;
using platform::Thumbnails;

namespace {

QString pathOf(const QUrl& url)
{
    return url.toLocalFile();
}

bool isReachable(const QUrl& url)
{
    return url.isLocalFile() && platform::FileFacts::isReachable(pathOf(url));
}

} // namespace

IconCacheObject::Ptr IconCacheObject::create(const QUrl& fileURL)
{
    if (!isReachable(fileURL))
        return nullptr;
    auto object = std::make_shared<IconCacheObject>(Private{}, fileURL);
    // The workspace icon is made when first drawn (image()): the cache holds
    // an object for every entry, most of which are never shown.
    object->objectLastModifiedWhenAddedToCache_ = object->modificationDate();
    object->generateThumbnail();
    return object;
}

IconCacheObject::IconCacheObject(Private, const QUrl& fileURL)
    : fileURL_(fileURL)
{
}

void IconCacheObject::setImages(const QIcon& picture)
{
    defaultImage_.set(resizedToFill(picture, defaultImageSize, defaultImageSize));
    smallImage_.set(resizedToFill(picture, smallImageSize, smallImageSize));
}

void IconCacheObject::loadWorkspaceIcon()
{
    setImages(platform::WorkspaceIcons::iconForFile(pathOf(fileURL_)));
    source_ = IconCacheObjectSource::defaultIcon;
}

std::optional<QDateTime> IconCacheObject::modificationDate() const
{
    return platform::FileFacts::modificationDate(pathOf(fileURL_));
}

QIcon IconCacheObject::image(std::optional<bool> largeIcon)
{
    std::optional<QIcon> large = defaultImage_.get();
    std::optional<QIcon> small = large ? smallImage_.get() : std::nullopt;
    if (!large || !small) {
        loadWorkspaceIcon();
        large = defaultImage_.get();
        small = smallImage_.get();
    }
    const std::optional<QIcon>& chosen = largeIcon.value_or(true) ? large : small;
    return chosen.value_or(QIcon());
}

void IconCacheObject::refresh()
{
    if (source_ == IconCacheObjectSource::defaultIcon)
        return;
    if (!isReachable(fileURL_))
        return;
    const std::optional<QDateTime> modified = modificationDate();
    if (!modified) {
        VLOG(Logger::iconCache(), LogType::Error,
             "Refresh: Unable to get last modified DateTime, but File is reachable -> try to get a new thumbnail for: "
             "%{public}@",
             pathOf(fileURL_));
        generateThumbnail();
        return;
    }
    if (objectLastModifiedWhenAddedToCache_ && *objectLastModifiedWhenAddedToCache_ == *modified)
        return;
    if (requestsUnderWay_ > 0 && requestedForModification_ == modified)
        return;
    VLOG(Logger::iconCache(), LogType::Default,
         "Refresh: The file seems to be modified -> try to get a new thumbnail for: %{public}@", pathOf(fileURL_));
    generateThumbnail();
}

bool IconCacheObject::canCreateThumbnail() const
{
    return thumbnailKind() != Thumbnails::Kind::none;
}

Thumbnails::Kind IconCacheObject::thumbnailKind() const
{
    const QString path = pathOf(fileURL_);
    if (!isReachable(fileURL_))
        return Thumbnails::Kind::none;
    if (!Thumbnails::isOnLocalVolume(path))
        return Thumbnails::Kind::none;
    if (fileObjectKind(fileURL_) != fileKindPlainFile)
        return Thumbnails::Kind::none;
    return Thumbnails::kindOf(path);
}

void IconCacheObject::generateThumbnail()
{
    const Thumbnails::Kind kind = thumbnailKind();
    if (kind == Thumbnails::Kind::none)
        return;
    // Asked without a chooser or an alert: an icon being drawn is no moment to
    // question the user, and a file that may not be read keeps its icon.
    std::optional<QByteArray> bookmarkData;
    bool granted = false;
    SandboxFileAccess::shared().access(
        fileURL_, Permissions{Permissions::bookmarkBit | Permissions::readBit}, false, false,
        [&](const SandboxFileAccess::Result& result) {
            granted = result.succeeded();
            const AccessInfo& info = result.accessInfo;
            const bool direct = info.permissions.contains(Permissions::read());
            if (granted && !direct && info.securityScopedURL && info.bookmarkData)
                bookmarkData = info.bookmarkData;
        });
    if (!granted)
        return;

    VLOG(Logger::iconCache(), LogType::Default, "Thumbnail creation begins for: %{public}@",
         QString::fromUtf8(fileURL_.toEncoded()));
    const QString accessIdentifier =
        SecurityScopedURLManager::shared().beginAccess(bookmarkData, UsedSecurityScopedURLSource::thumbnail);

    ++thumbnailRequestCount_;
    ++requestsUnderWay_;
    requestedForModification_ = modificationDate();
    std::weak_ptr<IconCacheObject> weakSelf = weak_from_this();
    Thumbnails::shared().generate(pathOf(fileURL_), kind, [weakSelf, accessIdentifier](const QImage& thumbnail,
                                                                                const QString& error) {
        if (const Ptr self = weakSelf.lock())
            self->thumbnailCompletion(thumbnail, error);
        SecurityScopedURLManager::shared().endAccess(accessIdentifier);
    });
}

void IconCacheObject::thumbnailCompletion(const QImage& thumbnail, const QString& error)
{
    --requestsUnderWay_;
    const QString url = QString::fromUtf8(fileURL_.toEncoded());
    if (!thumbnail.isNull()) {
        setImages(QIcon(QPixmap::fromImage(thumbnail)));
        source_ = IconCacheObjectSource::thumbnail;
        VLOG(Logger::iconCache(), LogType::Default, "Thumbnail generateRepresentations finished for: %{public}@", url);
        objectLastModifiedWhenAddedToCache_ = modificationDate();
        return;
    }
    loadWorkspaceIcon();
    if (!error.isEmpty()) {
        VLOG(Logger::iconCache(), LogType::Error, "Error: Thumbnail creation failed with error: %{public}@ : %{public}@",
             error, url);
    } else {
        VLOG(Logger::iconCache(), LogType::Error, "Error: Thumbnail creation failed for: %{public}@", url);
    }
}

} // namespace vantel
