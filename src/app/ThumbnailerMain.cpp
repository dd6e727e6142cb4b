// Draws the first page of a PDF file as a PNG on standard output, for the
// thumbnails of the main program, which runs it as a child process and kills
// it after a time limit: whatever a document does to Poppler ends here.
// Usage: VantelThumbnailer -- <file> <box>
#include "platform/Thumbnails.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>

#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

// The sanitizers' shadow memory is address space of its own, far more than
// the cap: sanitized, only the CPU is bounded.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VANTEL_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VANTEL_SANITIZED 1
#endif
#endif

namespace {

// Bounds of its own, in case the parent's clock stops.
void limitResources()
{
    const rlimit cpu{20, 20};
    ::setrlimit(RLIMIT_CPU, &cpu);
#if !defined(VANTEL_SANITIZED)
    const rlimit memory{rlim_t(2) << 30, rlim_t(2) << 30};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
}

int fail(const QString& message)
{
    std::fputs(message.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    limitResources();
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 4 || arguments.at(1) != QLatin1String("--"))
        return fail(QStringLiteral("Usage: VantelThumbnailer -- <file> <box>"));
    bool ok = false;
    const int box = arguments.at(3).toInt(&ok);
    if (!ok || box < 1 || box > 1024)
        return fail(QStringLiteral("The box must be between 1 and 1024 pixels"));

    QString error;
    const QImage image = vantel::platform::Thumbnails::renderPdfFirstPage(arguments.at(2), box, &error);
    if (image.isNull())
        return fail(error);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(image))
        return fail(QStringLiteral("The page cannot be written as PNG"));
    qint64 written = 0;
    while (written < png.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, png.constData() + written, size_t(png.size() - written));
        if (n <= 0)
            return fail(QStringLiteral("The picture cannot be handed over"));
        written += n;
    }
    return 0;
}
