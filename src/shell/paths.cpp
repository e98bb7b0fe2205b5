#include "shell/paths.h"

#include <QFile>
#include <QPixmap>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Paths {

namespace {

bool statOf(const QString& path, struct stat* info)
{
    const QByteArray bytes = toBytes(path);
    return !bytes.isEmpty() && ::stat(bytes.constData(), info) == 0;
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
    for (const QChar c : path) {
        if (c.unicode() > 0xff || c.unicode() == 0)
            return QByteArray();
    }
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

QString forDisplay(const QString& path)
{
    return QString::fromUtf8(path.toLatin1());
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

qint64 fileSize(const QString& path)
{
    const QByteArray bytes = toBytes(path);
    struct stat info;
    if (bytes.isEmpty() || ::stat(bytes.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return qint64(info.st_size);
}

Entry entryAt(const QString& path)
{
    const QByteArray bytes = toBytes(path);
    struct stat info;
    if (bytes.isEmpty() || ::lstat(bytes.constData(), &info) != 0)
        return {};
    const Entry::Kind kind = S_ISREG(info.st_mode)   ? Entry::File
                             : S_ISDIR(info.st_mode) ? Entry::Folder
                             : S_ISLNK(info.st_mode) ? Entry::Link
                                                     : Entry::Other;
    return {kind, quint64(info.st_nlink), quint64(info.st_dev), quint64(info.st_ino)};
}

QString linkTarget(const QString& path)
{
    const QByteArray bytes = toBytes(path);
    if (bytes.isEmpty())
        return QString();
    QByteArray target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(bytes.constData(), target.data(), size_t(target.size()));
    if (n <= 0 || n >= target.size())
        return QString();
    target.truncate(n);
    return fromBytes(target);
}

bool listNames(const QString& dir, QStringList* names)
{
    names->clear();
    const QByteArray bytes = toBytes(dir);
    DIR* stream = bytes.isEmpty() ? nullptr : ::opendir(bytes.constData());
    if (!stream)
        return false;
    while (const struct dirent* entry = ::readdir(stream)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names->append(fromBytes(name));
    }
    ::closedir(stream);
    return true;
}

QString lexical(const QString& path)
{
    QStringList parts;
    for (const QString& part : path.split(u'/')) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << part;
    }
    return u'/' + parts.join(u'/');
}

QString canonical(const QString& path)
{
    const QByteArray bytes = toBytes(path);
    if (bytes.isEmpty())
        return QString();
    char* resolved = ::realpath(bytes.constData(), nullptr);
    if (!resolved)
        return QString();
    const QString result = fromBytes(QByteArray(resolved));
    std::free(resolved);
    return result;
}

QString currentDirectory()
{
    char* dir = ::getcwd(nullptr, 0);
    if (!dir)
        return QString();
    const QString result = fromBytes(QByteArray(dir));
    std::free(dir);
    return result;
}

QString runningExecutable()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || size_t(n) >= sizeof buffer)
        return QString();
    return fromBytes(QByteArray(buffer, n));
}

bool listDirectory(const QString& dir, QStringList* folders, QStringList* files)
{
    folders->clear();
    files->clear();
    const QByteArray bytes = toBytes(dir);
    if (bytes.isEmpty())
        return false;
    DIR* stream = ::opendir(bytes.constData());
    if (!stream)
        return false;
    const int fd = ::dirfd(stream);
    while (const struct dirent* entry = ::readdir(stream)) {
        struct stat info;
        if (::fstatat(fd, entry->d_name, &info, 0) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            folders->append(fromBytes(QByteArray(entry->d_name)));
        else if (S_ISREG(info.st_mode))
            files->append(fromBytes(QByteArray(entry->d_name)));
    }
    ::closedir(stream);
    return true;
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
