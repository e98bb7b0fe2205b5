#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The phone's start-up script, /ezxlocal/download/mystuff/.autorun.csh: a
// sequence of entries of two lines each, a name line ("#" and the name; for
// the shell a comment) and a command line (switched off when it starts with
// "#"). Empty lines between entries are skipped where a name line is
// expected. Both the autorun tab and the application installer edit it.
namespace StartupScript {

inline constexpr char path[] = "/ezxlocal/download/mystuff/.autorun.csh";

struct Entry {
    QString name;     // the name line without its first character
    QString command;  // the line after it ("" at the end of the script)
    bool enabled() const { return !command.startsWith(u'#'); }
};

// The entries as the autorun list shows them, in file order.
QList<Entry> entries(const QStringList& lines);

// True when an entry of that name and command line can be written as its two
// lines and read back the same: no line feed in either, no carriage return
// at the end of either (a reader takes it for part of the line end), and
// every character one byte. Callers check it before withEntryAdded.
bool canStore(const QString& name, const QString& command);

// Every non-empty line in order, then the new entry: "#" + name and the
// command line as given (an installer passes one starting with "#", so its
// entry is added switched off).
QStringList withEntryAdded(const QStringList& lines, const QString& name, const QString& command);

// Every entry of that name left out, name line and command line; every other
// line, empty ones included, kept where it is.
QStringList withEntryRemoved(const QStringList& lines, const QString& name);

// Every entry of that name switched on (a leading "#" of its command line
// removed, if any) or off ("#" put in front, unless there is one already);
// every other line kept where it is.
QStringList withEntrySwitched(const QStringList& lines, const QString& name, bool on);

// The file text of the lines: each line followed by a line feed.
QString text(const QStringList& lines);

// The script's lines; an empty list when there is no script, nothing when
// it exists but cannot be read (then it must not be replaced).
std::optional<QStringList> read();

// Replaces the script with the text of the lines, byte for byte. The old
// script stays as it was unless the whole new text was written.
bool rewrite(const QStringList& lines);

} // namespace StartupScript
