#include "systembus.h"

#include "ezxtapi.h"

#include <QAtomicInt>
#include <QDBusVariant>

namespace {

QString busAddress()
{
    const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    return address.isEmpty() ? QStringLiteral("unix:path=/run/dbus/system_bus_socket") : address;
}

QString connectionName()
{
    static QAtomicInt made;
    return QStringLiteral("ezxtapi-%1").arg(made.fetchAndAddRelaxed(1));
}

int milliseconds(const char* variable, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(variable, &ok);
    return ok && value > 0 ? value : fallback;
}

} // namespace

SystemBus::SystemBus()
    : name(connectionName()), bus(QDBusConnection::connectToBus(busAddress(), name))
{
}

SystemBus::~SystemBus()
{
    bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(name);
}

int SystemBus::callTimeout()
{
    return milliseconds("EZX_MODEM_CALL_TIMEOUT", 10000);
}

int SystemBus::sendTimeout()
{
    return milliseconds("EZX_MODEM_SEND_TIMEOUT", 60000);
}

QDBusMessage SystemBus::call(const QString& service, const QString& path, const QString& interface,
                             const QString& method, const QVariantList& arguments, int timeoutMs)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, timeoutMs < 0 ? callTimeout() : qMax(timeoutMs, 1));
}

int SystemBus::hasOwner(const QString& wellKnown, bool& owned)
{
    const QDBusMessage reply = call(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"),
                                    {wellKnown});
    if (const int error = checkReply(reply, "b"))
        return error;
    owned = reply.arguments().at(0).toBool();
    return 0;
}

int SystemBus::property(const QString& service, const QString& path, const QString& interface,
                        const QString& propertyName, QVariant& value)
{
    const QDBusMessage reply = call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {interface, propertyName});
    if (const int error = checkReply(reply, "v"))
        return error;
    value = reply.arguments().at(0).value<QDBusVariant>().variant();
    return 0;
}

int tapiErrorOf(const QDBusMessage& reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return 0;
    const QString error = reply.errorName();
    for (const char* gone : {"ServiceUnknown", "NameHasNoOwner", "Disconnected", "NoServer"}) {
        if (error == QLatin1String("org.freedesktop.DBus.Error.") + QLatin1String(gone))
            return TAPI_ERROR_NO_SERVICE;
    }
    for (const char* late : {"NoReply", "Timeout", "TimedOut"}) {
        if (error == QLatin1String("org.freedesktop.DBus.Error.") + QLatin1String(late))
            return TAPI_ERROR_TIMEOUT;
    }
    return TAPI_ERROR_DBUS;
}

int checkReply(const QDBusMessage& reply, const char* signature)
{
    if (const int error = tapiErrorOf(reply))
        return error;
    return reply.signature() == QLatin1String(signature) ? 0 : TAPI_ERROR_DBUS;
}
