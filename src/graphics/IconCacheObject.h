#pragma once

#include "model/ThreadSafe.h"
#include "platform/Thumbnails.h"

#include <QDateTime>
#include <QIcon>
#include <QUrl>

#include <memory>
#include <optional>

namespace vantel {

enum class ThumbnailGeneratorState { ready, working };
enum class IconCacheObjectSource { thumbnail, defaultIcon };

// The two images the entry lists show for one file, folder or application:
// 48 by 48 and 32 by 32, scaled to fill the box with the aspect ratio kept.
// They start as the workspace icon and are replaced by a thumbnail when the
// file is a local image or PDF that may be read.
//
// Lives on the main thread: creation, image(), refresh() and the thumbnail's
// completion all run there (the thumbnail is made on a worker and handed
// back by a queued call that holds the object weakly), so `source` and the
// recorded modification date are never written from two threads.
class IconCacheObject : public std::enable_shared_from_this<IconCacheObject> {
    struct Private {};

public:
    using Ptr = std::shared_ptr<IconCacheObject>;

    static constexpr int defaultImageSize = 48;
    static constexpr int smallImageSize = 32;

    // None when the file is not reachable.
    static Ptr create(const QUrl& fileURL);

    IconCacheObject(Private, const QUrl& fileURL);
    IconCacheObject(const IconCacheObject&) = delete;
    IconCacheObject& operator=(const IconCacheObject&) = delete;

    // The 48 image for an absent or true flag, the 32 image for false.
    QIcon image(std::optional<bool> largeIcon);
    // Asks for a new thumbnail when the thumbnail shown is older than the file.
    void refresh();
    // Asks for a thumbnail when the file qualifies.
    void generateThumbnail();

    QUrl fileURL() const { return fileURL_; }
    ThumbnailGeneratorState thumbnailGeneratorState() const { return thumbnailGeneratorState_; }
    IconCacheObjectSource source() const { return source_; }
    std::optional<QDateTime> objectLastModifiedWhenAddedToCache() const { return objectLastModifiedWhenAddedToCache_; }
    std::optional<QIcon> defaultImage() const { return defaultImage_.get(); }
    std::optional<QIcon> smallImage() const { return smallImage_.get(); }
    // Thumbnail requests handed to the thumbnailer so far.
    int thumbnailRequestCount() const { return thumbnailRequestCount_; }

    // A local, reachable regular file whose type is an image or a PDF.
    bool canCreateThumbnail() const;

private:
    platform::Thumbnails::Kind thumbnailKind() const;
    void loadWorkspaceIcon();
    std::optional<QDateTime> modificationDate() const;
    void setImages(const QIcon& picture);
    void thumbnailCompletion(const QImage& thumbnail, const QString& error);

    ThumbnailGeneratorState thumbnailGeneratorState_ = ThumbnailGeneratorState::ready;
    ThreadSafe<std::optional<QIcon>> smallImage_;
    ThreadSafe<std::optional<QIcon>> defaultImage_;
    const QUrl fileURL_;
    IconCacheObjectSource source_ = IconCacheObjectSource::defaultIcon;
    std::optional<QDateTime> objectLastModifiedWhenAddedToCache_;
    int thumbnailRequestCount_ = 0;
    // The modification date of the file when the newest request went out,
    // while requests are under way: the lists ask on every paint, and one
    // request per change of the file is enough.
    std::optional<QDateTime> requestedForModification_;
    int requestsUnderWay_ = 0;
};

} // namespace vantel
