// ZConfig against QSettings in one process (Google Benchmark): opening a
// registry-like file plus 1,000 look-ups, and one write, at each size.
//   build/bench/zconfig_bench [--benchmark_filter=...]
#include "benchfiles.h"

#include <ZConfig.h>

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

namespace {

// Sizes in KiB: 1 KiB, 100 KiB, 2 MiB, and 400 KiB beside 2 MiB for growth.
const std::vector<int64_t> sizes{1, 100, 400, 2048};

struct File {
    QString path;
    QList<QPair<QString, QString>> lookups;    // for ZConfig
    QList<QString> settingsKeys;               // for QSettings: "section/key"
};

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// The file of a size, made once; writers get a copy of their own.
const File& fileOf(int64_t kib, const char* copy = nullptr)
{
    static std::map<std::pair<int64_t, std::string>, File> files;
    const auto key = std::make_pair(kib, std::string(copy ? copy : ""));
    auto at = files.find(key);
    if (at != files.end())
        return at->second;
    const BenchFiles::Registry r = BenchFiles::registry(kib * 1024);
    File f;
    f.path = scratch().filePath(QStringLiteral("r%1%2.cfg").arg(kib).arg(QString::fromLatin1(copy ? copy : "")));
    QFile out(f.path);
    if (!out.open(QIODevice::WriteOnly) || out.write(r.text) != r.text.size())
        qFatal("cannot write %s", qPrintable(f.path));
    out.close();
    for (const auto& [section, key] : BenchFiles::lookups(r.records)) {
        f.lookups.append({QString::fromLatin1(section), QString::fromLatin1(key)});
        f.settingsKeys.append(QString::fromLatin1(section + '/' + key));
    }
    return files.emplace(key, f).first->second;
}

void ZConfigParseAndLookups(benchmark::State& state)
{
    const File& f = fileOf(state.range(0));
    for (auto _ : state) {
        const ZConfig config(f.path, false);
        qsizetype total = 0;
        for (const auto& [section, key] : f.lookups)
            total += config.readEntry(section, key).size();
        benchmark::DoNotOptimize(total);
    }
}

void QSettingsParseAndLookups(benchmark::State& state)
{
    const File& f = fileOf(state.range(0));
    for (auto _ : state) {
        const QSettings settings(f.path, QSettings::IniFormat);
        qsizetype total = 0;
        for (const QString& key : f.settingsKeys)
            total += settings.value(key).toString().size();
        benchmark::DoNotOptimize(total);
    }
}

void ZConfigOneWrite(benchmark::State& state)
{
    const File& f = fileOf(state.range(0), "zw");
    int n = 0;
    for (auto _ : state) {
        ZConfig config(f.path, true);
        if (!config.writeEntry(f.lookups.first().first, QStringLiteral("Exec"), QString::number(++n)))
            state.SkipWithError("write failed");
    }
}

void QSettingsOneWrite(benchmark::State& state)
{
    const File& f = fileOf(state.range(0), "qw");
    int n = 0;
    for (auto _ : state) {
        QSettings settings(f.path, QSettings::IniFormat);
        settings.setValue(f.lookups.first().first + QStringLiteral("/Exec"), QString::number(++n));
        settings.sync();
        if (settings.status() != QSettings::NoError)
            state.SkipWithError("write failed");
    }
}

} // namespace

BENCHMARK(ZConfigParseAndLookups)->ArgsProduct({sizes})->Unit(benchmark::kMicrosecond);
BENCHMARK(QSettingsParseAndLookups)->ArgsProduct({sizes})->Unit(benchmark::kMicrosecond);
BENCHMARK(ZConfigOneWrite)->ArgsProduct({sizes})->Unit(benchmark::kMicrosecond);
BENCHMARK(QSettingsOneWrite)->ArgsProduct({sizes})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
