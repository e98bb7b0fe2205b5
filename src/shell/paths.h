#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QPixmap;

// A phone path is a string of bytes. Inside the program it is held in one
// form only: a QString with one character per byte (Latin-1), the form the
// shell commands, the written files and ZConfig take. Nothing hands such a
// path to Qt's file classes directly: Qt would encode it a second time, and
// cannot name a file whose bytes are not UTF-8 at all. The functions below
// reach the file by its bytes instead.
namespace Paths {

// The program's form of raw bytes (an argv element, a name read from a
// directory, a line of a scratch file).
QString fromBytes(const QByteArray& bytes);

// The bytes a path in the program's form stands for. A string holding a
// character above U+00FF or a NUL stands for no path at all and gives
// nothing, which no file is named by (it would otherwise name some other
// file).
QByteArray toBytes(const QString& path);

// The path as Qt's file classes name the same file, for the places that
// need one (it is lossy for bytes that are not UTF-8).
QString forQt(const QString& path);

// The program's form of a path that came from Qt's file classes.
QString fromQt(const QString& qtPath);

// A name or path as a person reads it: its bytes decoded as UTF-8, each
// byte that is not part of valid UTF-8 shown as U+FFFD.
QString forDisplay(const QString& path);

// True when the path names an existing entry of any kind / a regular file
// / a directory (symbolic links followed).
bool exists(const QString& path);
bool isRegularFile(const QString& path);
bool isDirectory(const QString& path);

// The size in bytes of the regular file at the path (symbolic links
// followed); -1 when it is no regular file or cannot be reached.
qint64 fileSize(const QString& path);

// What stands at a path itself, a symbolic link not followed (lstat).
struct Entry {
    enum Kind { Missing, File, Folder, Link, Other } kind = Missing;  // Other: device, pipe, socket
    quint64 hardLinks = 0;  // names the entry has (a regular file shared by a hard link has two or more)
    quint64 device = 0;     // with inode: which file it is, whatever its name
    quint64 inode = 0;
};
Entry entryAt(const QString& path);

// The target a symbolic link holds, as it holds it; "" when the path is no
// symbolic link.
QString linkTarget(const QString& path);

// Every name in a directory but "." and "..", whatever it names (dangling
// links, devices and all), in the order the directory gives them. False,
// and no names, when the directory cannot be opened.
bool listNames(const QString& dir, QStringList* names);

// The path with every symbolic link, "." and ".." resolved; "" when some
// part of it does not exist.
QString canonical(const QString& path);

// The path taken against "/" by its text alone: "." and empty parts
// dropped, ".." taking away the part before it (never above "/"); no link
// is followed. Always absolute, no trailing "/".
QString lexical(const QString& path);

// The process's working directory; "" when it cannot be told.
QString currentDirectory();

// The path of the running executable (links resolved); "" when unknown.
QString runningExecutable();

// The entries of a directory, by kind (symbolic links followed): folders
// and regular files, hidden ones included, "." and ".." among the folders
// as the directory holds them; anything else (a device, a dangling link) is
// left out. In the order the directory gives them. False, and both lists
// empty, when the directory cannot be opened.
bool listDirectory(const QString& dir, QStringList* folders, QStringList* files);

// The picture in the file, a null pixmap when it is missing or no picture.
QPixmap loadPixmap(const QString& path);

} // namespace Paths
