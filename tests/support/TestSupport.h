#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

#include <chrono>
#include <functional>

namespace vantel::test {

// The throw-away home that TestMain created for this process.
QString testHome();

// A fresh, empty folder below the test home.
QString makeTempDir(const QString& name);

// Writes a file whole, its folder made when missing; false when it could not.
bool writeFile(const QString& path, const QByteArray& content);
// A file's bytes; empty when it can't be read.
QByteArray readFile(const QString& path);

// Where pictures of the interface go for a look: "output" beside the test
// program, made if missing.
QString outputFolder();

// How long a test waits for what must come (a child process, its output, a
// worker's result, an X server): long enough for a machine loaded several
// times over. What hangs is cut off by CTest's timeout of the test program.
inline constexpr std::chrono::milliseconds longWait = std::chrono::minutes(2);

// Runs the main event loop until `done` answers true or the time is up.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = longWait);

// Runs the main event loop for the given time.
void spinEventLoop(std::chrono::milliseconds duration);

// The processor time of this process, all its threads, in nanoseconds: unlike
// the wall clock, it stands still while a busy machine runs other processes.
qint64 processCpuNanoseconds();

// How a job's cost grows from one size to another. Each `cost` runs the job
// once and answers what it cost (processCpuNanoseconds), -1 when it fell short;
// the two run in turns, small then large, `rounds` times, and the cheapest run
// of each is kept, so that a busy moment of the machine falls on both alike
// and then drops out.
struct Growth {
    qint64 small = -1;
    qint64 large = -1;
    double ratio() const { return double(large) / double(small); }
};
Growth cheapestOfRounds(const std::function<qint64()>& smallCost, const std::function<qint64()>& largeCost,
                        int rounds = 5);

// The icon painted on a transparent square of the given side.
QImage renderIcon(const QIcon& icon, int side = 48);

// How many pixels of the image are not fully transparent.
int paintedPixels(const QImage& image);

// Runs `body` in a forked child that gives up root (to nobody), so that
// permissions stop it as they stop a user; the child's exit code is what
// `body` returns, 100 when it could not give up root, -1 when it did not
// exit.
int exitCodeAsUnprivilegedChild(const std::function<int()>& body);

// Runs `body` in a forked child that is killed after `seconds` and, outside
// the sanitizers (which reserve far more address space), may map at most
// `memoryBytes`: a read that never ends fails the test instead of hanging it
// or taking the machine's memory. -1 when the child did not exit by itself.
int exitCodeAsBoundedChild(const std::function<int()>& body, unsigned seconds, long memoryBytes);

} // namespace vantel::test
