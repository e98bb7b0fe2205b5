#pragma once

#include <QByteArray>
#include <QList>

// Packages made by the tests: tar archives written member by member (any
// name, absolute or with "..", links, devices), compressed with gzip.
namespace TestMpkg {

struct Member {
    QByteArray name;
    QByteArray data;    // file content
    char type = '0';    // '0' file, '5' folder, '2' symbolic link, '1' hard link, '3' device, '6' pipe
    QByteArray target;  // link target
    int mode = 0644;
};

Member folder(const QByteArray& name);
Member file(const QByteArray& name, const QByteArray& data, int mode = 0644);

// The tar archive (GNU long names for names over 100 bytes).
QByteArray tar(const QList<Member>& members);

// Writes the archive, gzip-compressed, to path (inside the sandbox).
bool write(const QByteArray& path, const QList<Member>& members);

} // namespace TestMpkg
