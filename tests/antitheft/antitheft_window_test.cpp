// The security tab's editors, the SIM check, the alert messages and the IMEI
// file, in the window inside the phone sandbox against the simulated modem,
// with dialogs answered by automation scripts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <ZApplication.h>
#include <ZAutomation.h>
#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>

#include <cstdio>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

#include "antitheft/passwordhash.h"
#include "antitheft/wardlexsettings.h"
#include "hostile.h"
#include "outbox.h"
#include "qtprint.h"
#include "programtests.h"
#include "sandbox.h"
#include "vardel.h"

namespace {

QTemporaryDir* scratch = nullptr;
QString programDir; // its name needs quoting in every command

const QString settingsPath = WardlexSettings::path;
const QByteArray homeImsi = "214070123456789";
const QByteArray alertText = "Vardel anti-theft: a new SIM card is in this phone. IMSI: ";
const QByteArray sentOk = "Si lo tenemos!.\n+34607003110+34607003110sms enviado con exito\n";
const QByteArray stolen = "\nStolen phone!!! Sending messages...\n\n";
const QByteArray imsiOk = "\nIMSI comparation Ok!\n\n";

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QByteArray wardlexFile(const QByteArray& imsi, const QByteArray& numbers)
{
    return "[ZWARDLEX]\nIMSI = " + imsi + "\nNUMBERS = " + numbers + "\n\n";
}

// What the program and its commands print on standard output while fn runs.
template <typename Fn>
QByteArray standardOutput(Fn fn)
{
    std::fflush(stdout);
    const int saved = ::dup(1);
    const int file = ::open(QFile::encodeName(scratch->filePath("stdout")).constData(),
                            O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(file, 1);
    ::close(file);
    fn();
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    return readBytes(scratch->filePath("stdout"));
}

class Security : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSandbox::inside());
        for (const char* name : {"zWardlex", "zWardlex1", "IMEI"})
            QFile::remove(programDir + name);
        storePassword(std::nullopt);
        ASSERT_TRUE(QDir().mkpath("/ezxlocal/download/appwrite/setup"));
        QFile::remove(settingsPath);
        QFile::remove(scratch->filePath("outbox.sms"));
        modem("IMSI = " + homeImsi);
    }

    void TearDown() override
    {
        for (const char* name : {"EZX_AUTOMATION", "EZX_TRANSCRIPT", "EZX_MODEM"})
            qunsetenv(name);
        ZAutomation::reset();
    }

    // The modem: the lines given (the first line of a key counts), then the
    // phone's IMEI, service centre and outbox.
    static void modem(const QByteArray& lines)
    {
        writeBytes(scratch->filePath("modem.ini"), "[Modem]\n" + lines
                       + "\nIMEI = 356938035643809\nServiceCenter = +34607003110\nOutbox = outbox.sms\n");
        qputenv("EZX_MODEM", QFile::encodeName(scratch->filePath("modem.ini")));
    }
    static QList<SentMessage> sent()
    {
        const QByteArray outbox = readBytes(scratch->filePath("outbox.sms"));
        return outbox == "<missing>" ? QList<SentMessage>() : readOutbox(outbox);
    }

    static void storePassword(const std::optional<QByteArray>& password)
    {
        writeBytes(programDir + "Vardel.cfg",
                   "[Vardel]\nLanguage = en.lng\n" + (password ? "Password = " + *password + "\n" : ""));
    }

    // The window opens before the script is set, which it would otherwise
    // take for its own steps.
    static std::unique_ptr<Vardel> open()
    {
        auto w = std::make_unique<Vardel>(QString(), nullptr, nullptr, 0);
        QApplication::processEvents();
        return w;
    }

    static void script(const QStringList& lines)
    {
        writeBytes(scratch->filePath("script"), lines.join(u'\n').toUtf8() + '\n');
        QFile::remove(scratch->filePath("transcript"));
        qputenv("EZX_AUTOMATION", QFile::encodeName(scratch->filePath("script")));
        qputenv("EZX_TRANSCRIPT", QFile::encodeName(scratch->filePath("transcript")));
        ZAutomation::reset();
    }

    static QList<QJsonObject> events(const QString& kind)
    {
        QList<QJsonObject> found;
        for (const QByteArray& line : readBytes(scratch->filePath("transcript")).split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            if (e["event"].toString() == kind)
                found << e;
        }
        return found;
    }
    // The dialogs' prompts (with "*" for a masked entry) and the notices.
    static QStringList shown()
    {
        QStringList list;
        for (const QJsonObject& d : events("dialog"))
            list << (d["masked"].toBool() ? "*" : "") + d["text"].toString();
        for (const QJsonObject& n : events("notice"))
            list << QString::number(n["type"].toInt()) + " " + n["text"].toString();
        return list;
    }

    // Activates a row of the security list as Enter does.
    static void activate(Vardel& w, int row)
    {
        w.listaRobo->setCurrentItem(row);
        w.itemClicked(w.listaRobo->item(row));
    }
    static QString rowValue(const Vardel& w, int row) { return w.listaRobo->item(row)->getSubItemText(1, 1); }
};

TEST_F(Security, PasswordIsCheckedBeforeEveryEditor)
{
    const struct {
        std::optional<QByteArray> stored;
        QString answer;
        bool opens;
        bool wrong;
    } cases[] = {
        {std::nullopt, "text", true, false},
        {std::nullopt, "text x", false, true},
        {"Secret 1", "text Secret 1", true, false},
        {"Secret 1", "text secret 1", false, true},
        {"Secret 1", "text Secret", false, true},
        {"Secret 1", "text", false, true},
        {"Secret 1", "reject", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        storePassword(c.stored);
        auto w = open();
        for (int row = 0; row < 3; ++row) {
            script({c.answer, "reject"});
            activate(*w, row);
            EXPECT_EQ(shown().value(0), "*Password:");
            EXPECT_EQ(events("dialog").value(0)["title"].toString(), "Vardel");
            EXPECT_EQ(events("dialog").size(), c.opens ? 2 : 1);
            EXPECT_EQ(shown().contains("1 Wrong password."), c.wrong);
            EXPECT_EQ(w->listaRobo->currentItem(), row);
        }
    }
}

TEST_F(Security, NewPasswordIsStoredOnlyWhenBothEntriesAgreeAndReadBack)
{
    const QByteArray kept = "[Vardel]\nLanguage = en.lng\n";
    const struct {
        QStringList answers;
        std::optional<QString> stored; // the password now kept, if any
        QString notice;
    } cases[] = {
        {{"text new pass", "text new pass"}, "new pass", "0 Password changed."},
        {{"text", "text"}, "", "0 Password changed."},
        {{QString::fromUtf8("text año"), QString::fromUtf8("text año")}, QString::fromUtf8("año"),
         "0 Password changed."},
        {{"text one", "text two"}, std::nullopt, "1 The passwords do not match."},
        // Kept hashed, a password no longer has to read back as typed.
        {{"text pass ", "text pass "}, "pass ", "0 Password changed."},
        {{QString::fromUtf8("text пароль"), QString::fromUtf8("text пароль")}, QString::fromUtf8("пароль"),
         "0 Password changed."},
        {{"text one", "reject"}, std::nullopt, ""},
        {{"reject"}, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers.join(" / ").toStdString());
        storePassword(std::nullopt);
        auto w = open();
        script(QStringList{"text"} + c.answers);
        activate(*w, 2);
        QStringList expected =
            QStringList{"*Password:", "*New password:", "*Repeat the new password:"}.mid(0, 1 + c.answers.size());
        if (!c.notice.isEmpty())
            expected << c.notice;
        EXPECT_EQ(shown(), expected);
        const QString stored = ZConfig(programDir + "Vardel.cfg", false).readEntry("Vardel", "Password", "<none>");
        if (c.stored) {
            EXPECT_TRUE(PasswordHash::matches(stored, *c.stored));
            EXPECT_EQ(bool(PasswordHash::parse(stored)), !c.stored->isEmpty()) << stored.toStdString();
        } else {
            EXPECT_EQ(readBytes(programDir + "Vardel.cfg"), kept);
        }
        EXPECT_EQ(w->listaRobo->currentItem(), 2);
    }
}

TEST_F(Security, GuardSwitchRenamesTheFlagFile)
{
    const struct {
        const char* before; // the flag file there, if any
        int checkedAtOpen;
        QString answer;
        const char* after;
    } cases[] = {
        {"zWardlex1", 1, "check 0", "zWardlex"},
        {"zWardlex", 0, "check 1", "zWardlex1"},
        {"zWardlex", 0, "check 0", "zWardlex"},
        {nullptr, 1, "check 0", nullptr},
        {"zWardlex1", 1, "reject", "zWardlex1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.before ? c.before : "none") + " " + c.answer.toStdString());
        for (const char* name : {"zWardlex", "zWardlex1"})
            QFile::remove(programDir + name);
        if (c.before)
            writeBytes(programDir + c.before, "flag\n");
        auto w = open();
        script({"text", "shot " + scratch->filePath("choice.png"), c.answer});
        activate(*w, 0);
        const QList<QJsonObject> dialogs = events("dialog");
        ASSERT_EQ(dialogs.size(), 2);
        EXPECT_EQ(dialogs[1]["title"].toString(), "Anti-theft");
        EXPECT_EQ(dialogs[1]["entries"].toArray(), (QJsonArray{"Enabled", "Disabled"}));
        if (c.answer == "reject") {
            EXPECT_EQ(dialogs[1]["checked"].toArray(), QJsonArray{c.checkedAtOpen});
        }
        EXPECT_EQ(QDir(programDir).entryList({"zWardlex*"}, QDir::Files),
                  c.after ? QStringList{c.after} : QStringList());
        if (c.after) {
            EXPECT_EQ(readBytes(programDir + c.after), "flag\n");
        }
        EXPECT_EQ(rowValue(*w, 0), c.after == QByteArray("zWardlex") ? "Enabled" : "Disabled");
        EXPECT_EQ(w->listaRobo->count(), 3);
        EXPECT_EQ(w->listaRobo->currentItem(), 0);
        for (int row = 0; row < 3; ++row) {
            EXPECT_FALSE(w->listaRobo->item(row)->pixmap(0).isNull());
            EXPECT_FALSE(w->listaRobo->item(row)->subItemPixmap(1, 1).isNull());
        }
    }
}

TEST_F(Security, SavingNumbersRecordsTheSimNowInThePhone)
{
    const QByteArray before = wardlexFile("214070000000000", "600111222 600333444");
    const QByteArray noCard = wardlexFile("", "600111222");
    const QString notSaved = "1 This could not be saved. Nothing was changed.";
    const struct {
        QByteArray modemLines;
        QStringList answers;
        QByteArray file;
        QString notice;
        QByteArray start = {};
    } cases[] = {
        {"IMSI = 214079999999999", {"text", "accept"}, wardlexFile("214079999999999", "600111222 600333444"), ""},
        {"", {"text", "text  600999888  600777666 "}, wardlexFile(homeImsi, " 600999888  600777666 "), ""},
        // The SIM cannot be read: the card recorded before stays, and
        // without one nothing is saved; both are told.
        {"ImsiError = 5", {"text", "text 600999888"}, wardlexFile("214070000000000", "600999888"),
         "1 The SIM card could not be read. The numbers were saved with the card recorded before."},
        {"ImsiError = 5", {"text", "text 600999888"}, noCard, notSaved, noCard},
        {"", {"text", "text"}, wardlexFile(homeImsi, ""), ""},
        {"", {"text", "reject"}, before, ""},
        {"", {"text x"}, before, "1 Wrong password."},
        // Cannot be written byte for byte: the numbers stay as they were.
        {"", {"text", QString::fromUtf8("text 600 ٣٣٣")}, before, notSaved},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers.join(" / ").toStdString());
        writeBytes(settingsPath, c.start.isEmpty() ? before : c.start);
        modem(c.modemLines + "\nIMSI = " + homeImsi);
        auto w = open();
        script(c.answers);
        activate(*w, 1);
        const QList<QJsonObject> dialogs = events("dialog");
        ASSERT_EQ(dialogs.size(), c.answers.size());
        if (dialogs.size() == 2) {
            EXPECT_EQ(dialogs[1]["title"].toString(), "Anti-theft");
            EXPECT_EQ(shown()[1], "Numbers to alert, separated by spaces:");
        }
        EXPECT_EQ(readBytes(settingsPath), c.file);
        EXPECT_EQ(rowValue(*w, 1), ZConfig(settingsPath, false).readEntry("ZWARDLEX", "NUMBERS"));
        EXPECT_EQ(w->listaRobo->currentItem(), 1);
        const QList<QJsonObject> notices = events("notice");
        EXPECT_EQ(notices.isEmpty() ? QString() : "1 " + notices.last()["text"].toString(), c.notice);
        EXPECT_FALSE(QFileInfo::exists(settingsPath + ".new"));
    }
}

TEST_F(Security, HostileNumbersAreStoredAsTypedPrintedAsStoredAndNeverRun)
{
    const Hostile::Canary canary;
    auto w = open();
    for (const Hostile::Value& v : Hostile::values(canary)) {
        SCOPED_TRACE(v.label);
        script({"text", "accept"});
        w->zWardlex(v.text);
        // The entry holds at most what a line edit takes.
        QString oneLine = v.text.left(32767);
        oneLine.replace(u'\n', u' ').replace(u'\r', u' ');
        EXPECT_TRUE(readBytes(settingsPath) == wardlexFile(homeImsi, oneLine.toLatin1()));
        const QString stored = ZConfig(settingsPath, false).readEntry("ZWARDLEX", "NUMBERS");
        EXPECT_TRUE(rowValue(*w, 1) == stored);

        const QByteArray output = standardOutput([&] { w->runZWardlex(); });
        // A command over the kernel's argument limit, or holding a NUL (which
        // would cut it short), is refused and prints nothing.
        if (stored.size() < 100000 && !stored.contains(QChar(0))) {
            EXPECT_TRUE(output == "\nIMSI = " + homeImsi + "\nNUMBERS = " + stored.toLatin1() + "\n\n" + imsiOk);
        }
    }
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_FALSE(canary.fired());
}

TEST_F(Security, SimCheckAlertsEveryNumberWhenTheSimDiffers)
{
    const struct {
        QByteArray modemLines;
        std::optional<QByteArray> file;
        QByteArray output;
        QList<QByteArray> numbers;
        QByteArray imsiInAlert;
    } cases[] = {
        {"IMSI = 214079999999999", wardlexFile(homeImsi, "  600111222  \t+34600333444 "),
         "\nIMSI = " + homeImsi + "\nNUMBERS = 600111222  \t+34600333444\n\n" + stolen + sentOk + sentOk,
         {"600111222", "+34600333444"}, "214079999999999"},
        {"ImsiError = 5", wardlexFile(homeImsi, "600111222"),
         "\nIMSI = " + homeImsi + "\nNUMBERS = 600111222\n\n" + stolen + sentOk, {"600111222"}, ""},
        {"", std::nullopt, "\nIMSI = \nNUMBERS = \n\n" + stolen, {}, ""},
        {"ImsiError = 5", std::nullopt, "\nIMSI = \nNUMBERS = \n\n" + imsiOk, {}, ""},
    };
    auto w = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output.toStdString());
        QFile::remove(settingsPath);
        QFile::remove(scratch->filePath("outbox.sms"));
        if (c.file)
            writeBytes(settingsPath, *c.file);
        modem(c.modemLines + "\nIMSI = " + homeImsi);
        EXPECT_EQ(standardOutput([&] { w->runZWardlex(); }), c.output);
        const QList<SentMessage> messages = sent();
        ASSERT_EQ(messages.size(), c.numbers.size());
        for (int i = 0; i < messages.size(); ++i) {
            EXPECT_TRUE(messages[i].frameRight);
            EXPECT_EQ(messages[i].serviceCentre, "+34607003110");
            EXPECT_EQ(messages[i].number, c.numbers[i]);
            EXPECT_EQ(messages[i].text, alertText + c.imsiInAlert);
        }
    }
}

TEST_F(Security, SendingReportsAFailedClientServiceCentreOrSend)
{
    const struct {
        QByteArray modemLines;
        QByteArray output;
        QByteArray serviceCentre; // of the one record sent, if any
    } cases[] = {
        {"InitError = -1", "failed to create sms fd...\n", "<none>"},
        {"SendError = 7", "Si lo tenemos!.\n+34607003110+34607003110fallo el envio del sms\n", "<none>"},
        {"ServiceCenterError = 9", "No lo tenemos.\nsms enviado con exito\n", ""},
        {"ServiceCenter = +" + QByteArray(46, '3'),
         "Si lo tenemos!.\n+" + QByteArray(46, '3') + "+" + QByteArray(46, '3') + "sms enviado con exito\n",
         "+" + QByteArray(40, '3')},
    };
    auto w = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.modemLines.toStdString());
        QFile::remove(scratch->filePath("outbox.sms"));
        modem(c.modemLines);
        EXPECT_EQ(standardOutput([&] { w->SendSMS("600111222", "hi"); }), c.output);
        const QList<SentMessage> messages = sent();
        ASSERT_EQ(messages.size(), c.serviceCentre == "<none>" ? 0 : 1);
        if (!messages.isEmpty()) {
            EXPECT_TRUE(messages[0].frameRight);
            EXPECT_EQ(messages[0].serviceCentre, c.serviceCentre);
            EXPECT_EQ(messages[0].text, "hi");
        }
    }
}

TEST_F(Security, ImeiFileIsWrittenOnceByTheWindowStart)
{
    const struct {
        QByteArray modemLines;
        std::optional<QByteArray> before;
        QByteArray after;
    } cases[] = {
        {"", std::nullopt, "IMEI = 356938035643809\n"},
        {"ImeiError = 4", std::nullopt, "IMEI = \n"},
        {"IMEI = 111111111111111", QByteArray("kept\n"), "kept\n"},
        // Left empty by a write cut short: written again.
        {"IMEI = 111111111111111", QByteArray(""), "IMEI = 111111111111111\n"},
        {"IMEI = 111111111111111", QByteArray("\n"), "IMEI = 111111111111111\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after.toStdString());
        QFile::remove(programDir + "IMEI");
        if (c.before)
            writeBytes(programDir + "IMEI", *c.before);
        modem(c.modemLines);
        script({});
        open();
        EXPECT_EQ(readBytes(programDir + "IMEI"), c.after);
        EXPECT_TRUE(events("notice").isEmpty());
    }

    // A file that cannot be replaced (here a folder in its place) stays,
    // and the user is told.
    QFile::remove(programDir + "IMEI");
    ASSERT_TRUE(QDir().mkpath(programDir + "IMEI/kept"));
    script({});
    open();
    EXPECT_TRUE(QFileInfo(programDir + "IMEI/kept").isDir());
    ASSERT_EQ(events("notice").size(), 1);
    EXPECT_EQ(events("notice")[0]["text"].toString(),
              "The IMEI of the phone could not be recorded. It will be tried again at the next start.");
    QDir(programDir + "IMEI").removeRecursively();
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = ProgramTests::start(argc, argv); status >= 0)
        return status;

    QTemporaryDir dir;
    scratch = &dir;
    programDir = dir.path() + "/it's a $dir/";
    ProgramTests::installBuiltFolders(programDir, {"languages", "images"});
    return ProgramTests::runAsProgram(argc, argv, QFile::encodeName(programDir + "vardel"), app);
}
