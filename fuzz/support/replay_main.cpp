// The main of a fuzz target in a build without libFuzzer: runs the target
// once on every file named, and on every file of every directory named, in
// name order, so that a corpus replays as an ordinary test. Arguments that
// start with '-' are libFuzzer options and are passed over.

#include "fuzzing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);

    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            continue;
        const QString path = QFile::decodeName(argv[i]);
        const QFileInfo info(path);
        if (info.isDir()) {
            const QDir dir(path);
            for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
                inputs << dir.filePath(name);
        } else if (info.isFile()) {
            inputs << path;
        } else {
            std::fprintf(stderr, "replay: no such file or directory: %s\n", argv[i]);
            return 2;
        }
    }

    for (const QString& path : inputs) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "replay: cannot read %s\n", qPrintable(path));
            return 2;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "replay: %s\n", qPrintable(path));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               std::size_t(bytes.size()));
    }
    std::fprintf(stderr, "replay: %lld inputs, all passed\n", static_cast<long long>(inputs.size()));
    return 0;
}
