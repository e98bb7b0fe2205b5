#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "shell/shellquote.h"

// Running shell commands, writing files through the shell and reading
// scratch files back. This is the only place of the program that starts
// another process.
//
// Commands go to /bin/sh -c as Latin-1 bytes, one after another, and the
// caller waits for each. A command (or a text to write) holding a character
// outside Latin-1 cannot be passed on unchanged and is refused: nothing runs
// and the result reports failure. So is a command holding a NUL character,
// which would cut it short (a text to write may hold NUL bytes).
//
// What a command prints on its standard error, and on its standard output
// unless the caller shows that (runPrinting), never reaches the terminal: it
// goes to the category "vardel.commands" of the toolkit's debug output, off
// unless asked for (QT_LOGGING_RULES="vardel.commands.debug=true"), one
// message per command with its command line.
namespace Shell {

Q_DECLARE_LOGGING_CATEGORY(commandsLog)

// Result of run() when the command could not be started or was refused.
inline constexpr int NotRun = -1;

// Runs one complete command line and waits for it; returns the wait status
// (as system() does), or NotRun.
int run(const QString& command);

// Fills the pattern's placeholders with the values, each quoted as one shell
// word (see fillCommand), and runs the result.
template <typename... Values>
int run(const QString& pattern, const Values&... values)
{
    return run(fillCommand(pattern, QStringList{QString(values)...}));
}

// As run, but the command's standard output is the program's own: for the
// lines a windowless start prints for whoever started it.
int runPrinting(const QString& command);
template <typename... Values>
int runPrinting(const QString& pattern, const Values&... values)
{
    return runPrinting(fillCommand(pattern, QStringList{QString(values)...}));
}

enum class WriteMode { Replace, Append };

// Writes text and one line feed to the file, byte for byte (as Latin-1),
// like `echo "text" > file` (Replace) or `>> file` (Append) but without any
// shell expansion of the text and without any limit on its length: the text
// is fed to `cat` on its standard input. True when the whole text was
// written and the command succeeded.
bool writeFile(const QString& path, const QString& text, WriteMode mode = WriteMode::Replace);

// Replaces target whole: writes the text to the sibling file, and only when
// that succeeded moves the sibling over the target. Anything already under
// the sibling's name (a stale file, a folder, a symbolic link) is removed
// first and never written through; the sibling written is a new file. False
// when the text cannot be written, the sibling cannot be cleared, the target
// is a folder or the move fails: the target then stays as it was and no
// sibling of this call is left. True on success.
// beforeMove, when given, is run on the written sibling before the move
// (modes and owners the target must have from the moment it appears).
bool writeThenMove(const QString& sibling, const QString& target, const QString& text,
                   const std::function<void(const QString& sibling)>& beforeMove = {});
// The same for bytes that are the whole new file: no line feed is added
// (a file put back exactly as it was).
bool writeBytesThenMove(const QString& sibling, const QString& target, const QByteArray& bytes,
                        const std::function<void(const QString& sibling)>& beforeMove = {});

// What a carriage return before a line feed is taken for: part of the line
// end (text written on another system), or a byte of the line like any
// other (a listing of names, where it may be part of a name).
enum class CarriageReturn { LineEnd, Kept };

// The largest phone file the program reads or hands to a command.
inline constexpr qint64 readLimit = 16 * 1024 * 1024;

// True when the path (a symbolic link followed) is a regular file of at most
// readLimit bytes. Anything else (a FIFO, a device, a socket, a folder, a
// link to one, a file larger than that) counts as unreadable: it is never
// read, never replaced and never handed to a command, so that a read can
// neither block for ever nor fill the memory.
bool isReadableFile(const QString& path);

// The path for a command that reads it: the path itself when
// isReadableFile, else /dev/null, which reads as a missing file's nothing.
QString readableOrNothing(const QString& path);

// All bytes of a file, or nothing when it cannot be opened or read (a
// folder, a file without read permission) or is no isReadableFile.
std::optional<QByteArray> readBytesIfReadable(const QString& path);

// The lines of a scratch file, without line ends, each byte one character
// (Latin-1, the way the commands wrote it). A file that cannot be opened
// reads as empty.
QStringList readLines(const QString& path, CarriageReturn cr = CarriageReturn::LineEnd);

// The same, but nothing at all when the file cannot be opened, so that a
// caller can tell a file it may not replace from an empty one.
std::optional<QStringList> readLinesIfReadable(const QString& path, CarriageReturn cr = CarriageReturn::LineEnd);

// The part of a path after its last "/"; "" when there is no "/" or the path
// ends in one.
QString fileNameOf(const QString& path);

} // namespace Shell
