// The start-up script model on arbitrary scripts, names and commands. The
// entries survive being written out and read again; removing an entry
// leaves exactly the other entries; switching one changes only its command
// line's leading "#"; an entry that can be stored comes back as the last
// entry after it is added (to a script whose non-empty lines pair up),
// running exactly the path given: busybox sh, inside the sealed phone
// sandbox, reads its command line as one word holding the path, whatever
// bytes it holds, never running any of them; so does the model's own
// reading of the line.
//
// Input: name NUL command NUL script (Latin-1). A command starting with "#"
// is an entry added switched off (the installer's form). Each input that
// adds an entry starts one shell.

#include "fuzzing.h"
#include "sealedshell.h"

#include "autorun/startupscript.h"
#include "shell/shellrun.h"

#include <QFile>

#include <optional>

namespace {

using StartupScript::Entry;

std::string show(const QList<Entry>& entries)
{
    std::string out;
    for (const Entry& e : entries)
        out += "  " + Fuzz::show(e.name) + " -> " + Fuzz::show(e.command) + "\n";
    return out;
}

bool same(const QList<Entry>& a, const QList<Entry>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].command != b[i].command)
            return false;
    }
    return true;
}

QList<Entry> reread(const QStringList& lines)
{
    return StartupScript::entries(StartupScript::text(lines).split(u'\n'));
}

QString scratch;

// The words busybox sh reads in a command line, each ended by a NUL.
QByteArray shellWords(const QString& commandLine)
{
    const QString fragment = scratch + QStringLiteral("/words.sh");
    const QString printed = scratch + QStringLiteral("/words");
    FUZZ_CHECK(Fuzz::writeFile(fragment, "set -- " + commandLine.toLatin1()
                                             + "\nfor w do printf '%s\\000' \"$w\"; done > " + printed.toLatin1() + '\n'),
               "cannot write " + fragment.toStdString());
    QFile::remove(printed);
    Shell::run(QStringLiteral("sh %1"), fragment);
    return Fuzz::readFile(printed);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    scratch = Fuzz::enterSealedShell(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> parts = Fuzz::split(data, size, '\0', 3);
    const QString name = QString::fromLatin1(parts[0]);
    const QString command = QString::fromLatin1(parts[1]);
    const QStringList lines = QString::fromLatin1(parts[2]).split(u'\n');
    const QList<Entry> before = StartupScript::entries(lines);
    const auto what = [&](const QList<Entry>& after) {
        return "name " + Fuzz::show(parts[0]) + "\ncommand " + Fuzz::show(parts[1]) + "\nscript "
            + Fuzz::show(parts[2]) + "\nentries before:\n" + show(before) + "after:\n" + show(after);
    };

    // Written and read back, the script lists the same entries.
    FUZZ_CHECK(same(reread(lines), before), what(reread(lines)));

    // Removal takes that name's entries and nothing else.
    QList<Entry> others;
    for (const Entry& e : before) {
        if (e.name != name)
            others << e;
    }
    const QList<Entry> removed = reread(StartupScript::withEntryRemoved(lines, name));
    FUZZ_CHECK(same(removed, others), what(removed));

    // Switching touches only the commands of that name's entries.
    for (const bool on : {true, false}) {
        const QList<Entry> switched = reread(StartupScript::withEntrySwitched(lines, name, on));
        FUZZ_CHECK(switched.size() == before.size(), what(switched));
        for (qsizetype i = 0; i < before.size(); ++i) {
            const Entry& was = before[i];
            QString expected = was.command;
            if (was.name == name) {
                if (on && expected.startsWith(u'#'))
                    expected.remove(0, 1);
                else if (!on && !expected.startsWith(u'#'))
                    expected.prepend(u'#');
            }
            FUZZ_CHECK(switched[i].name == was.name && switched[i].command == expected,
                       what(switched));
        }
    }

    // Removing a folder's entries takes exactly those that run from it.
    const QString folder = u'/' + name;
    QList<Entry> outside;
    for (const Entry& e : before) {
        if (!StartupScript::runsFrom(e, folder))
            outside << e;
    }
    const QList<Entry> pruned = reread(StartupScript::withEntriesFromRemoved(lines, folder));
    FUZZ_CHECK(same(pruned, outside), what(pruned));

    // Where the model reads a command line as plain words, the shell reads
    // the same words.
    const std::optional<QStringList> words = StartupScript::words(command);
    if (words && !command.contains(u'\n')) {
        QByteArray expected;
        for (const QString& word : *words)
            expected += word.toLatin1() + '\0';
        const QByteArray got = shellWords(command);
        FUZZ_CHECK(got == expected, what(before) + "shell read " + Fuzz::show(got));
    }

    // A storable entry added comes back whole, after the entries that were.
    if (!StartupScript::canStore(name, command))
        return 0;
    QStringList kept;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            kept << line;
    }
    if (kept.size() % 2 != 0)
        return 0;  // a last name line without its command takes the new name line
    const QList<Entry> added = reread(StartupScript::withEntryAdded(lines, name, command));
    const QList<Entry> keptEntries = StartupScript::entries(kept);
    FUZZ_CHECK(added.size() == keptEntries.size() + 1, what(added));
    FUZZ_CHECK(same(added.mid(0, keptEntries.size()), keptEntries), what(added));
    const bool off = command.startsWith(u'#');
    const QString path = off ? command.mid(1) : command;
    FUZZ_CHECK(added.last().name == name && added.last().enabled() == !off && added.last().path() == path,
               what(added));

    // The shell reads the command line as exactly the path, one word.
    const QString line = off ? added.last().command.mid(1) : added.last().command;
    FUZZ_CHECK(StartupScript::words(line) == QStringList{path}, what(added));
    const QByteArray got = shellWords(line);
    FUZZ_CHECK(got == path.toLatin1() + '\0', what(added) + "shell read " + Fuzz::show(got));
    return 0;
}
