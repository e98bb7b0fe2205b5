// The telephony calls over oFono: its modems from the manager, the IMSI and
// service centre from the SIM modem's SimManager and MessageManager, and
// messages sent through MessageManager, watched until oFono reports them
// sent or failed.

#include "dbusmodem.h"

#include "ezxtapi.h"
#include "systembus.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QThread>
#include <QVariantMap>

namespace Ofono {

const QString service = QStringLiteral("org.ofono");

namespace {

const QString simManager = QStringLiteral("org.ofono.SimManager");
const QString messageManager = QStringLiteral("org.ofono.MessageManager");
const QString messageInterface = QStringLiteral("org.ofono.Message");

struct Modem {
    QString path;
    QVariantMap properties;
};

int modems(SystemBus& bus, QList<Modem>& found)
{
    const QDBusMessage reply = bus.call(service, QStringLiteral("/"), QStringLiteral("org.ofono.Manager"),
                                        QStringLiteral("GetModems"));
    if (const int error = checkReply(reply, "a(oa{sv})"))
        return error;
    const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        Modem m;
        QDBusObjectPath path;
        list.beginStructure();
        list >> path >> m.properties;
        list.endStructure();
        m.path = path.path();
        found << m;
    }
    list.endArray();
    return found.isEmpty() ? TAPI_ERROR_NO_MODEM : 0;
}

int properties(SystemBus& bus, const QString& path, const QString& interface, QVariantMap& values)
{
    const QDBusMessage reply = bus.call(service, path, interface, QStringLiteral("GetProperties"));
    if (const int error = checkReply(reply, "a{sv}"))
        return error;
    reply.arguments().at(0).value<QDBusArgument>() >> values;
    return 0;
}

// The first modem with a SIM card present, and that card's properties.
int simModem(SystemBus& bus, Modem& chosen, QVariantMap& sim)
{
    QList<Modem> all;
    if (const int error = modems(bus, all))
        return error;
    for (const Modem& m : all) {
        if (!m.properties.value(QStringLiteral("Interfaces")).toStringList().contains(simManager))
            continue;
        QVariantMap card;
        if (const int error = properties(bus, m.path, simManager, card))
            return error;
        if (!card.value(QStringLiteral("Present")).toBool())
            continue;
        // A second PIN or PUK (pin2, puk2) does not keep the card shut.
        const QString pin = card.value(QStringLiteral("PinRequired")).toString();
        if (!pin.isEmpty() && pin != QLatin1String("none") && pin != QLatin1String("pin2") && pin != QLatin1String("puk2"))
            return TAPI_ERROR_SIM_LOCKED;
        chosen = m;
        sim = card;
        return 0;
    }
    return TAPI_ERROR_NO_SIM;
}

} // namespace

// What oFono says of the messages it sends: state changes and removals,
// recorded by message path from before the message is handed over, so
// that nothing said before SendMessage answers is missed.
class MessageWatch : public QObject
{
    Q_OBJECT
public:
    QHash<QString, QString> states;
    QSet<QString> removed;

public slots:
    void signalled(const QDBusMessage& message)
    {
        const QVariantList args = message.arguments();
        if (message.member() == QLatin1String("PropertyChanged") && args.size() == 2
            && args[0].toString() == QLatin1String("State"))
            states.insert(message.path(), args[1].value<QDBusVariant>().variant().toString());
        else if (message.member() == QLatin1String("MessageRemoved") && !args.isEmpty())
            removed.insert(args[0].value<QDBusObjectPath>().path());
    }
};

int imsi(SystemBus& bus, QString& value)
{
    Modem m;
    QVariantMap sim;
    if (const int error = simModem(bus, m, sim))
        return error;
    const QString found = sim.value(QStringLiteral("SubscriberIdentity")).toString();
    return DbusModem::answered(found, value);
}

int imei(SystemBus& bus, QString& value)
{
    QList<Modem> all;
    if (const int error = modems(bus, all))
        return error;
    const QString found = all.first().properties.value(QStringLiteral("Serial")).toString();
    return DbusModem::answered(found, value);
}

int serviceCentre(SystemBus& bus, QString& value)
{
    Modem m;
    QVariantMap sim, manager;
    if (const int error = simModem(bus, m, sim))
        return error;
    if (const int error = properties(bus, m.path, messageManager, manager))
        return error;
    const QString found = manager.value(QStringLiteral("ServiceCenterAddress")).toString();
    return DbusModem::answered(found, value);
}

int send(SystemBus& bus, const SmsFields& message)
{
    const QDeadlineTimer deadline(SystemBus::sendTimeout());
    Modem m;
    QVariantMap sim;
    if (const int error = simModem(bus, m, sim))
        return error;
    // Signals reach the watch through this thread's events: without an
    // application object nothing would ever arrive.
    if (!QCoreApplication::instance())
        return TAPI_ERROR_DBUS;
    MessageWatch watch;
    QDBusConnection& c = bus.connection();
    if (!c.connect(service, QString(), messageInterface, QStringLiteral("PropertyChanged"), &watch,
                   SLOT(signalled(QDBusMessage)))
        || !c.connect(service, m.path, messageManager, QStringLiteral("MessageRemoved"), &watch,
                      SLOT(signalled(QDBusMessage))))
        return TAPI_ERROR_DBUS;

    const QDBusMessage reply = bus.call(service, m.path, messageManager, QStringLiteral("SendMessage"),
                                        {message.number, message.text});
    if (const int error = checkReply(reply, "o"))
        return error;
    const QString sent = reply.arguments().at(0).value<QDBusObjectPath>().path();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const QString state = watch.states.value(sent);
        if (state == QLatin1String("sent"))
            return 0;
        if (state == QLatin1String("failed") || watch.removed.contains(sent))
            return TAPI_ERROR_SEND_FAILED;
        if (deadline.hasExpired())
            return TAPI_ERROR_TIMEOUT;
        QThread::msleep(20);
    }
}

} // namespace Ofono

#include "ofono.moc"
