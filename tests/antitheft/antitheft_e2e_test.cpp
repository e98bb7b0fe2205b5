// The anti-theft guard end to end: the real program on the demo phone, run
// with the keyword as the phone's start-up runs it, and its security tab
// driven through automation scripts.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "demophone.h"
#include "outbox.h"

namespace {

const QString settingsFile = "/ezxlocal/download/appwrite/setup/ezx_zwardlex.cfg";
const QByteArray demoImsi = "214070123456789";
const QByteArray foreignImsi = "214079999999999";

class AntiTheft : public DemoPhone {
protected:
    // The SIM card the simulated modem reports.
    void insertSim(const QByteArray& imsi)
    {
        QFile f(phone + "/modem.ini");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray modem = f.readAll();
        f.close();
        modem.replace("IMSI = " + demoImsi, "IMSI = " + imsi);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(modem);
    }

    QByteArray outbox() const
    {
        QFile f(phone + "/outbox.sms");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void expectWindowlessEnd(const TestSandbox::Result& result)
    {
        EXPECT_EQ(result.exitCode, 0) << result.output.constData();
        EXPECT_TRUE(eventsOf("dump").isEmpty());
        ASSERT_FALSE(commands().isEmpty());
        EXPECT_EQ(commands().last(), "/bin/busybox killall vardel");
    }
};

TEST_F(AntiTheft, ForeignSimAlertsEveryNumberInOrder)
{
    write(settingsFile, "[ZWARDLEX]\nIMSI = " + demoImsi + "\nNUMBERS = 600111222 600333444 600555666\n\n");
    insertSim(foreignImsi);
    const auto result = run({program, "x", "WardLex"}, {"dump"});
    expectWindowlessEnd(result);

    const QByteArray sent = "Si lo tenemos!.\n+34607003110+34607003110sms enviado con exito\n";
    EXPECT_TRUE(result.output.contains("\nIMSI = " + demoImsi + "\nNUMBERS = 600111222 600333444 600555666\n\n"
                                       "\nStolen phone!!! Sending messages...\n\n"
                                       + sent + sent + sent))
        << result.output.constData();

    bool whole = false;
    const QList<SentMessage> messages = readOutbox(outbox(), &whole);
    EXPECT_TRUE(whole);
    ASSERT_EQ(messages.size(), 3);
    const QByteArray numbers[] = {"600111222", "600333444", "600555666"};
    const QByteArray text = "Vardel anti-theft: a new SIM card is in this phone. IMSI: " + foreignImsi;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(messages[i].frameRight) << i;
        EXPECT_EQ(messages[i].serviceCentre, "+34607003110") << i;
        EXPECT_EQ(messages[i].number, numbers[i]) << i;
        EXPECT_EQ(messages[i].text, text) << i;
        EXPECT_EQ(messages[i].length, text.size()) << i;
        EXPECT_TRUE(messages[i].textZeroTerminated) << i;
    }
}

TEST_F(AntiTheft, OwnSimSendsNothing)
{
    const auto result = run({program, "x", "WardLex"}, {"dump"});
    expectWindowlessEnd(result);
    EXPECT_TRUE(result.output.contains("\nIMSI = " + demoImsi + "\nNUMBERS = 600111222 600333444\n\n"
                                       "\nIMSI comparation Ok!\n\n"))
        << result.output.constData();
    EXPECT_FALSE(result.output.contains("Stolen"));
    EXPECT_FALSE(QFile::exists(phone + "/outbox.sms"));
}

TEST_F(AntiTheft, SecurityTabSetsPasswordGuardAndNumbers)
{
    const QByteArray settingsBefore = read(programDir + "Vardel.cfg");
    insertSim(foreignImsi);
    const auto result = run({program}, {
        "tab 3",
        "activate 2", "text", "text N1 pass", "text N1 pass",
        "activate 0", "text N1 pass", "check 0",
        "activate 1", "text N1 pass", "text 600999888 600777666",
        "dump",
    });
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();

    QStringList notices;
    for (const QJsonObject& n : eventsOf("notice"))
        notices << QString::number(n["type"].toInt()) + " " + n["text"].toString();
    EXPECT_EQ(notices, QStringList{"0 Password changed."});

    // The password goes into [Vardel], everything else stays.
    QByteArray settingsAfter = settingsBefore;
    settingsAfter.replace("FontBrenik = NO", "FontBrenik = NO\nPassword = N1 pass");
    EXPECT_EQ(read(programDir + "Vardel.cfg"), settingsAfter);
    EXPECT_TRUE(QFile::exists(hostPath(programDir + "zWardlex")));
    EXPECT_FALSE(QFile::exists(hostPath(programDir + "zWardlex1")));
    EXPECT_EQ(read(settingsFile), "[ZWARDLEX]\nIMSI = " + foreignImsi + "\nNUMBERS = 600999888 600777666\n\n");

    const auto dumps = eventsOf("dump");
    ASSERT_EQ(dumps.size(), 1);
    EXPECT_EQ(dumps[0]["rows"].toArray(),
              (QJsonArray{QJsonArray{"Anti-theft guard", "Enabled"},
                          QJsonArray{"Alert numbers", "600999888 600777666"},
                          QJsonArray{"Password", "Change"}}));
    EXPECT_EQ(dumps[0]["current"].toInt(), 1);

    // The check now finds the SIM it recorded.
    const auto check = run({program, "x", "WardLex"}, {});
    EXPECT_TRUE(check.output.contains("IMSI comparation Ok!")) << check.output.constData();
    EXPECT_FALSE(QFile::exists(phone + "/outbox.sms"));
}

} // namespace
