#ifndef ZCONFIGFILE_H
#define ZCONFIGFILE_H

// File access behind ZConfig: whole-file reads that tell a missing file from
// an unreadable one, and atomic replacement that keeps owner and mode.
// Paths are the file names' bytes.

#include <QByteArray>

#include <sys/stat.h>

namespace ZConfigFile {

enum class ReadStatus {
    Ok,      // a regular file, read whole
    Missing, // nothing at the path (the directory itself exists or not)
    Failed   // something is there but cannot be read as a regular file of
             // at most readLimit bytes (a FIFO, a device, a folder, ...)
};

// No configuration file is larger: a bigger one reads as Failed, and is
// therefore never replaced either.
inline constexpr qint64 readLimit = 16 * 1024 * 1024;

// Reads the file at path into content; on Ok, info holds its status.
ReadStatus readAll(const QByteArray& path, QByteArray* content, struct stat* info = nullptr);

// The path a write has to replace: the path itself, or for a symbolic link
// the file it leads to (so the link stays a link). False for a dangling link
// or a path that cannot be resolved.
bool writeTarget(const QByteArray& path, QByteArray* target);

// Puts content at path through a temporary file in the same directory,
// flushed to disk and then renamed over the target; the directory entry is
// flushed too. With existing (the status of the file being replaced) the new
// file gets its owner, group and mode; without, a new file gets 0666 less
// the umask. On any failure the temporary file is removed, the target is
// untouched and the result is false.
bool replaceAtomically(const QByteArray& path, const QByteArray& content,
                       const struct stat* existing);

} // namespace ZConfigFile

#endif
