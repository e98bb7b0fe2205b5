#include "mockmodem.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QThread>

namespace {

// Debian's python, which has python3-dbusmock, even where another python3
// comes first in PATH.
QString python()
{
    return QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

} // namespace

bool MockModem::installed()
{
    return !QStandardPaths::findExecutable("dbus-daemon").isEmpty()
        && QProcess::execute(python(), {"-c", "import dbusmock"}) == 0;
}

MockModem::MockModem(const QString& service, QJsonObject parameters)
{
    // The D-Bus calls wait on this thread's events.
    static char name[] = "test", *argv[] = {name, nullptr};
    static int argc = 1;
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);

    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address", "--address=unix:path=" + dir.filePath("bus")});
    if (!bus.waitForReadyRead(10000))
        return;
    address = QString::fromUtf8(bus.readLine().trimmed());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    if (service.isEmpty()) {
        ready = true;
        return;
    }
    parameters["log"] = dir.filePath("log");
    mock.setStandardOutputFile(QProcess::nullDevice());
    mock.start(python(), {"-m", "dbusmock", "--system", "-t", VARDEL_SOURCE_DIR "/tests/tapi/" + service + "_mock.py",
                          "-p", QJsonDocument(parameters).toJson(QJsonDocument::Compact)});
    const QString wellKnown = service == "ofono" ? "org.ofono" : "org.freedesktop.ModemManager1";
    QDBusConnection probe = QDBusConnection::connectToBus(address, "mock-probe");
    for (QDeadlineTimer deadline(15000); !ready && !deadline.hasExpired(); QThread::msleep(20))
        ready = probe.interface()->isServiceRegistered(wellKnown);
    QDBusConnection::disconnectFromBus("mock-probe");
}

MockModem::~MockModem()
{
    for (QProcess* p : {&mock, &bus}) {
        p->kill();
        p->waitForFinished();
    }
    qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

QList<QJsonObject> MockModem::log() const
{
    QList<QJsonObject> lines;
    QFile f(dir.filePath("log"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (!line.isEmpty())
                lines << QJsonDocument::fromJson(line).object();
        }
    }
    return lines;
}
