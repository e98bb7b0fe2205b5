#pragma once

// The files the benchmarks read: registry-like INI text of a given size,
// and the look-ups made in it.

#include <QByteArray>
#include <QList>
#include <QPair>

namespace BenchFiles {

struct Registry {
    QByteArray text;
    int records = 0;
};

// Application records as a registry holds them, about 400 bytes each, up
// to at least the given size (one record at least).
Registry registry(qsizetype bytes);

// 1,000 look-ups (section, key) spread over the records, each present.
QList<QPair<QByteArray, QByteArray>> lookups(int records);

} // namespace BenchFiles
