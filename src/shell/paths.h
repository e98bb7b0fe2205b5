#pragma once

#include <QByteArray>
#include <QString>

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

// The bytes a path in the program's form stands for.
QByteArray toBytes(const QString& path);

// The path as Qt's file classes name the same file, for the places that
// need one (it is lossy for bytes that are not UTF-8).
QString forQt(const QString& path);

// The program's form of a path that came from Qt's file classes.
QString fromQt(const QString& qtPath);

// True when the path names an existing entry of any kind / a regular file
// (symbolic links followed).
bool exists(const QString& path);
bool isRegularFile(const QString& path);
bool isDirectory(const QString& path);

// The picture in the file, a null pixmap when it is missing or no picture.
QPixmap loadPixmap(const QString& path);

} // namespace Paths
