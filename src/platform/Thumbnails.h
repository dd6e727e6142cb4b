#pragma once

#include <QImage>
#include <QMimeType>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace vantel::platform {

// Thumbnails of images and PDF files, shared with the rest of the desktop
// through the freedesktop thumbnail cache ($XDG_CACHE_HOME/thumbnails).
//
// A request is answered from the cache when a thumbnail there was made from
// this very file (its Thumb::URI and Thumb::MTime match), else the file is
// decoded on the worker pool: an image scaled while it is read, a PDF's first
// page rendered by Poppler in a child process (VantelThumbnailer), killed
// after a time limit, so a PDF that crashes or hangs Poppler costs a
// thumbnail, not the program. An image larger than a pixel budget is refused
// from its header, before anything is decoded. What is made here is written
// back to the cache
// as a "normal" (128 pixel) thumbnail, so the next start, and other
// programs, find it. Reading, decoding and writing never run on the caller's
// thread; the completion is delivered on the main thread.
class Thumbnails {
public:
    // The thumbnail, or a null image and why there is none. Both empty means
    // the file gave nothing and nobody could say why.
    using Completion = std::function<void(const QImage& thumbnail, const QString& error)>;

    // What a file is to the thumbnailer, from its content and its name.
    enum class Kind { none, image, pdf };

    static Thumbnails& shared();

    // Queues the request for a file of that kind (see kindOf, which the
    // caller has asked already); `completion` runs exactly once, later, on the
    // main thread. A few threads of their own, niced down, work through the
    // requests in order: a large catalogue neither floods the machine nor
    // takes the processor from the interface.
    void generate(const QString& path, Kind kind, Completion completion);

    // Requests handed to generate that have not completed yet.
    std::size_t pendingCount() const;

    // ---- The steps, synchronous, callable from any thread ----

    // An image type that QImageReader can read, or a PDF; none otherwise
    // (also for a folder or a file that cannot be examined). The workers
    // never ask: the MIME database serialises its look-ups behind one lock,
    // which the main thread must not wait for.
    static Kind kindOf(const QString& path);

    // False for a file on a network file system (NFS, SMB/CIFS, sshfs and
    // the like) and when the volume cannot be examined.
    static bool isOnLocalVolume(const QString& path);

    // The URI the cache knows the file by: file:// with the absolute path,
    // percent-encoded.
    // Removes the temporaries that writes of this program, ended before they
    // were done, left in the shared cache's "normal" folder. Runs by itself
    // before the first write of a run.
    static void removeWriteLeftovers();

    static QString thumbnailURI(const QString& path);
    // $XDG_CACHE_HOME/thumbnails/<sizeFolder>/<MD5 of the URI>.png.
    static QString cachePath(const QString& uri, const QString& sizeFolder);

    // A thumbnail from the cache that was made from this file as it is now;
    // a null image when there is none.
    static QImage cachedThumbnail(const QString& path);
    // The file decoded to fit a box of `box` pixels (never enlarged).
    static QImage makeThumbnail(const QString& path, Kind kind, int box, QString* error);
    // Writes the thumbnail as the cache's "normal" entry for the file as it
    // is now; false when the file is gone, lies inside the cache itself or
    // the cache cannot be written.
    static bool writeToCache(const QString& path, const QImage& thumbnail);
    // cachedThumbnail, else makeThumbnail written back with writeToCache.
    static QImage thumbnailFor(const QString& path, Kind kind, QString* error);

    // How many times a file was opened for decoding in this process; a
    // thumbnail found in the cache, or an image refused by its size, does
    // not count.
    static std::size_t decodeCount();

    // The program that draws a PDF's first page, and how long it may take.
    // By default VantelThumbnailer beside the running program (an installed
    // one's vantel-thumbnailer among its private programs), 5 seconds.
    static void setPdfRenderer(const QString& program, std::chrono::milliseconds timeLimit);
    static QString pdfRendererProgram();
    // What that program runs: the first page drawn in this process. Only the
    // child calls it; Poppler's crashes and hangs stay there.
    static QImage renderPdfFirstPage(const QString& path, int box, QString* error);

    // Images with more pixels than this are not decoded. Formats that decode
    // straight to a smaller size (JPEG) may have four times as many.
    static constexpr qint64 maximumImagePixels = 50'000'000;

    // The side of a "normal" thumbnail.
    static constexpr int normalSize = 128;

private:
    Thumbnails();
    static Kind kindOfType(const QMimeType& type);
    void run();

    struct Request {
        QString path;
        Kind kind;
        Completion completion;
    };

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> waiting_;
    std::size_t threads_ = 0;
    std::size_t idle_ = 0;
    std::size_t maximumThreads_ = 2;
};

} // namespace vantel::platform
