#include "ZConfigFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace ZConfigFile {

namespace {

bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The process umask. Reading it means setting it, so it is put straight
// back; the platform runs its callers on one thread.
mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void syncDirectory(const QByteArray& dir)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: some file systems refuse it for directories
    ::close(fd);
}

// The scratch file beside a target, opened for writing and locked, or -1.
// What stands at its name is what a write cut short left, or another write
// of the same file under way: that one holds the lock, and this write then
// fails rather than mix with it. A link (symbolic, or a hard link to some
// other file) is removed, never written through; a folder or anything that
// is not a plain file fails the write.
int openScratch(const QByteArray& temp)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        // O_NONBLOCK keeps a FIFO from blocking the open.
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == ELOOP && ::unlink(temp.constData()) == 0)
                continue;
            return -1;
        }
        struct stat own, named;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &own) != 0 || !S_ISREG(own.st_mode)) {
            ::close(fd);
            return -1;
        }
        // A write that held the lock may have renamed the file into place
        // since it was opened: then it is the target, not a scratch file.
        if (::lstat(temp.constData(), &named) != 0 || named.st_dev != own.st_dev || named.st_ino != own.st_ino) {
            ::close(fd);
            continue;
        }
        if (own.st_nlink != 1) {
            ::unlink(temp.constData());
            ::close(fd);
            continue;
        }
        if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, 0) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    return -1;
}

} // namespace

ReadStatus readAll(const QByteArray& path, QByteArray* content, struct stat* info)
{
    content->clear();
    // O_NONBLOCK keeps a FIFO at the path from blocking the open; it does not
    // change how a regular file reads.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;

    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > readLimit) {
        ::close(fd);
        return ReadStatus::Failed;
    }
    QByteArray data;
    data.reserve(static_cast<qsizetype>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return ReadStatus::Failed;
        }
        data.append(buffer, n);
        // A file growing while it is read is no more readable than a large one.
        if (data.size() > readLimit) {
            ::close(fd);
            return ReadStatus::Failed;
        }
    }
    ::close(fd);
    *content = std::move(data);
    if (info)
        *info = st;
    return ReadStatus::Ok;
}

bool writeTarget(const QByteArray& path, QByteArray* target)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0) {
        if (errno != ENOENT)
            return false;
        *target = path;
        return true;
    }
    if (!S_ISLNK(st.st_mode)) {
        *target = path;
        return true;
    }
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return false;
    *target = QByteArray(resolved);
    std::free(resolved);
    return true;
}

bool replaceAtomically(const QByteArray& path, const QByteArray& content,
                       const struct stat* existing)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArrayLiteral(".")
                         : slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
    // A hidden sibling of a fixed name, so that what a write cut short (a
    // crash, a kill) left there is taken over by the next write instead of
    // piling up. The name is shortened so that it stays a valid name even
    // for a target whose own name is near the limit.
    const QByteArray name = "." + path.mid(slash + 1).left(NAME_MAX - 16) + ".writing";
    const QByteArray temp = (slash < 0 ? QByteArray() : path.left(slash + 1)) + name;

    int fd = openScratch(temp);
    if (fd < 0)
        return false;

    // The lock is held until after the rename: the name is ours alone until
    // it has become the target.
    const auto fail = [&] {
        ::unlink(temp.constData());
        ::close(fd);
        return false;
    };

    if (!writeAll(fd, content.constData(), content.size()))
        return fail();

    mode_t mode = 0666 & ~currentUmask();
    if (existing) {
        struct stat own;
        if (::fstat(fd, &own) != 0)
            return fail();
        // A file whose owner cannot be kept is not replaced.
        if ((own.st_uid != existing->st_uid || own.st_gid != existing->st_gid)
            && ::fchown(fd, existing->st_uid, existing->st_gid) != 0)
            return fail();
        mode = existing->st_mode & 07777;
    }
    // After fchown, which clears the set-id bits.
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        return fail();
    if (::rename(temp.constData(), path.constData()) != 0)
        return fail();
    // Written and flushed already: a failing close loses nothing.
    ::close(fd);
    syncDirectory(dir);
    return true;
}

} // namespace ZConfigFile
