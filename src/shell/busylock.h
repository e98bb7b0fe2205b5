#pragma once

#include <QString>

// One Vardel at a time: an exclusive flock(2) on the program directory
// itself, so no file is made for it. The system lets go of it when the
// process ends, however it ends (a kill included), so a lock is never left
// behind. The directory is opened close-on-exec: programs the process
// starts do not keep the lock.
class BusyLock
{
public:
    explicit BusyLock(const QString& programDir);
    ~BusyLock();
    BusyLock(const BusyLock&) = delete;
    BusyLock& operator=(const BusyLock&) = delete;

    // Takes the lock if no other process holds it; true when this object
    // holds it now. Where the directory cannot be opened there is nothing
    // to share (no scratch file can be made there either) and it counts as
    // taken.
    bool tryTake();
    void release();

private:
    QString path;
    int fd = -1;
    bool held = false;
};
