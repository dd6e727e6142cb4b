// Runs a fuzz entry point over saved inputs, without libFuzzer: every file
// named on the command line, or every file inside a folder named there. A
// crash or sanitizer report fails the run; anything else passes.
#include "support/ThrowAwayHome.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool runFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray data = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // A home of its own, as every test process has: what Qt makes there (its
    // runtime folder) goes with it.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/vantel-corpus-XXXXXX"));
    if (!home.isValid())
        return 2;
    vantel::testing::pointAtThrowAwayHome(home.path(), "VANTEL_TEST_HOME");
    LLVMFuzzerInitialize(&argc, &argv);
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        QStringList files;
        if (QFileInfo(path).isDir()) {
            const QDir folder(path);
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
                files.append(folder.filePath(name));
        } else {
            files.append(path);
        }
        for (const QString& file : files) {
            if (!runFile(file))
                return 1;
            ++count;
        }
    }
    if (count == 0) {
        std::fprintf(stderr, "no inputs\n");
        return 1;
    }
    std::printf("%d inputs ran cleanly\n", count);
    return 0;
}
