#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The phone's start-up script, /ezxlocal/download/mystuff/.autorun.csh: a
// sequence of entries of two lines each, a name line ("#" and the name; for
// the shell a comment) and a command line (switched off when it starts with
// "#"). Empty lines between entries are skipped where a name line is
// expected. Both the autorun tab and the application installer edit it.
//
// The phone runs the script as root at boot, so a path is written as a
// command the shell reads back as exactly that path: a plain absolute path
// as it stands, anything else (blanks, quotes, $, backquotes, ...)
// single-quoted. Entries written by hand or before stay as they are.
namespace StartupScript {

inline constexpr char path[] = "/ezxlocal/download/mystuff/.autorun.csh";

struct Entry {
    QString name;     // the name line without its first character
    QString command;  // the line after it ("" at the end of the script)
    bool enabled() const { return !command.startsWith(u'#'); }
    // The path the command line runs, as the user chose it: the line
    // without its switching "#", read as the shell reads one word; a line
    // that is not one word (a command with arguments, say) as it stands.
    QString path() const;
};

// The command line that runs exactly the path: plain absolute paths as they
// stand, anything else single-quoted.
QString commandFor(const QString& path);

// The words the shell makes of a simple command line (blanks between
// words, single and double quotes, backslashes, a "#" starting a word ends
// the line). Nothing when the line holds anything the shell would expand or
// treat as more than words ($, backquotes, ;, |, &, <, >, parentheses,
// globbing characters, an open quote).
std::optional<QStringList> words(const QString& commandLine);

// True when the entry's command runs a program inside the folder (an
// absolute path without a trailing "/"): its first word, "." and ".."
// worked out, lies below it; a line that is not simple words counts when
// it starts with the folder and a "/".
bool runsFrom(const Entry& entry, const QString& folder);

// The entries as the autorun list shows them, in file order.
QList<Entry> entries(const QStringList& lines);

// True when an entry of that name and command line can be written as its two
// lines and read back the same: no line feed in either, no carriage return
// at the end of either (a reader takes it for part of the line end), and
// every character one byte. Callers check it before withEntryAdded.
bool canStore(const QString& name, const QString& command);

// Every non-empty line in order, then the new entry: "#" + name and the
// command line that runs the path (commandFor) with the arguments, each one
// word the shell reads back as it stands (Shell::literalWord). A path given
// with a leading "#" adds the entry switched off, running the rest (the
// installer's entries).
QStringList withEntryAdded(const QStringList& lines, const QString& name, const QString& command,
                           const QStringList& arguments = {});

// The same with the command line exactly as given (a command with its
// arguments, written as the caller quoted it).
QStringList withLinesAdded(const QStringList& lines, const QString& name, const QString& commandLine);

// Every entry of that name left out, name line and command line; every other
// line, empty ones included, kept where it is.
QStringList withEntryRemoved(const QStringList& lines, const QString& name);

// Every entry that runs a program inside the folder (runsFrom) left out;
// every other line kept where it is.
QStringList withEntriesFromRemoved(const QStringList& lines, const QString& folder);

// Every entry of that name switched on (a leading "#" of its command line
// removed, if any) or off ("#" put in front, unless there is one already);
// every other line kept where it is.
QStringList withEntrySwitched(const QStringList& lines, const QString& name, bool on);
// The same for every entry that which(entry) picks.
QStringList withEntriesSwitched(const QStringList& lines, const std::function<bool(const Entry&)>& which, bool on);

// The file text of the lines: each line followed by a line feed.
QString text(const QStringList& lines);

// The script's lines; an empty list when there is no script, nothing when
// it exists but cannot be read (then it must not be replaced).
std::optional<QStringList> read();

// Replaces the script with the text of the lines, byte for byte. The old
// script stays as it was unless the whole new text was written.
bool rewrite(const QStringList& lines);

} // namespace StartupScript
