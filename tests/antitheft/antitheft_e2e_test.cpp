// The anti-theft guard end to end: the real program on the demo phone, run
// with the keyword as the phone's start-up runs it, and its security tab
// driven through automation scripts.

#include <gtest/gtest.h>

#include <functional>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QJsonArray>
#include <QJsonObject>

#include "demophone.h"
#include "mockmodem.h"
#include "outbox.h"

namespace {

const QString settingsFile = "/ezxlocal/download/appwrite/setup/ezx_zwardlex.cfg";
const QString startup = "/ezxlocal/download/mystuff/.autorun.csh";
const QByteArray demoImsi = "214070123456789";
const QByteArray foreignImsi = "214079999999999";

class AntiTheft : public DemoPhone {
protected:
    // Puts another SIM card into the simulated modem.
    void insertForeignSim()
    {
        QFile f(phone + "/modem.ini");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const QByteArray modem = f.readAll().replace("IMSI = " + demoImsi, "IMSI = " + foreignImsi);
        f.resize(0);
        f.write(modem);
    }

    // Runs the keyword start; it must open no window and end by itself.
    QByteArray check()
    {
        const auto result = run({program, "x", "WardLex"}, {"dump"});
        EXPECT_EQ(result.exitCode, 0) << result.output.constData();
        EXPECT_TRUE(eventsOf("dump").isEmpty());
        EXPECT_FALSE(commands().contains("/bin/busybox killall vardel"));
        return result.output;
    }
};

TEST_F(AntiTheft, ForeignSimIsReportedToEveryNumberOwnSimPasses)
{
    QByteArray output = check();
    EXPECT_TRUE(output.contains("\nIMSI = " + demoImsi + "\nNUMBERS = 600111222 600333444\n\n"
                                "\nIMSI comparation Ok!\n\n")) << output.constData();
    EXPECT_FALSE(QFile::exists(phone + "/outbox.sms"));

    write(settingsFile, "[ZWARDLEX]\nIMSI = " + demoImsi + "\nNUMBERS = 600111222 600333444 600555666\n\n");
    insertForeignSim();
    output = check();
    const QByteArray sent = "Si lo tenemos!.\n+34607003110+34607003110sms enviado con exito\n";
    EXPECT_TRUE(output.contains("\nIMSI = " + demoImsi + "\nNUMBERS = 600111222 600333444 600555666\n\n"
                                "\nStolen phone!!! Sending messages...\n\n" + sent + sent + sent))
        << output.constData();

    const QByteArray outbox = read("/outbox.sms");
    EXPECT_EQ(outbox.size(), 3 * 6500);
    const QList<SentMessage> messages = readOutbox(outbox);
    ASSERT_EQ(messages.size(), 3);
    const QByteArray numbers[] = {"600111222", "600333444", "600555666"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(messages[i].frameRight) << i;
        EXPECT_EQ(messages[i].serviceCentre, "+34607003110") << i;
        EXPECT_EQ(messages[i].number, numbers[i]) << i;
        EXPECT_EQ(messages[i].text, "Vardel anti-theft: a new SIM card is in this phone. IMSI: " + foreignImsi);
    }
}

// The same check with the phone's modem behind ModemManager or oFono, each
// mocked on a private system bus that the sandbox lets the program reach.
TEST_F(AntiTheft, ForeignSimIsReportedThroughEitherModemService)
{
    if (!MockModem::installed())
        GTEST_SKIP() << "dbus-daemon or python3-dbusmock missing (scripts/setup-deps installs them)";
    write(settingsFile, "[ZWARDLEX]\nIMSI = " + demoImsi + "\nNUMBERS = 600111222 600333444 600555666\n\n");
    for (const QString service : {"modemmanager", "ofono"}) {
        for (const QByteArray& imsi : {foreignImsi, demoImsi}) {
            SCOPED_TRACE((service + " " + imsi).toStdString());
            const QJsonObject modem{{"imei", "356938035643809"}, {"imsi", QString(imsi)}, {"centre", "+34607003110"}};
            MockModem mock(service, {{"modems", QJsonArray{modem}}});
            ASSERT_TRUE(mock.ready);
            const auto result = run({program, "x", "WardLex"}, {}, {},
                                    {"EZX_MODEM=" + service, "DBUS_SYSTEM_BUS_ADDRESS=" + mock.address,
                                     "EZX_MODEM_CALL_TIMEOUT=5000", "EZX_MODEM_SEND_TIMEOUT=5000"});
            EXPECT_EQ(result.exitCode, 0) << result.output.constData();
            QStringList numbers;
            for (const QJsonObject& sent : mock.log()) {
                if (sent.contains("number")) {
                    numbers << sent["number"].toString();
                    EXPECT_EQ(sent["text"].toString(), "Vardel anti-theft: a new SIM card is in this phone. IMSI: " + imsi);
                }
            }
            EXPECT_EQ(numbers.join(' ').toStdString(), imsi == demoImsi ? "" : "600111222 600333444 600555666");
            EXPECT_EQ(result.output.count("sms enviado con exito"), numbers.size()) << result.output.constData();
        }
    }
}

// From cron or a boot script there is no display: the check runs all the same.
TEST_F(AntiTheft, ForeignSimIsReportedWithoutADisplay)
{
    const struct {
        const char* label;
        QStringList env;
    } cases[] = {
        {"none set", {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}},
        {"out of reach", {"QT_QPA_PLATFORM", "DISPLAY=:987", "WAYLAND_DISPLAY"}},
    };
    insertForeignSim();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QFile::remove(phone + "/outbox.sms");
        const auto result = run({program, "x", "WardLex"}, {}, {}, c.env);
        EXPECT_EQ(result.exitCode, 0) << result.output.constData();
        EXPECT_TRUE(result.output.contains("Stolen phone!!! Sending messages...")) << result.output.constData();
        EXPECT_EQ(readOutbox(read("/outbox.sms")).size(), 2);
    }
}

TEST_F(AntiTheft, SecurityTabSetsPasswordGuardAndNumbers)
{
    const QByteArray settingsBefore = read(programDir + "Vardel.cfg");
    insertForeignSim();
    const auto result = run({program}, {"tab 3", "activate 2", "text", "text N1 pass", "text N1 pass", "activate 0",
                                        "text N1 pass", "check 0", "activate 1", "text N1 pass",
                                        "text 600999888 600777666", "dump"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
    ASSERT_EQ(eventsOf("notice").size(), 1);
    EXPECT_EQ(eventsOf("notice")[0]["text"].toString(), "Password changed.");

    // The password joins [Vardel], hashed; the guard is on and runs at boot;
    // the new SIM is recorded.
    const QByteArray settings = read(programDir + "Vardel.cfg");
    EXPECT_TRUE(settings.startsWith(settingsBefore + "Password = pbkdf2-sha256$")) << settings.constData();
    EXPECT_FALSE(settings.contains("N1 pass"));
    const QByteArray bootEntry = "#Anti-theft SIM check\n" + program.toLatin1() + " x WardLex\n";
    EXPECT_TRUE(read(startup).contains(bootEntry)) << read(startup).constData();
    EXPECT_TRUE(QFile::exists(hostPath(programDir + "zWardlex")));
    EXPECT_FALSE(QFile::exists(hostPath(programDir + "zWardlex1")));
    EXPECT_EQ(read(settingsFile), "[ZWARDLEX]\nIMSI = " + foreignImsi + "\nNUMBERS = 600999888 600777666\n\n");
    ASSERT_EQ(eventsOf("dump").size(), 1);
    EXPECT_EQ(eventsOf("dump")[0]["rows"].toArray(),
              (QJsonArray{QJsonArray{"Anti-theft guard", "Enabled"}, QJsonArray{"Alert numbers", "600999888 600777666"},
                          QJsonArray{"Password", "Change"}}));
    EXPECT_TRUE(check().contains("IMSI comparation Ok!"));

    // Off switches the entry off; on again switches it on, never a second.
    run({program}, {"tab 3", "activate 0", "text N1 pass", "check 1"});
    EXPECT_TRUE(read(startup).contains("#Anti-theft SIM check\n#" + program.toLatin1() + " x WardLex\n"));
    run({program}, {"tab 3", "activate 0", "text N1 pass", "check 0"});
    EXPECT_EQ(read(startup).count(" x WardLex"), 1);
    EXPECT_TRUE(read(startup).contains(bootEntry));
}

// While the guard is on, every action that would stop it asks for the
// password first: a wrong one changes nothing, the right one lets it
// happen. While it is off, the same steps ask nothing.
TEST_F(AntiTheft, ActionsThatWouldStopTheGuardAskForThePassword)
{
    const QString registry = "/ezxlocal/download/appwrite/am/UserRegistry";
    const QByteArray script = read(startup) + "#SIM check\n" + program.toLatin1() + " x WardLex\n";
    const QByteArray settings = read(programDir + "Vardel.cfg") + "Password = secret\n";
    const QByteArray registryBefore = read(registry);
    const QString copy = work.filePath("program copy");
    ASSERT_EQ(QProcess::execute("cp", {"-a", hostPath(programDir), copy}), 0);
    const auto exists = [&](const QString& path) { return QFileInfo::exists(hostPath(path)); };
    const auto prepare = [&](bool guardOn, const QByteArray& startupScript) {
        if (!exists(program)) {
            ASSERT_EQ(QProcess::execute("cp", {"-a", copy, hostPath(programDir)}), 0);
        }
        write(startup, startupScript);
        write(registry, registryBefore);
        QProcess::execute("rm", {"-rf", hostPath("/ezxlocal/download/mystuff/.system/QTDownLoad/OrbitSnake")});
        write(programDir + "Vardel.cfg", settings);
        QFile::remove(hostPath(programDir + (guardOn ? "zWardlex1" : "zWardlex")));
        write(programDir + (guardOn ? "zWardlex" : "zWardlex1"), "");
    };

    const struct {
        const char* action;
        QStringList before;  // the steps up to the password prompt
        QStringList after;   // the steps after it
        std::function<bool()> done;
        bool asksWhenOff;    // the security tab's rows always ask
        QStringList args = {};
        QByteArray startup = {}; // the start-up script, when not the usual one
    } cases[] = {
        {"guard switched off", {"tab 3", "activate 0"}, {"check 1"},
         [&] { return !exists(programDir + "zWardlex"); }, true},
        {"SIM check switched off", {"tab 1", "activate 6", "check 1"}, {},
         [&] { return read(startup).contains("\n#" + program.toLatin1() + " x WardLex\n"); }, false},
        {"SIM check removed", {"tab 1", "current 6", "menu 1"}, {"yes"},
         [&] { return !read(startup).contains("#SIM check\n"); }, false},
        // Vardel is the last row of the demo phone's applications.
        {"Vardel removed", {"tab 0", "current 7", "menu 0"}, {"yes"}, [&] { return !exists(program); }, false},
        // What would bring something new in: a package, a start-up entry.
        {"package installed", {}, {"check 0"}, [&] { return read(registry).contains("Name = Orbit Snake\n"); },
         false, {"x", "/ezxlocal/download/mystuff/Packages/OrbitSnake.mpkg"}},
        {"start-up entry added", {"tab 1", "menu 0"}, {"file " + program, "text Thief"},
         [&] { return read(startup).contains("#Thief\n"); }, false},
        // Switched off, the SIM check's entry is the guard's all the same.
        {"SIM check removed while off", {"tab 1", "current 6", "menu 1"}, {"yes"},
         [&] { return !read(startup).contains("#SIM check\n"); }, false, {},
         read(startup) + "#SIM check\n#" + program.toLatin1() + " x WardLex\n"},
    };
    for (const auto& c : cases) {
        const QByteArray startupScript = c.startup.isEmpty() ? script : c.startup;
        for (const QString answer : {"text wrong", "text secret", "guard off"}) {
            SCOPED_TRACE(std::string(c.action) + ", " + answer.toStdString());
            const bool guardOff = answer == "guard off";
            if (guardOff && c.asksWhenOff)
                continue;
            const bool wrong = answer == "text wrong";
            prepare(!guardOff, startupScript);
            const auto result =
                run(QStringList{program} + c.args, c.before + (guardOff ? QStringList() : QStringList{answer}) + (wrong ? QStringList() : c.after));
            ASSERT_EQ(result.exitCode, 0) << result.output.constData();
            EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
            EXPECT_EQ(eventsOf("dialog", "ZSingleCaptureDlg").value(0)["text"].toString() == "Password:", !guardOff);
            EXPECT_EQ(c.done(), !wrong);
            if (wrong) {
                EXPECT_EQ(eventsOf("notice").value(0)["text"].toString(), "Wrong password.");
                EXPECT_EQ(read(startup), startupScript);
                EXPECT_EQ(read(registry), registryBefore);
                EXPECT_TRUE(exists(programDir + "zWardlex"));
            } else if (!guardOff && exists(program)) {
                // The password kept as typed by an older Vardel, taken once: hashed from then on.
                EXPECT_TRUE(read(programDir + "Vardel.cfg").contains("Password = pbkdf2-sha256$"));
            }
        }
    }
}

} // namespace
