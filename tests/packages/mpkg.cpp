#include "mpkg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace TestMpkg {

namespace {

void put(QByteArray& header, int at, int width, const QByteArray& text)
{
    header.replace(at, qMin<int>(width, int(text.size())), text.left(width));
}

void octal(QByteArray& header, int at, int width, qint64 value)
{
    put(header, at, width - 1, QByteArray::number(value, 8).rightJustified(width - 1, '0'));
}

QByteArray header(const QByteArray& name, char type, qint64 size, const QByteArray& target, int mode)
{
    QByteArray h(512, '\0');
    put(h, 0, 100, name);
    octal(h, 100, 8, mode);
    octal(h, 108, 8, 0);
    octal(h, 116, 8, 0);
    octal(h, 124, 12, size);
    octal(h, 136, 12, 1772359200);
    h[156] = type;
    put(h, 157, 100, target);
    put(h, 257, 8, QByteArray("ustar  \0", 8));
    if (type == '3') {
        octal(h, 329, 8, 1);
        octal(h, 337, 8, 3);
    }
    put(h, 148, 8, QByteArray(8, ' '));
    unsigned sum = 0;
    for (char c : h)
        sum += static_cast<unsigned char>(c);
    put(h, 148, 8, QByteArray::number(sum, 8).rightJustified(6, '0') + QByteArray("\0 ", 2));
    return h;
}

QByteArray padded(const QByteArray& data)
{
    return data + QByteArray((512 - data.size() % 512) % 512, '\0');
}

} // namespace

Member folder(const QByteArray& name)
{
    return {name, {}, '5', {}, 0755};
}

Member file(const QByteArray& name, const QByteArray& data, int mode)
{
    return {name, data, '0', {}, mode};
}

QByteArray tar(const QList<Member>& members)
{
    QByteArray out;
    for (const Member& m : members) {
        if (m.name.size() > 100) {
            const QByteArray longName = m.name + '\0';
            out += header("././@LongLink", 'L', longName.size(), {}, 0644) + padded(longName);
        }
        out += header(m.name, m.type, m.type == '0' ? m.data.size() : 0, m.target, m.mode);
        if (m.type == '0')
            out += padded(m.data);
    }
    return out + QByteArray(1024, '\0');
}

bool write(const QByteArray& path, const QList<Member>& members)
{
    QDir().mkpath(QFileInfo(QFile::decodeName(path)).absolutePath());
    QProcess gzip;
    gzip.setStandardOutputFile(QFile::decodeName(path));
    gzip.start("/bin/busybox", {"gzip", "-c"});
    gzip.write(tar(members));
    gzip.closeWriteChannel();
    return gzip.waitForFinished(10000) && gzip.exitCode() == 0;
}

} // namespace TestMpkg
