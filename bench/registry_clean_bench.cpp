// The program's own work of the registry clean-up (LimpiarCR) in one
// process (Google Benchmark): reading a registry's lines and making its
// tidy text, on a 3 MiB registry and on one of a fifth of that for growth.
#include "benchfiles.h"

#include "packages/registrytext.h"
#include "shell/shellrun.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void RegistryClean(benchmark::State& state)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("UserRegistry%1").arg(state.range(0)));
    if (!QFile::exists(path)) {
        // Records without the blank line between them, as an append leaves them.
        QByteArray text = BenchFiles::registry(state.range(0) * 1024).text;
        text.replace("\n\n", "\n");
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    for (auto _ : state) {
        const std::optional<QStringList> lines = Shell::readLinesIfReadable(path);
        const QString tidy = RegistryText::cleaned(lines.value());
        benchmark::DoNotOptimize(tidy.toLatin1());
    }
}

} // namespace

BENCHMARK(RegistryClean)->Arg(614)->Arg(3072)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
