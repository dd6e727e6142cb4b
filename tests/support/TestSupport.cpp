#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QPainter>
#include <QThread>
#include <QUuid>

#include <cstdio>
#include <ctime>
#include <limits>

#include <sys/wait.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vantel::test {

QString testHome()
{
    return qEnvironmentVariable("VANTEL_TEST_HOME");
}

QString makeTempDir(const QString& name)
{
    const QString path = testHome() + QStringLiteral("/") + name + QStringLiteral("-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QDir().mkpath(path);
    return path;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString outputFolder()
{
    // A run in another locale keeps its pictures apart: output-de_DE.UTF-8.
    const QString lang = qEnvironmentVariable("VANTEL_TEST_LANG");
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/output")
        + (lang.isEmpty() ? QString() : QLatin1Char('-') + lang);
    QDir().mkpath(folder);
    return folder;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void spinEventLoop(std::chrono::milliseconds duration)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

qint64 processCpuNanoseconds()
{
    timespec time{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

Growth cheapestOfRounds(const std::function<qint64()>& smallCost, const std::function<qint64()>& largeCost, int rounds)
{
    Growth growth{std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max()};
    for (int round = 0; round < rounds; ++round) {
        const qint64 small = smallCost();
        const qint64 large = largeCost();
        if (small <= 0 || large <= 0)
            return {};
        growth.small = std::min(growth.small, small);
        growth.large = std::min(growth.large, large);
    }
    return growth;
}

QImage renderIcon(const QIcon& icon, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, image.rect());
    return image;
}

int paintedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

int exitCodeAsUnprivilegedChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

int exitCodeAsBoundedChild(const std::function<int()>& body, unsigned seconds, long memoryBytes)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        ::alarm(seconds);
#if !defined(__SANITIZE_ADDRESS__)
        // On top of what the process has mapped already.
        long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        const rlim_t bytes = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + rlim_t(memoryBytes);
        rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_AS, &limit);
#else
        (void)memoryBytes;
#endif
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace vantel::test
