// One Vardel at a time: whatever changes the phone (an installation, a
// removal, an editor, the registry clean-up) or works in the program's
// scratch files runs while this process holds the program's lock. Another
// Vardel meanwhile shows the wait message and waits; after a minute it
// gives up, changing nothing. The window holds the lock only while one of
// its actions runs, never while it merely waits for the user.

#include "vardel.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>

#include <ZConfig.h>
#include <ZMessageDlg.h>

#include "shell/busylock.h"
#include "shell/changegate.h"

namespace {

constexpr int busyWaitMs = 60000;
constexpr int busyPollMs = 100;

} // namespace

bool Vardel::beginChange()
{
    if (changeDepth > 0) {
        ++changeDepth;
        return true;
    }
    if (!busyLock)
        busyLock = std::make_unique<BusyLock>(progDir);
    if (!busyLock->tryTake()) {
        {
            const ZConfig lang(langFile, false);
            message(text(lang, "INSTALL_WAIT"), ZMessageDlg::TypeWait);
        }
        QElapsedTimer waited;
        waited.start();
        while (!busyLock->tryTake()) {
            if (waited.elapsed() >= busyWaitMs) {
                const ZConfig lang(langFile, false);
                message(text(lang, "VARDEL_BUSY"), ZMessageDlg::TypeInformation);
                return false;
            }
            QThread::msleep(busyPollMs);
        }
    }
    changeDepth = 1;
    return true;
}

void Vardel::endChange()
{
    if (changeDepth > 0 && --changeDepth == 0)
        busyLock->release();
}

bool Vardel::oneAtATime(const std::function<void()>& work)
{
    if (!beginChange())
        return false;
    work();
    endChange();
    return true;
}

ChangeGate::ChangeGate(Vardel* window, const char* slot, QObject* parent)
    : QObject(parent), window(window), method(slot)
{
    // SLOT(name()) is "1name()": the method's name alone is what is invoked.
    method = method.mid(1, method.indexOf('(') - 1);
}

void ChangeGate::run()
{
    window->oneAtATime([this] { QMetaObject::invokeMethod(window, method.constData(), Qt::DirectConnection); });
}
