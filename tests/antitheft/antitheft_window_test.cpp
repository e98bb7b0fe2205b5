// The security tab's editors, the SIM check, the alert messages and the IMEI
// file, run in the window inside the phone sandbox against the simulated
// modem, with dialogs answered by automation scripts.

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

#include "antitheft/wardlexsettings.h"
#include "hostile.h"
#include "outbox.h"
#include "qtprint.h"
#include "sandbox.h"
#include "vardel.h"

namespace {

QTemporaryDir* scratch = nullptr;
// The program directory; its name needs quoting in every command.
QString programDir;

const QString settingsPath = WardlexSettings::path;
const QByteArray homeImsi = "214070123456789";
const QByteArray foreignImsi = "214079999999999";
const QByteArray alertText = "Vardel anti-theft: a new SIM card is in this phone. IMSI:";
const QByteArray sentOk = "Si lo tenemos!.\n+34607003110+34607003110sms enviado con exito\n";

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

// What the program and the commands it runs print on standard output
// while fn runs.
template <typename Fn>
QByteArray standardOutput(Fn fn)
{
    const QString path = scratch->filePath("stdout");
    std::fflush(stdout);
    const int saved = ::dup(1);
    const int file = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(file, 1);
    ::close(file);
    fn();
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    return readBytes(path);
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
        QFile::remove(outbox());
        modem("IMSI = " + homeImsi);
    }

    void TearDown() override
    {
        qunsetenv("EZX_AUTOMATION");
        qunsetenv("EZX_TRANSCRIPT");
        qunsetenv("EZX_MODEM");
        ZAutomation::reset();
    }

    // The modem: the lines given (the SIM's IMSI, errors, other values),
    // then the phone's IMEI, service centre and outbox where the lines name
    // none (the first line of a key counts).
    void modem(const QByteArray& lines)
    {
        writeBytes(scratch->filePath("modem.ini"),
                   "[Modem]\n" + lines
                       + "\nIMEI = 356938035643809\nServiceCenter = +34607003110\nOutbox = outbox.sms\n");
        qputenv("EZX_MODEM", QFile::encodeName(scratch->filePath("modem.ini")));
    }
    static QString outbox() { return scratch->filePath("outbox.sms"); }
    QList<SentMessage> sent() const
    {
        QFile f(outbox());
        bool whole = false;
        const QList<SentMessage> messages = readOutbox(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), &whole);
        EXPECT_TRUE(whole);
        return messages;
    }

    static void storePassword(const std::optional<QByteArray>& password)
    {
        QByteArray settings = "[Vardel]\nLanguage = en.lng\n";
        if (password)
            settings += "Password = " + *password + "\n";
        writeBytes(programDir + "Vardel.cfg", settings);
    }

    // Opens the window first: a script set before would also be read as the
    // window's own steps.
    std::unique_ptr<Vardel> open()
    {
        auto w = std::make_unique<Vardel>(QString(), nullptr, nullptr, 0);
        QApplication::processEvents();
        return w;
    }

    void script(const QStringList& lines)
    {
        writeBytes(scratch->filePath("script"), lines.join(u'\n').toUtf8() + '\n');
        QFile::remove(scratch->filePath("transcript"));
        qputenv("EZX_AUTOMATION", QFile::encodeName(scratch->filePath("script")));
        qputenv("EZX_TRANSCRIPT", QFile::encodeName(scratch->filePath("transcript")));
        ZAutomation::reset();
    }

    QList<QJsonObject> events(const QString& kind) const
    {
        QList<QJsonObject> found;
        for (const QByteArray& line : readBytes(scratch->filePath("transcript")).split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            if (e["event"].toString() == kind)
                found << e;
        }
        return found;
    }
    QStringList prompts() const
    {
        QStringList list;
        for (const QJsonObject& d : events("dialog"))
            list << d["text"].toString();
        return list;
    }
    QStringList notices() const
    {
        QStringList list;
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

    static QStringList rowTexts(const Vardel& w, int row)
    {
        return w.listaRobo->item(row) ? w.listaRobo->item(row)->allTexts() : QStringList();
    }
};

TEST_F(Security, PasswordIsCheckedBeforeEveryEditor)
{
    const struct {
        const char* name;
        std::optional<QByteArray> stored;
        QString answer;
        bool opens;
        bool wrong;
    } cases[] = {
        {"no password, empty entry", std::nullopt, "text", true, false},
        {"no password, any entry", std::nullopt, "text x", false, true},
        {"empty password, empty entry", QByteArray(""), "text", true, false},
        {"right", QByteArray("Secret 1"), "text Secret 1", true, false},
        {"other case", QByteArray("Secret 1"), "text secret 1", false, true},
        {"a part of it", QByteArray("Secret 1"), "text Secret", false, true},
        {"empty entry", QByteArray("Secret 1"), "text", false, true},
        {"cancelled", QByteArray("Secret 1"), "reject", false, false},
    };
    for (const auto& c : cases) {
        storePassword(c.stored);
        auto w = open();
        for (int row = 0; row < 3; ++row) {
            script({c.answer, "reject"});
            activate(*w, row);
            const QList<QJsonObject> dialogs = events("dialog");
            ASSERT_FALSE(dialogs.isEmpty()) << c.name;
            EXPECT_EQ(dialogs[0]["title"].toString(), "Vardel") << c.name;
            EXPECT_EQ(dialogs[0]["text"].toString(), "Password:") << c.name;
            EXPECT_TRUE(dialogs[0]["masked"].toBool()) << c.name;
            EXPECT_EQ(dialogs.size(), c.opens ? 2 : 1) << c.name << " row " << row;
            EXPECT_EQ(notices(), c.wrong ? QStringList{"1 Wrong password."} : QStringList()) << c.name;
            EXPECT_EQ(w->listaRobo->currentItem(), row) << c.name;
        }
    }
}

TEST_F(Security, NewPasswordIsStoredOnlyWhenBothEntriesAgreeAndItReadsBack)
{
    const QByteArray untouched = "[Vardel]\nLanguage = en.lng\n";
    const struct {
        const char* name;
        QStringList answers; // after the empty current password
        QByteArray settings;
        QStringList notices;
    } cases[] = {
        {"set", {"text new pass", "text new pass"}, untouched + "Password = new pass\n", {"0 Password changed."}},
        {"empty", {"text", "text"}, untouched + "Password = \n", {"0 Password changed."}},
        {"differ", {"text one", "text two"}, untouched, {"1 The passwords do not match."}},
        {"blank at the end", {"text pass ", "text pass "}, untouched,
         {"1 The password cannot be stored as typed. It was not changed."}},
        {"beyond Latin-1", {QString::fromUtf8("text пароль"), QString::fromUtf8("text пароль")}, untouched,
         {"1 The password cannot be stored as typed. It was not changed."}},
        {"Latin-1", {QString::fromUtf8("text contraseña"), QString::fromUtf8("text contraseña")},
         untouched + "Password = contrase\xf1" "a\n", {"0 Password changed."}},
        {"second cancelled", {"text one", "reject"}, untouched, {}},
        {"first cancelled", {"reject"}, untouched, {}},
    };
    for (const auto& c : cases) {
        storePassword(std::nullopt);
        auto w = open();
        script(QStringList{"text"} + c.answers);
        activate(*w, 2);
        QStringList expectedPrompts{"Password:", "New password:", "Repeat the new password:"};
        EXPECT_EQ(prompts(), expectedPrompts.mid(0, 1 + c.answers.size())) << c.name;
        for (const QJsonObject& d : events("dialog"))
            EXPECT_TRUE(d["masked"].toBool()) << c.name;
        EXPECT_EQ(readBytes(programDir + "Vardel.cfg"), c.settings) << c.name;
        EXPECT_EQ(notices(), c.notices) << c.name;
        EXPECT_EQ(w->listaRobo->currentItem(), 2) << c.name;
    }

    // The new password is the one asked for next time.
    storePassword("old");
    auto w = open();
    script({"text old", "text next", "text next", "text next", "reject"});
    activate(*w, 2);
    activate(*w, 0);
    EXPECT_EQ(prompts(), (QStringList{"Password:", "New password:", "Repeat the new password:", "Password:", ""}));
    EXPECT_EQ(notices(), QStringList{"0 Password changed."});
}

TEST_F(Security, GuardSwitchRenamesTheFlagFile)
{
    const struct {
        const char* name;
        const char* before; // the flag file present, if any
        QString answer;
        int checkedAtOpen;
        const char* after;
        const char* shown;
    } cases[] = {
        {"on", "zWardlex1", "check 0", 1, "zWardlex", "Enabled"},
        {"off", "zWardlex", "check 1", 0, "zWardlex1", "Disabled"},
        {"on again", "zWardlex", "check 0", 0, "zWardlex", "Enabled"},
        {"neither file", nullptr, "check 0", 1, nullptr, "Disabled"},
        {"cancelled", "zWardlex1", "reject", 1, "zWardlex1", "Disabled"},
    };
    for (const auto& c : cases) {
        for (const char* name : {"zWardlex", "zWardlex1"})
            QFile::remove(programDir + name);
        if (c.before)
            writeBytes(programDir + c.before, "flag file content\n");
        auto w = open();
        EXPECT_EQ(rowTexts(*w, 0)[1], QString(c.before == QByteArray("zWardlex") ? "Enabled" : "Disabled"));
        script({"text", c.answer});
        activate(*w, 0);
        const QList<QJsonObject> dialogs = events("dialog");
        ASSERT_EQ(dialogs.size(), 2) << c.name;
        EXPECT_EQ(dialogs[1]["title"].toString(), "Anti-theft") << c.name;
        EXPECT_EQ(dialogs[1]["entries"].toArray(), (QJsonArray{"Enabled", "Disabled"})) << c.name;
        EXPECT_EQ(dialogs[1]["checked"].toArray()[0].toInt(), c.answer == "reject" ? c.checkedAtOpen
                                                                                    : c.answer.back().digitValue());
        const QStringList present = QDir(programDir).entryList({"zWardlex*"}, QDir::Files);
        EXPECT_EQ(present, c.after ? QStringList{c.after} : QStringList()) << c.name;
        if (c.after) {
            EXPECT_EQ(readBytes(programDir + c.after), "flag file content\n") << c.name;
        }
        EXPECT_EQ(rowTexts(*w, 0), (QStringList{"Anti-theft guard", c.shown})) << c.name;
        EXPECT_EQ(w->listaRobo->count(), 3) << c.name;
        EXPECT_EQ(w->listaRobo->currentItem(), 0) << c.name;
    }
}

TEST_F(Security, ListShowsGuardNumbersAndPasswordRows)
{
    writeBytes(settingsPath, wardlexFile(homeImsi, "600111222  600333444 "));
    auto w = open();
    ASSERT_EQ(w->listaRobo->count(), 3);
    EXPECT_EQ(rowTexts(*w, 0), (QStringList{"Anti-theft guard", "Disabled"}));
    EXPECT_EQ(rowTexts(*w, 1), (QStringList{"Alert numbers", "600111222  600333444"}));
    EXPECT_EQ(rowTexts(*w, 2), (QStringList{"Password", "Change"}));
    for (int row = 0; row < 3; ++row) {
        EXPECT_FALSE(w->listaRobo->item(row)->pixmap(0).isNull());
        EXPECT_TRUE(w->listaRobo->item(row)->subItemPixmap(1, 0).isNull());
        EXPECT_FALSE(w->listaRobo->item(row)->subItemPixmap(1, 1).isNull());
    }
}

TEST_F(Security, SavingNumbersRecordsTheSimNowInThePhone)
{
    const QByteArray before = wardlexFile("214070000000000", "600111222 600333444");
    const struct {
        const char* name;
        QByteArray modemLines;
        QStringList answers;
        QByteArray file;
        QString shown;
    } cases[] = {
        {"kept as shown", "IMSI = " + foreignImsi, {"text", "accept"},
         wardlexFile(foreignImsi, "600111222 600333444"), "600111222 600333444"},
        {"typed with blanks", "IMSI = " + homeImsi, {"text", "text  600999888  600777666 "},
         wardlexFile(homeImsi, " 600999888  600777666 "), "600999888  600777666"},
        {"no SIM", "ImsiError = 5", {"text", "text 600999888"}, wardlexFile("", "600999888"), "600999888"},
        {"no numbers", "IMSI = " + homeImsi, {"text", "text"}, wardlexFile(homeImsi, ""), ""},
        {"cancelled", "IMSI = " + foreignImsi, {"text", "reject"}, before, "600111222 600333444"},
        {"wrong password", "IMSI = " + foreignImsi, {"text x"}, before, "600111222 600333444"},
        // Cannot be written byte for byte: the numbers stay as they were.
        {"beyond Latin-1", "IMSI = " + foreignImsi, {"text", QString::fromUtf8("text 600 ٣٣٣")}, before,
         "600111222 600333444"},
    };
    for (const auto& c : cases) {
        writeBytes(settingsPath, before);
        modem(c.modemLines);
        auto w = open();
        script(c.answers);
        activate(*w, 1);
        const QList<QJsonObject> dialogs = events("dialog");
        ASSERT_EQ(dialogs.size(), c.answers.size()) << c.name;
        if (dialogs.size() == 2) {
            EXPECT_EQ(dialogs[1]["title"].toString(), "Anti-theft") << c.name;
            EXPECT_EQ(dialogs[1]["text"].toString(), "Numbers to alert, separated by spaces:") << c.name;
            EXPECT_FALSE(dialogs[1]["masked"].toBool()) << c.name;
        }
        EXPECT_EQ(readBytes(settingsPath), c.file) << c.name;
        EXPECT_EQ(rowTexts(*w, 1), (QStringList{"Alert numbers", c.shown})) << c.name;
        EXPECT_EQ(w->listaRobo->currentItem(), 1) << c.name;
    }
}

TEST_F(Security, HostileNumbersAreStoredAsTypedAndNeverRun)
{
    const Hostile::Canary canary;
    auto w = open();
    for (const Hostile::Value& v : Hostile::values(canary)) {
        script({"text", "accept"});
        w->zWardlex(v.text);
        // The entry holds at most as much as a line edit takes.
        QString oneLine = v.text.left(32767);
        oneLine.replace(u'\n', u' ').replace(u'\r', u' ');
        EXPECT_TRUE(readBytes(settingsPath) == wardlexFile(homeImsi, oneLine.toLatin1())) << v.label;
        EXPECT_TRUE(rowTexts(*w, 1).value(1) == oneLine.trimmed()) << v.label;
    }
    EXPECT_FALSE(canary.fired());
}

TEST_F(Security, SimCheckComparesAndAlertsEveryNumberInOrder)
{
    const QByteArray okLine = "\nIMSI comparation Ok!\n\n";
    const QByteArray stolen = "\nStolen phone!!! Sending messages...\n\n";
    const struct {
        const char* name;
        QByteArray modemLines;
        std::optional<QByteArray> file;
        QByteArray output;
        QList<QByteArray> numbers;
        QByteArray imsiInAlert;
    } cases[] = {
        {"same SIM", "IMSI = " + homeImsi, wardlexFile(homeImsi, "600111222 600333444"),
         "\nIMSI = " + homeImsi + "\nNUMBERS = 600111222 600333444\n\n" + okLine, {}, ""},
        {"foreign SIM", "IMSI = " + foreignImsi, wardlexFile(homeImsi, "600111222 600333444 600555666"),
         "\nIMSI = " + homeImsi + "\nNUMBERS = 600111222 600333444 600555666\n\n" + stolen + sentOk + sentOk
             + sentOk,
         {"600111222", "600333444", "600555666"}, foreignImsi},
        {"blanks around numbers", "IMSI = " + foreignImsi, wardlexFile(homeImsi, "  600111222   +34600333444 "),
         "\nIMSI = " + homeImsi + "\nNUMBERS = 600111222   +34600333444\n\n" + stolen + sentOk + sentOk,
         {"600111222", "+34600333444"}, foreignImsi},
        {"no SIM", "ImsiError = 5", wardlexFile(homeImsi, "600111222"),
         "\nIMSI = " + homeImsi + "\nNUMBERS = 600111222\n\n" + stolen + sentOk, {"600111222"}, ""},
        {"no settings file", "IMSI = " + foreignImsi, std::nullopt, "\nIMSI = \nNUMBERS = \n\n" + stolen, {}, ""},
        {"no settings file, no SIM", "ImsiError = 5", std::nullopt, "\nIMSI = \nNUMBERS = \n\n" + okLine, {}, ""},
    };
    auto w = open();
    for (const auto& c : cases) {
        QFile::remove(settingsPath);
        QFile::remove(outbox());
        if (c.file)
            writeBytes(settingsPath, *c.file);
        modem(c.modemLines);
        EXPECT_EQ(standardOutput([&] { w->runZWardlex(); }), c.output) << c.name;
        const QList<SentMessage> messages = sent();
        ASSERT_EQ(messages.size(), c.numbers.size()) << c.name;
        for (int i = 0; i < messages.size(); ++i) {
            EXPECT_TRUE(messages[i].frameRight) << c.name;
            EXPECT_EQ(messages[i].serviceCentre, "+34607003110") << c.name;
            EXPECT_EQ(messages[i].number, c.numbers[i]) << c.name;
            EXPECT_EQ(messages[i].text, alertText + " " + c.imsiInAlert) << c.name;
            EXPECT_EQ(messages[i].length, messages[i].text.size()) << c.name;
            EXPECT_TRUE(messages[i].textZeroTerminated) << c.name;
        }
    }
}

TEST_F(Security, SimCheckPrintsHostileNumbersWithoutRunningThem)
{
    const Hostile::Canary canary;
    auto w = open();
    for (const Hostile::Value& v : Hostile::values(canary)) {
        QFile::remove(outbox());
        writeBytes(settingsPath, (WardlexSettings::fileText(homeImsi, v.text) + u'\n').toLatin1());
        const QString stored = ZConfig(settingsPath, false).readEntry("ZWARDLEX", "NUMBERS");
        const QByteArray output = standardOutput([&] { w->runZWardlex(); });
        // A command over the kernel's argument limit cannot print at all;
        // the comparison goes on regardless.
        if (stored.size() < 100000) {
            EXPECT_TRUE(output.startsWith("\nIMSI = " + homeImsi + "\nNUMBERS = " + stored.toLatin1() + "\n\n"))
                << v.label;
        }
        EXPECT_TRUE(output.endsWith("\nIMSI comparation Ok!\n\n")) << v.label;
        EXPECT_TRUE(sent().isEmpty()) << v.label;
    }
    EXPECT_FALSE(canary.fired());
}

TEST_F(Security, SendingReportsEachFailureAndCutsTextsToTheirFields)
{
    const QByteArray longCentre = "+" + QByteArray(46, '3');
    const struct {
        const char* name;
        QByteArray modemLines;
        QString number;
        QString message;
        QByteArray output;
        std::optional<SentMessage> record;
    } cases[] = {
        {"no client", "InitError = -1", "600111222", "hi", "failed to create sms fd...\n", std::nullopt},
        {"send fails", "SendError = 7", "600111222", "hi",
         "Si lo tenemos!.\n+34607003110+34607003110fallo el envio del sms\n", std::nullopt},
        {"no service centre", "ServiceCenterError = 9", "600111222", "hi",
         "No lo tenemos.\nsms enviado con exito\n", SentMessage{"", "600111222", "hi"}},
        {"long service centre", "ServiceCenter = " + longCentre, "600111222", "hi",
         "Si lo tenemos!.\n" + longCentre + longCentre + "sms enviado con exito\n",
         SentMessage{longCentre.left(41), "600111222", "hi"}},
        {"long number and text", "", QString(45, u'6'), QString(200, u'x'), sentOk,
         SentMessage{"+34607003110", QByteArray(40, '6'), QByteArray(159, 'x')}},
    };
    auto w = open();
    for (const auto& c : cases) {
        QFile::remove(outbox());
        modem(c.modemLines);
        const QByteArray output = standardOutput([&] { w->SendSMS(c.number, c.message); });
        EXPECT_EQ(output, c.output) << c.name;
        const QList<SentMessage> messages = sent();
        ASSERT_EQ(messages.size(), c.record ? 1 : 0) << c.name;
        if (c.record) {
            EXPECT_TRUE(messages[0].frameRight) << c.name;
            EXPECT_EQ(messages[0].serviceCentre, c.record->serviceCentre) << c.name;
            EXPECT_EQ(messages[0].number, c.record->number) << c.name;
            EXPECT_EQ(messages[0].text, c.record->text) << c.name;
            EXPECT_EQ(messages[0].length, c.record->text.size()) << c.name;
        }
    }
}

TEST_F(Security, ImeiFileIsWrittenOnceByTheWindowStart)
{
    const struct {
        const char* name;
        QByteArray modemLines;
        std::optional<QByteArray> before;
        QByteArray after;
    } cases[] = {
        {"first start", "", std::nullopt, "IMEI = 356938035643809\n"},
        {"already there", "IMEI = 111111111111111", QByteArray("IMEI = 356938035643809\n"),
         "IMEI = 356938035643809\n"},
        {"there, unreadable modem", "ImeiError = 4", QByteArray("kept\n"), "kept\n"},
        {"no IMEI", "ImeiError = 4", std::nullopt, "IMEI = \n"},
    };
    for (const auto& c : cases) {
        QFile::remove(programDir + "IMEI");
        if (c.before)
            writeBytes(programDir + "IMEI", *c.before);
        modem(c.modemLines);
        open();
        EXPECT_EQ(readBytes(programDir + "IMEI"), c.after) << c.name;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = TestSandbox::rerunInside(argc, argv); status >= 0)
        return status;
    ::testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir dir;
    scratch = &dir;
    programDir = dir.path() + "/it's a $dir/";
    for (const char* sub : {"languages", "images"}) {
        QDir().mkpath(programDir + sub);
        const QDir built(QStringLiteral(VARDEL_BUILD_DIR "/") + sub);
        for (const QString& name : built.entryList(QDir::Files))
            QFile::copy(built.filePath(name), programDir + sub + "/" + name);
    }
    const QByteArray argv0 = QFile::encodeName(programDir + "vardel");
    std::vector<char*> args{const_cast<char*>(argv0.constData())};
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    int count = int(args.size());
    args.push_back(nullptr);
    ZApplication application(count, args.data());
    app = &application;
    const int status = RUN_ALL_TESTS();
    app = nullptr;
    return status;
}
