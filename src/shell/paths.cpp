#include "shell/paths.h"

#include <QFile>
#include <QPixmap>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Paths {

namespace {

bool statOf(const QString& path, struct stat* info)
{
    return !path.isEmpty() && ::stat(toBytes(path).constData(), info) == 0;
}

// The whole content of a regular file, or nothing.
QByteArray readRegularFile(const QString& path)
{
    QByteArray content;
    const int fd = ::open(toBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return content;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            content.append(buffer, n);
        }
    }
    ::close(fd);
    return content;
}

} // namespace

QString fromBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray toBytes(const QString& path)
{
    return path.toLatin1();
}

QString forQt(const QString& path)
{
    return QFile::decodeName(toBytes(path));
}

QString fromQt(const QString& qtPath)
{
    return fromBytes(QFile::encodeName(qtPath));
}

bool exists(const QString& path)
{
    struct stat info;
    return statOf(path, &info);
}

bool isRegularFile(const QString& path)
{
    struct stat info;
    return statOf(path, &info) && S_ISREG(info.st_mode);
}

bool isDirectory(const QString& path)
{
    struct stat info;
    return statOf(path, &info) && S_ISDIR(info.st_mode);
}

QPixmap loadPixmap(const QString& path)
{
    QPixmap pixmap;
    const QByteArray data = readRegularFile(path);
    if (!data.isEmpty())
        pixmap.loadFromData(data);
    return pixmap;
}

} // namespace Paths
