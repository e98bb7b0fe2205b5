#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private system bus (dbus-daemon --session on a socket of its own, its
// address exported as DBUS_SYSTEM_BUS_ADDRESS) with "modemmanager" or
// "ofono" mocked on it by python-dbusmock (tests/tapi/*_mock.py document
// the parameters and the log), or none for an empty service name. Both end
// with the object.
class MockModem
{
public:
    MockModem(const QString& service, QJsonObject parameters);
    ~MockModem();
    static bool installed(); // dbus-daemon and python3-dbusmock

    bool ready = false;
    QString address;
    QList<QJsonObject> log() const; // one object a line

private:
    QTemporaryDir dir;
    QProcess bus, mock;
};
