// The history journal. Any text, read and written again, reads the same: what
// the parser keeps is what the writer writes. An entry made of any
// description and any path bytes, added to what was read, comes back exactly.
//
// Input: a journal text; for the added entry, the same bytes cut at the first
// NUL into a description and a path.

#include "fuzzing.h"

#include "history/journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<Journal::Entry> read = Journal::parse(input);
    FUZZ_CHECK(Journal::parse(Journal::format(read)) == read, "journal " + Fuzz::show(input));

    const QList<QByteArray> parts = Fuzz::split(data, size, '\0', 2);
    Journal::Entry added;
    added.id = read.isEmpty() ? 1 : read.last().id + 1;
    added.time = 1700000000 + qint64(size);
    added.undoable = size % 2 == 0;
    added.bytes = qint64(size);
    added.description = QString::fromUtf8(parts[0]);
    added.files = {{u'/' + QString::fromLatin1(parts[1]), QStringLiteral("dir"), 0755, 500, 513, "absent"}};
    if (added.id > 999999999)
        return 0;
    const QList<Journal::Entry> all = read + QList<Journal::Entry>{added};
    FUZZ_CHECK(Journal::parse(Journal::format(all)) == all,
               "journal " + Fuzz::show(input) + "\ndescription " + Fuzz::show(parts[0]));
    return 0;
}
