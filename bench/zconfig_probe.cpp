// One whole process of reading: opens a registry-like file with ZConfig or
// QSettings, makes 1,000 look-ups and ends, so that start, parse, look-ups
// and teardown are timed together from outside (scripts/bench).
//   zconfig_probe make KIB FILE                 writes the file, prints its record count
//   zconfig_probe zconfig|qsettings FILE RECORDS
#include "benchfiles.h"

#include <ZConfig.h>

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    if (std::strcmp(argv[1], "make") == 0) {
        QFile out(QString::fromLocal8Bit(argv[3]));
        const BenchFiles::Registry r = BenchFiles::registry(QByteArray(argv[2]).toLongLong() * 1024);
        if (!out.open(QIODevice::WriteOnly) || out.write(r.text) != r.text.size())
            return 1;
        std::printf("%d\n", r.records);
        return 0;
    }
    QCoreApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]);
    const auto lookups = BenchFiles::lookups(QByteArray(argv[3]).toInt());
    qsizetype total = 0;
    if (std::strcmp(argv[1], "zconfig") == 0) {
        const ZConfig config(path, false);
        for (const auto& [section, key] : lookups)
            total += config.readEntry(QString::fromLatin1(section), QString::fromLatin1(key)).size();
    } else {
        const QSettings settings(path, QSettings::IniFormat);
        for (const auto& [section, key] : lookups)
            total += settings.value(QString::fromLatin1(section + '/' + key)).toString().size();
    }
    std::printf("%lld\n", static_cast<long long>(total));
    return 0;
}
