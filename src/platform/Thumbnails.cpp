#include "platform/Thumbnails.h"

#include "platform/Bundle.h"
#include "platform/FileFacts.h"
#include "platform/InstalledLayout.h"
#include "platform/MainQueue.h"
#include "platform/Process.h"
#include "platform/SafeFile.h"
#include "platform/XdgPaths.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>

#include <glib.h>
#include <poppler-qt6.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <sys/statfs.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>

namespace vantel::platform {

namespace {

std::atomic<std::size_t> g_decodes{0};
std::atomic<std::size_t> g_outstanding{0};

const QString software = QStringLiteral("Vantel");
const QString keyURI = QStringLiteral("Thumb::URI");
const QString keyMTime = QStringLiteral("Thumb::MTime");
const QString keySize = QStringLiteral("Thumb::Size");

// The cache's folders that a thumbnail may be read from, smallest first: a
// larger one is scaled down like any other picture.
const QStringList readableFolders = {QStringLiteral("normal"), QStringLiteral("large"), QStringLiteral("x-large"),
                                     QStringLiteral("xx-large")};

QString thumbnailsRoot()
{
    return XdgPaths::cacheHome() + QStringLiteral("/thumbnails");
}

std::optional<struct stat> statOf(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info;
}

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The cache's own files are never thumbnailed into it again.
bool isInsideCache(const QString& path)
{
    const QString root = thumbnailsRoot() + u'/';
    return absolute(path).startsWith(root);
}

// Thumb::MTime holds whole seconds; some writers add a fraction.
std::optional<qint64> parseSeconds(const QString& text)
{
    bool ok = false;
    const qint64 whole = text.trimmed().toLongLong(&ok);
    if (ok)
        return whole;
    const double real = text.trimmed().toDouble(&ok);
    if (ok)
        return qint64(real);
    return std::nullopt;
}

bool makePrivateFolder(const QString& path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
        return true;
    return errno == EEXIST && QFileInfo(path).isDir();
}

struct PdfRenderer {
    std::mutex mutex;
    QString program;
    std::chrono::milliseconds timeLimit{5000};
};

PdfRenderer& pdfRenderer()
{
    static PdfRenderer renderer;
    return renderer;
}

// Nothing is decoded past this many bytes, whatever the header claims.
constexpr int allocationLimitMegabytes = 256;

// The image's size from its header, refused when decoding it would cost more
// than the pixel budget; nullopt (and why) when refused or unreadable.
std::optional<QSize> checkedImageSize(QImageReader& reader, QString* error)
{
    const QSize size = reader.size();
    if (!size.isValid())
        return QSize(); // unknown: the allocation limit still bounds the decode
    const qint64 pixels = qint64(size.width()) * size.height();
    const qint64 budget = reader.supportsOption(QImageIOHandler::ScaledSize) && reader.format() == "jpeg"
        ? 4 * Thumbnails::maximumImagePixels
        : Thumbnails::maximumImagePixels;
    if (pixels > budget) {
        *error = QStringLiteral("The image is too large for a thumbnail (%1 x %2 pixels)")
                     .arg(size.width())
                     .arg(size.height());
        return std::nullopt;
    }
    return size;
}

QImage decodeImage(QImageReader& reader, QSize size, int box, QString* error)
{
    reader.setAutoTransform(true);
    reader.setAllocationLimit(allocationLimitMegabytes);
    if (size.isValid() && (size.width() > box || size.height() > box)) {
        // Scaled while reading: a large photo is never held at full size.
        reader.setScaledSize(size.scaled(box, box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        *error = reader.errorString();
        return {};
    }
    if (image.width() > box || image.height() > box)
        image = image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// Beside the program in its bundle; among the private programs of an
// installed one, where bin/ holds only the program.
QString defaultPdfRenderer()
{
    const Bundle& program = Bundle::main();
    if (program.layout() == Bundle::Layout::installed)
        return InstalledLayout::thumbnailerPath(program.bundlePath());
    return QCoreApplication::applicationDirPath() + QStringLiteral("/VantelThumbnailer");
}

QImage renderInChild(const QString& path, int box, QString* error)
{
    QString program;
    std::chrono::milliseconds timeLimit;
    {
        PdfRenderer& renderer = pdfRenderer();
        std::lock_guard lock(renderer.mutex);
        program = renderer.program;
        timeLimit = renderer.timeLimit;
    }
    if (program.isEmpty())
        program = defaultPdfRenderer();
    const Process::Result result = Process::run(program, {QStringLiteral("--"), path, QString::number(box)}, timeLimit);
    if (!result.launched) {
        *error = QStringLiteral("The PDF renderer cannot be started: %1").arg(result.errorDescription);
        return {};
    }
    if (result.timedOut) {
        *error = QStringLiteral("Drawing the PDF document took longer than %1 seconds")
                     .arg(double(timeLimit.count()) / 1000.0);
        return {};
    }
    if (result.crashed) {
        *error = QStringLiteral("The PDF renderer crashed on the document (signal %1)").arg(result.exitStatus);
        return {};
    }
    if (result.exitStatus != 0) {
        const QString said = QString::fromUtf8(result.standardError).trimmed();
        *error = said.isEmpty() ? QStringLiteral("The PDF document cannot be read") : said;
        return {};
    }
    QImage image = QImage::fromData(result.standardOutput, "png");
    if (image.isNull() || image.width() > box || image.height() > box) {
        *error = QStringLiteral("The PDF renderer gave no usable picture");
        return {};
    }
    return image;
}

QImage renderFirstPage(const QString& path, int box, QString* error)
{
    // Poppler prints each parse problem itself; the caller reports the one
    // failure that matters.
    static std::once_flag quiet;
    std::call_once(quiet, [] { Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant()); });
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document) {
        *error = QStringLiteral("The PDF document cannot be read");
        return {};
    }
    if (document->isLocked()) {
        *error = QStringLiteral("The PDF document is protected by a password");
        return {};
    }
    if (document->numPages() < 1) {
        *error = QStringLiteral("The PDF document has no pages");
        return {};
    }
    const std::unique_ptr<Poppler::Page> page = document->page(0);
    const QSizeF points = page ? page->pageSizeF() : QSizeF();
    if (!page || points.isEmpty()) {
        *error = QStringLiteral("The first page of the PDF document cannot be read");
        return {};
    }
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    // Points are 1/72 inch: this resolution makes the longer side `box` pixels.
    const double resolution = 72.0 * box / std::max(points.width(), points.height());
    QImage image = page->renderToImage(resolution, resolution);
    if (image.isNull()) {
        *error = QStringLiteral("The first page of the PDF document cannot be rendered");
        return {};
    }
    if (image.width() > box || image.height() > box)
        image = image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

bool writeCacheFile(const QString& path, qint64 mtime, qint64 fileSize, const QImage& thumbnail)
{
    const QString uri = Thumbnails::thumbnailURI(path);
    const QString folder = thumbnailsRoot() + QStringLiteral("/normal");
    if (!QDir().mkpath(XdgPaths::cacheHome()) || !makePrivateFolder(thumbnailsRoot()) || !makePrivateFolder(folder))
        return false;
    static std::once_flag cleaned;
    std::call_once(cleaned, [] { Thumbnails::removeWriteLeftovers(); });

    QImage image = thumbnail.convertToFormat(QImage::Format_ARGB32);
    image.setText(keyURI, uri);
    image.setText(keyMTime, QString::number(mtime));
    image.setText(keySize, QString::number(fileSize));
    image.setText(QStringLiteral("Software"), software);

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return false;
    // The safe write: no reader ever sees half a file; readable by the owner
    // only, as the thumbnail cache standard asks.
    WriteOptions options;
    options.newFileMode = 0600;
    options.createFolder = false;
    return bool(writeFileSafely(Thumbnails::cachePath(uri, QStringLiteral("normal")), png, options));
}

} // namespace

void Thumbnails::removeWriteLeftovers()
{
    // Ours only: "<MD5>.png" with the safe writer's infix and random part.
    // One a minute old or younger may be another Vantel's write in progress.
    static const QRegularExpression ours(QStringLiteral("^[0-9a-f]{32}\\.png")
                                         + QRegularExpression::escape(QLatin1String(safeWriteTemporaryInfix))
                                         + QStringLiteral("[A-Za-z0-9]{6}$"));
    QDir folder(thumbnailsRoot() + QStringLiteral("/normal"));
    const QDateTime settled = QDateTime::currentDateTime().addSecs(-60);
    const QFileInfoList entries = folder.entryInfoList({QStringLiteral("*.png") + QLatin1String(safeWriteTemporaryInfix)
                                                        + QStringLiteral("??????")},
                                                       QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        if (ours.match(entry.fileName()).hasMatch() && entry.lastModified() < settled)
            folder.remove(entry.fileName());
    }
}

Thumbnails& Thumbnails::shared()
{
    static Thumbnails* const instance = new Thumbnails();
    return *instance;
}

Thumbnails::Thumbnails()
    : maximumThreads_(std::size_t(std::max(2, QThread::idealThreadCount() / 2)))
{
}

void Thumbnails::generate(const QString& path, Kind kind, Completion completion)
{
    ++g_outstanding;
    std::lock_guard lock(mutex_);
    waiting_.push_back(Request{path, kind, std::move(completion)});
    if (idle_ == 0 && threads_ < maximumThreads_) {
        ++threads_;
        // Lives as long as the process, like the worker pool's threads.
        std::thread([this] { run(); }).detach();
    } else {
        wake_.notify_one();
    }
}

std::size_t Thumbnails::pendingCount() const
{
    return g_outstanding.load();
}

void Thumbnails::run()
{
    // Background work: the interface thread goes first whenever it wants
    // the processor.
    ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), 10);
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        wake_.wait(lock, [this] { return !waiting_.empty(); });
        --idle_;
        Request request = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();

        QString error;
        const QImage thumbnail = thumbnailFor(request.path, request.kind, &error);
        MainQueue::async([completion = std::move(request.completion), thumbnail, error] {
            --g_outstanding;
            if (completion)
                completion(thumbnail, error);
        });
        lock.lock();
    }
}

Thumbnails::Kind Thumbnails::kindOf(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return Kind::none;
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(path, QMimeDatabase::MatchDefault);
    if (!type.isValid())
        return Kind::none;
    // Decided once per type: a catalogue holds many files of each.
    static std::mutex mutex;
    static QHash<QString, Kind> kinds;
    {
        std::lock_guard lock(mutex);
        if (const auto it = kinds.constFind(type.name()); it != kinds.constEnd())
            return *it;
    }
    const Kind kind = kindOfType(type);
    std::lock_guard lock(mutex);
    kinds.insert(type.name(), kind);
    return kind;
}

Thumbnails::Kind Thumbnails::kindOfType(const QMimeType& type)
{
    if (type.inherits(QStringLiteral("application/pdf")))
        return Kind::pdf;
    QStringList names = QStringList{type.name()} + type.aliases() + type.allAncestors();
    const bool isImage = std::any_of(names.cbegin(), names.cend(),
                                     [](const QString& name) { return name.startsWith(QStringLiteral("image/")); });
    if (!isImage)
        return Kind::none;
    static const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    names = QStringList{type.name()} + type.aliases();
    for (const QString& name : std::as_const(names)) {
        if (readable.contains(name.toLatin1()))
            return Kind::image;
    }
    return Kind::none;
}

bool Thumbnails::isOnLocalVolume(const QString& path)
{
    struct statfs info {};
    if (path.isEmpty() || ::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x564CUL:     // NCP
    case 0x5346414FUL: // AFS
    case 0x00C36400UL: // Ceph
    case 0x01021997UL: // 9P
    case 0x73757245UL: // Coda
        return false;
    case 0x65735546UL: // FUSE: sshfs and the like are network, others are not
        return FileFacts::volumeIsLocal(path).value_or(false);
    default:
        return true;
    }
}

QString Thumbnails::thumbnailURI(const QString& path)
{
    // GLib's escaping, which the desktop's other thumbnailers use: QUrl
    // leaves "[", "]" and ";" as they are, and the cache names would differ.
    const QString clean = absolute(path);
    if (gchar* uri = g_filename_to_uri(QFile::encodeName(clean).constData(), nullptr, nullptr)) {
        const QString text = QString::fromUtf8(uri);
        g_free(uri);
        return text;
    }
    return QString::fromLatin1(QUrl::fromLocalFile(clean).toEncoded(QUrl::FullyEncoded));
}

QString Thumbnails::cachePath(const QString& uri, const QString& sizeFolder)
{
    const QByteArray digest = QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex();
    return thumbnailsRoot() + u'/' + sizeFolder + u'/' + QString::fromLatin1(digest) + QStringLiteral(".png");
}

QImage Thumbnails::cachedThumbnail(const QString& path)
{
    const std::optional<struct stat> info = statOf(path);
    if (!info)
        return {};
    const QString uri = thumbnailURI(path);
    for (const QString& folder : readableFolders) {
        const QString file = cachePath(uri, folder);
        if (!QFileInfo::exists(file))
            continue;
        QImage image(file, "png");
        if (image.isNull())
            continue;
        // Valid only for this file as it is now.
        if (image.text(keyURI) != uri || parseSeconds(image.text(keyMTime)) != qint64(info->st_mtim.tv_sec))
            continue;
        return image;
    }
    return {};
}

QImage Thumbnails::makeThumbnail(const QString& path, Kind kind, int box, QString* error)
{
    QString reason;
    QImage image;
    switch (kind) {
    case Kind::image: {
        QImageReader reader(path);
        if (const std::optional<QSize> size = checkedImageSize(reader, &reason)) {
            ++g_decodes;
            image = decodeImage(reader, *size, box, &reason);
        }
        break;
    }
    case Kind::pdf:
        ++g_decodes;
        image = renderInChild(path, box, &reason);
        break;
    case Kind::none:
        reason = QStringLiteral("The file is neither an image nor a PDF document");
        break;
    }
    if (error)
        *error = reason;
    return image;
}

bool Thumbnails::writeToCache(const QString& path, const QImage& thumbnail)
{
    const std::optional<struct stat> info = statOf(path);
    if (!info || thumbnail.isNull() || isInsideCache(path))
        return false;
    return writeCacheFile(path, qint64(info->st_mtim.tv_sec), qint64(info->st_size), thumbnail);
}

QImage Thumbnails::thumbnailFor(const QString& path, Kind kind, QString* error)
{
    QImage cached = cachedThumbnail(path);
    if (!cached.isNull())
        return cached;
    // Taken before decoding: a file that changes meanwhile leaves a thumbnail
    // marked with the older time, which the next look-up refuses.
    const std::optional<struct stat> before = statOf(path);
    if (!before) {
        if (error)
            *error = QStringLiteral("The file cannot be found");
        return {};
    }
    QImage made = makeThumbnail(path, kind, normalSize, error);
    if (!made.isNull() && !isInsideCache(path))
        writeCacheFile(path, qint64(before->st_mtim.tv_sec), qint64(before->st_size), made);
    return made;
}

std::size_t Thumbnails::decodeCount()
{
    return g_decodes.load();
}

void Thumbnails::setPdfRenderer(const QString& program, std::chrono::milliseconds timeLimit)
{
    PdfRenderer& renderer = pdfRenderer();
    std::lock_guard lock(renderer.mutex);
    renderer.program = program;
    renderer.timeLimit = timeLimit;
}

QString Thumbnails::pdfRendererProgram()
{
    PdfRenderer& renderer = pdfRenderer();
    std::lock_guard lock(renderer.mutex);
    return renderer.program.isEmpty() ? defaultPdfRenderer() : renderer.program;
}

QImage Thumbnails::renderPdfFirstPage(const QString& path, int box, QString* error)
{
    return renderFirstPage(path, box, error);
}

} // namespace vantel::platform
