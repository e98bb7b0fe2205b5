#pragma once

// What every fuzz target shares: stating a property, showing bytes so a
// person can read them, cutting one input into several, and a private
// directory for files. See docs/reliability.md for how to add a target.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

// The entry points of a target, called by libFuzzer or, in builds without
// it, by the corpus replayer.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace Fuzz {

// Ends the run as a failure: prints what did not hold and the details, then
// aborts, so that libFuzzer keeps the input that did it.
[[noreturn]] void fail(const char* file, int line, const char* condition,
                       const std::string& details);

// Bytes as a C string literal: printable ASCII as it is, everything else
// escaped (\n, \t, \", \\, \xHH), so blanks and line ends show.
std::string show(const QByteArray& bytes);
// A string's characters the same way; those above U+00FF as \u{HHHH}.
std::string show(const QString& text);

// The input cut at every separator byte into at most maxParts parts (the
// last part keeps the rest, separators included). Missing parts are empty,
// so the result always has maxParts entries.
QList<QByteArray> split(const std::uint8_t* data, std::size_t size, char separator,
                        int maxParts);

// Runs the check the input's first byte chooses (its value modulo the
// number of checks) on the rest of the input; an empty input runs none.
void runOneOf(const std::uint8_t* data, std::size_t size,
              std::initializer_list<std::function<void(const QByteArray&)>> checks);

// A directory of this process for scratch files, on a memory file system
// when there is one, so that per-input writes and syncs cost little. It goes
// away when the process ends normally.
QString scratchDir();

// Puts the bytes into the file (created or truncated); false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes, or "<missing>" when it cannot be read.
QByteArray readFile(const QString& path);

} // namespace Fuzz

// Checks a property of the input. The details (anything that converts to
// std::string, usually built with Fuzz::show) are evaluated only on failure.
#define FUZZ_CHECK(condition, details)                                       \
    do {                                                                     \
        if (!(condition))                                                    \
            ::Fuzz::fail(__FILE__, __LINE__, #condition, (details));         \
    } while (false)
