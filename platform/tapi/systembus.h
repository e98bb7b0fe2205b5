#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>

// One connection to the system bus, made for one telephony call and closed
// with it: DBUS_SYSTEM_BUS_ADDRESS, else the standard socket. Every call
// made through it has a time-out, so no service can make the caller hang.
class SystemBus
{
public:
    SystemBus();
    ~SystemBus();
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;

    QDBusConnection& connection() { return bus; }

    // A method call, waited for at most timeoutMs (the call time-out when
    // negative). The reply, or an error message (a local one when the bus
    // cannot be reached or nothing answers in time).
    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {}, int timeoutMs = -1);

    // Whether the well-known name has an owner; 0, or the TAPI error code.
    int hasOwner(const QString& name, bool& owned);

    // org.freedesktop.DBus.Properties.Get; 0, or the TAPI error code.
    int property(const QString& service, const QString& path, const QString& interface,
                 const QString& name, QVariant& value);

    // Milliseconds: each D-Bus call (EZX_MODEM_CALL_TIMEOUT, else 10 s) and
    // the wait for a message to be sent (EZX_MODEM_SEND_TIMEOUT, else 60 s).
    static int callTimeout();
    static int sendTimeout();

private:
    QString name;
    QDBusConnection bus;
};

// 0 for a reply; for an error, the TAPI error code it stands for: no
// service (the name has no owner, the bus cannot be reached), a time-out,
// or any other D-Bus error.
int tapiErrorOf(const QDBusMessage& reply);

// 0 when the reply is one of the given D-Bus signature, else its error
// code (TAPI_ERROR_DBUS for an answer of another shape).
int checkReply(const QDBusMessage& reply, const char* signature);
