#include "shell/busylock.h"

#include <QtDebug>

#include "shell/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

BusyLock::BusyLock(const QString& programDir) : path(programDir.isEmpty() ? QStringLiteral("/") : programDir) {}

BusyLock::~BusyLock()
{
    release();
    if (fd >= 0)
        ::close(fd);
}

bool BusyLock::tryTake()
{
    if (held)
        return true;
    if (fd < 0) {
        fd = ::open(Paths::toBytes(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            qDebug() << "busy lock: cannot open" << path << "- going on without it";
            held = true;
            return true;
        }
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    // Only another holder makes it wait: a file system that cannot lock
    // at all must not keep every Vardel waiting for a minute.
    if (result != 0 && errno != EWOULDBLOCK) {
        qDebug() << "busy lock: cannot lock" << path << "- going on without it";
        result = 0;
    }
    held = result == 0;
    return held;
}

void BusyLock::release()
{
    if (held && fd >= 0)
        ::flock(fd, LOCK_UN);
    held = false;
}
