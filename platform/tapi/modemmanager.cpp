// The telephony calls over ModemManager: its modems from the object
// manager, the IMSI from the SIM object, messages made, sent and deleted
// through the modem's Messaging interface.

#include "dbusmodem.h"

#include "ezxtapi.h"
#include "systembus.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QMap>
#include <QThread>
#include <QVariantMap>

#include <algorithm>

namespace ModemManager {

const QString service = QStringLiteral("org.freedesktop.ModemManager1");

namespace {

const QString root = QStringLiteral("/org/freedesktop/ModemManager1");
const QString modemInterface = service + QStringLiteral(".Modem");
const QString messagingInterface = modemInterface + QStringLiteral(".Messaging");

// MMModemState and MMModemLock values the calls look at.
constexpr int stateLocked = 2;
constexpr uint lockUnknown = 0, lockNone = 1, lockSimPin2 = 3, lockSimPuk2 = 5;
// MMSmsState.
constexpr uint smsUnknown = 0, smsSent = 5;

struct Modem {
    QString path;
    QMap<QString, QVariantMap> interfaces;
    QVariant modem(const char* key) const { return interfaces.value(modemInterface).value(QLatin1String(key)); }
};

// The modems, in object-path order.
int modems(SystemBus& bus, QList<Modem>& found)
{
    const QDBusMessage reply = bus.call(service, root, QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                        QStringLiteral("GetManagedObjects"));
    if (const int error = checkReply(reply, "a{oa{sa{sv}}}"))
        return error;
    QMap<QDBusObjectPath, QMap<QString, QVariantMap>> objects;
    reply.arguments().at(0).value<QDBusArgument>() >> objects;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        if (it->contains(modemInterface))
            found << Modem{it.key().path(), *it};
    }
    std::sort(found.begin(), found.end(), [](const Modem& a, const Modem& b) { return a.path < b.path; });
    return found.isEmpty() ? TAPI_ERROR_NO_MODEM : 0;
}

// The first modem holding a SIM card that gives its identity.
int simModem(SystemBus& bus, Modem& chosen)
{
    QList<Modem> all;
    if (const int error = modems(bus, all))
        return error;
    for (const Modem& m : all) {
        const QString sim = m.modem("Sim").value<QDBusObjectPath>().path();
        if (sim.isEmpty() || sim == QLatin1String("/"))
            continue;
        const uint lock = m.modem("UnlockRequired").toUInt();
        if (m.modem("State").toInt() == stateLocked
            || (lock != lockUnknown && lock != lockNone && lock != lockSimPin2 && lock != lockSimPuk2))
            return TAPI_ERROR_SIM_LOCKED;
        chosen = m;
        return 0;
    }
    return TAPI_ERROR_NO_SIM;
}

// Waits for the message to leave: SENT is success, UNKNOWN a failure.
int waitUntilSent(SystemBus& bus, const QString& sms, const QDeadlineTimer& deadline)
{
    for (;;) {
        QVariant state;
        if (const int error = bus.property(service, sms, service + QStringLiteral(".Sms"), QStringLiteral("State"), state))
            return error;
        if (state.toUInt() == smsSent)
            return 0;
        if (state.toUInt() == smsUnknown)
            return TAPI_ERROR_SEND_FAILED;
        if (deadline.hasExpired())
            return TAPI_ERROR_TIMEOUT;
        QThread::msleep(50);
    }
}

} // namespace

int imsi(SystemBus& bus, QString& value)
{
    Modem m;
    if (const int error = simModem(bus, m))
        return error;
    QVariant answer;
    if (const int error = bus.property(service, m.modem("Sim").value<QDBusObjectPath>().path(),
                                       service + QStringLiteral(".Sim"), QStringLiteral("Imsi"), answer))
        return error;
    return DbusModem::answered(answer.toString(), value);
}

int imei(SystemBus& bus, QString& value)
{
    QList<Modem> all;
    if (const int error = modems(bus, all))
        return error;
    QString found = all.first().interfaces.value(modemInterface + QStringLiteral(".Modem3gpp"))
                        .value(QStringLiteral("Imei")).toString();
    if (found.isEmpty())
        found = all.first().modem("EquipmentIdentifier").toString();
    return DbusModem::answered(found, value);
}

int send(SystemBus& bus, const SmsFields& message)
{
    const QDeadlineTimer deadline(SystemBus::sendTimeout());
    Modem m;
    if (const int error = simModem(bus, m))
        return error;
    QVariantMap properties{{QStringLiteral("number"), message.number}, {QStringLiteral("text"), message.text}};
    if (!message.serviceCentre.isEmpty())
        properties.insert(QStringLiteral("smsc"), message.serviceCentre);
    const QDBusMessage created = bus.call(service, m.path, messagingInterface, QStringLiteral("Create"), {properties});
    if (const int error = checkReply(created, "o"))
        return error;
    const QString sms = created.arguments().at(0).value<QDBusObjectPath>().path();

    const QDBusMessage sent = bus.call(service, sms, service + QStringLiteral(".Sms"), QStringLiteral("Send"), {},
                                       int(qMin<qint64>(deadline.remainingTime(), SystemBus::sendTimeout())));
    int error = tapiErrorOf(sent);
    if (!error)
        error = waitUntilSent(bus, sms, deadline);
    bus.call(service, m.path, messagingInterface, QStringLiteral("Delete"), {QVariant::fromValue(QDBusObjectPath(sms))});
    return error;
}

} // namespace ModemManager
