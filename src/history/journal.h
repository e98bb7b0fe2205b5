#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The history journal: one line of text per change and one per file it
// touched. Pure text work; the folder and the files are the recorder's
// (history/recorder.h).
//
//   vardel-history 1
//   E <id> <time> <u|n> <bytes> <description>
//   F <path> <kind> <mode> <uid> <gid> <after>
//
// An E line starts an entry; the F lines after it are its files. The
// description is UTF-8 and the path Latin-1 (one byte a character), both
// percent-encoded so that neither holds a blank or a line break. kind is
// the file's state before the change (absent, file, dir, link), after the
// state it was left in (absent, or the hash of what it held); mode is
// octal. A line that
// does not read whole drops its entry, never the others.
namespace Journal {

inline constexpr int maxEntries = 50;
inline constexpr qint64 maxBytes = 2 * 1024 * 1024;

struct File {
    QString path;
    QString kind;       // "absent", "file", "dir" or "link"
    uint mode = 0;      // permission bits before (0 when absent)
    uint uid = 0;
    uint gid = 0;
    QByteArray after;   // "absent" or a hash of the content left
    bool operator==(const File&) const = default;
};

struct Entry {
    int id = 0;          // also the name of its folder
    qint64 time = 0;     // seconds since 1970
    bool undoable = true;
    qint64 bytes = 0;    // what its folder holds
    QString description;
    QList<File> files;
    bool operator==(const Entry&) const = default;
};

QByteArray format(const QList<Entry>& entries);
QList<Entry> parse(const QByteArray& text);

// The entries kept when one more is added: the newest, at most maxEntries
// of them and at most maxBytes together; the dropped ones go to *dropped.
QList<Entry> withinLimits(QList<Entry> entries, QList<Entry>* dropped = nullptr);

// The newest entry after entries[index] that touched path, or -1.
int laterChangeOf(const QList<Entry>& entries, int index, const QString& path);

} // namespace Journal
