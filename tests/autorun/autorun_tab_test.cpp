// The autorun tab's operations on a real start-up script, run inside the
// phone sandbox with busybox; every dialog answered by an automation script.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include <ZApplication.h>
#include <ZAutomation.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>

#include "autorun/startupscript.h"
#include "hostile.h"
#include "qtprint.h"
#include "sandbox.h"
#include "shell/paths.h"
#include "shell/shellrun.h"
#include "vardel.h"

namespace {

QString programDir; // ends in "/"; argv[0] of the application lies in it
QString workDir;    // scratch files of the tests themselves

const QString mystuff = "/ezxlocal/download/mystuff";
const QString scriptPath = mystuff + "/.autorun.csh";
const QString backup = mystuff + "/scripts/backup.sh";

const QByteArray language = "[VARDEL]\n"
                            "AUTORUN_CRON = Cron\nAUTORUN_INETD = Inetd\nAUTORUN_NAME = Name:\n"
                            "AUTORUN_DELETE = Remove\nAUTORUN_LOCKED = Locked\nCRON_MSG1 = Cron at start\n"
                            "OPTIONS_ENABLED = On\nOPTIONS_DISABLED = Off\n";

// Paths in the program's form: one character per byte.
void writeBytes(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(Paths::toBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    ASSERT_GE(fd, 0) << path.toStdString();
    EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class AutorunTab : public ::testing::Test {
public: // the case tables call the helpers through a pointer
    void SetUp() override
    {
        ASSERT_TRUE(TestSandbox::inside());
        stopAnswering();
        QDir(mystuff).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(mystuff + "/scripts"));
        writeBytes(backup, "#!/bin/sh\n");
        ASSERT_TRUE(QDir().mkpath(programDir + "languages"));
        writeBytes(programDir + "languages/en.lng", language);
        settings("");
    }

    void TearDown() override { stopAnswering(); }

    static void stopAnswering()
    {
        qunsetenv("EZX_AUTOMATION");
        qunsetenv("EZX_TRANSCRIPT");
        ZAutomation::reset();
    }

    void settings(const QByteArray& keys)
    {
        writeBytes(programDir + "Vardel.cfg", "[Vardel]\nLanguage = en.lng\n" + keys);
    }
    QByteArray settings() const { return readBytes(programDir + "Vardel.cfg"); }
    void script(const QByteArray& bytes) { writeBytes(scriptPath, bytes); }
    QByteArray script() const { return readBytes(scriptPath); }

    void open()
    {
        stopAnswering();
        window = std::make_unique<Vardel>(QString(), nullptr, nullptr, 0);
    }

    // Runs the action with the answers as the automation script; returns
    // the transcript events.
    QList<QJsonObject> answering(const QStringList& answers, const std::function<void()>& action)
    {
        writeBytes(workDir + "answers", answers.join('\n').toUtf8() + '\n');
        QFile::remove(workDir + "transcript");
        qputenv("EZX_AUTOMATION", (workDir + "answers").toUtf8());
        qputenv("EZX_TRANSCRIPT", (workDir + "transcript").toUtf8());
        ZAutomation::reset();
        action();
        stopAnswering();
        QList<QJsonObject> events;
        for (const QByteArray& line : readBytes(workDir + "transcript").split('\n')) {
            if (!line.isEmpty())
                events << QJsonDocument::fromJson(line).object();
        }
        return events;
    }

    static QList<QJsonObject> only(const QList<QJsonObject>& events, const QString& kind)
    {
        QList<QJsonObject> found;
        for (const QJsonObject& e : events) {
            if (e["event"].toString() == kind)
                found << e;
        }
        return found;
    }

    // Makes the row current and activates it, as Enter does.
    QList<QJsonObject> activate(int row, const QStringList& answers)
    {
        return answering(answers, [&] {
            window->listaAutorun->setCurrentItem(row);
            window->listaAutorun->activateCurrent();
        });
    }

    QList<QJsonObject> add(const QStringList& answers)
    {
        return answering(answers, [&] { window->AutorunAdd(); });
    }

    QList<QJsonObject> remove(int row, const QStringList& answers)
    {
        return answering(answers, [&] {
            window->listaAutorun->setCurrentItem(row);
            window->AutorunRemove();
        });
    }

    // Each row as "name: state".
    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < window->listaAutorun->count(); ++i) {
            const ZListBoxItem* row = window->listaAutorun->item(i);
            out << row->getSubItemText(1, 0) + ": " + row->getSubItemText(1, 1);
        }
        return out;
    }

    std::unique_ptr<Vardel> window;
};

TEST_F(AutorunTab, RowsShowBothSwitchesThenTheScriptsEntries)
{
    const struct {
        const char* what;
        QByteArray keys;
        const char* script; // nullptr: no script; "/": the script is a folder
        QStringList rows;
    } cases[] = {
        {"missing keys count as on; odd empty lines, a one-character name line, a name at the end",
         "", "#Clock\n/c\n\n\n\n#Proxy\n#/p\nx\n/o\n#Last",
         {"Cron: On", "Inetd: On", "Clock: On", "Proxy: Off", ": On", "Last: On"}},
        {"only NO is off; no script", "Cron = NO\nINETD = no\n", nullptr, {"Cron: Off", "Inetd: On"}},
        {"an unreadable script gives no entries", "Cron = 0\nINETD = NO\n", "/", {"Cron: On", "Inetd: Off"}},
    };
    for (const auto& c : cases) {
        settings(c.keys);
        QFile::remove(scriptPath);
        QDir(scriptPath).removeRecursively();
        if (c.script == QByteArray("/"))
            ASSERT_TRUE(QDir().mkpath(scriptPath));
        else if (c.script)
            script(c.script);
        open();
        EXPECT_EQ(rows(), c.rows) << c.what;
    }
}

TEST_F(AutorunTab, SwitchingRewritesTheScriptAndKeepsTheRowCurrent)
{
    const struct {
        const char* what;
        QByteArray before;
        int row;
        const char* answer;
        QByteArray after;
    } cases[] = {
        {"on", "#Clock\n#/bin/clock\n", 2, "check 0", "#Clock\n/bin/clock\n\n"},
        {"off", "#Clock\n/bin/clock\n", 2, "check 1", "#Clock\n#/bin/clock\n\n"},
        {"on takes one # of two", "#A\n##/a\n", 2, "check 0", "#A\n#/a\n\n"},
        {"after an odd number of empty lines", "#X\n/x\n\n#A\n/a\n", 3, "check 1", "#X\n/x\n\n#A\n#/a\n\n"},
        {"every entry of the name", "#A\n/1\n#A\n/2\n\n", 3, "check 1", "#A\n#/1\n#A\n#/2\n\n\n"},
        // Confirming what the dialog offers: an on entry is offered as on, an
        // off one as off; the script is rewritten all the same.
        {"offered on", "#A\n/a\n", 2, "accept", "#A\n/a\n\n"},
        {"offered off", "#A\n#/a\n", 2, "accept", "#A\n#/a\n\n"},
    };
    for (const auto& c : cases) {
        script(c.before);
        open();
        const auto events = activate(c.row, {c.answer});
        const auto dialogs = only(events, "dialog");
        ASSERT_EQ(dialogs.size(), 1) << c.what;
        EXPECT_EQ(dialogs[0]["title"].toString(), rows()[c.row].section(':', 0, 0)) << c.what;
        EXPECT_EQ(dialogs[0]["entries"].toVariant().toStringList(), (QStringList{"On", "Off"}));
        EXPECT_EQ(script(), c.after) << c.what;
        EXPECT_EQ(window->listaAutorun->currentItem(), c.row) << c.what;
    }
    EXPECT_EQ(rows(), (QStringList{"Cron: On", "Inetd: On", "A: Off"}));
}

TEST_F(AutorunTab, AddingAppendsTheChosenFileUnderItsName)
{
    const struct {
        const char* what;
        const char* before; // nullptr: no script
        const char* nameAnswer;
        QByteArray after;
    } cases[] = {
        {"the file name as offered; empty lines dropped", "\n#A\n/a\n\n\n#B\n#/b\n\n", "accept",
         "#A\n/a\n#B\n#/b\n#backup.sh\n" + backup.toLatin1() + "\n\n"},
        {"a typed name", "#A\n/a\n", "text My Backup", "#A\n/a\n#My Backup\n" + backup.toLatin1() + "\n\n"},
        {"a missing script is made with the entry", nullptr, "text Backup",
         "#Backup\n" + backup.toLatin1() + "\n\n"},
    };
    for (const auto& c : cases) {
        QFile::remove(scriptPath);
        if (c.before)
            script(c.before);
        open();
        const auto events = add({"file " + backup, c.nameAnswer});
        const auto dialogs = only(events, "dialog");
        ASSERT_EQ(dialogs.size(), 2) << c.what;
        EXPECT_EQ(dialogs[1]["title"].toString(), "Vardel");
        EXPECT_EQ(dialogs[1]["text"].toString(), "Name:");
        EXPECT_EQ(dialogs[1]["type"].toInt(), 0);
        EXPECT_EQ(script(), c.after) << c.what;
        EXPECT_FALSE(QFile::exists(scriptPath + ".new"));
        EXPECT_TRUE(rows().last().endsWith(": On")) << c.what;
    }
    EXPECT_EQ(rows(), (QStringList{"Cron: On", "Inetd: On", "Backup: On"}));
}

TEST_F(AutorunTab, RemovingAsksThenTakesEveryEntryOfThatName)
{
    script("#A\n/1\n\n#B\n/b\n#A\n#/2\n");
    open();
    auto events = remove(2, {"yes"});
    ASSERT_EQ(only(events, "dialog").size(), 1);
    EXPECT_EQ(only(events, "dialog")[0]["text"].toString(), "Remove A?");
    EXPECT_EQ(only(events, "dialog")[0]["type"].toInt(), 1);
    EXPECT_EQ(script(), "\n#B\n/b\n\n");
    EXPECT_EQ(rows(), (QStringList{"Cron: On", "Inetd: On", "B: On"}));

    // The fixed rows, and an entry named like one, are refused with a notice.
    script("#Inetd\n/i\n");
    open();
    for (int row : {0, 1, 2}) {
        events = remove(row, {"yes"});
        EXPECT_TRUE(only(events, "dialog").isEmpty()) << row;
        ASSERT_EQ(only(events, "notice").size(), 1) << row;
        EXPECT_EQ(only(events, "notice")[0]["text"].toString(), "Locked");
        EXPECT_EQ(only(events, "notice")[0]["type"].toInt(), 1);
        EXPECT_EQ(window->noticeDlg, nullptr);
    }
    // Without a current row nothing is asked.
    events = remove(-1, {"yes"});
    EXPECT_TRUE(only(events, "dialog").isEmpty());
    EXPECT_EQ(script(), "#Inetd\n/i\n");
}

TEST_F(AutorunTab, CancellingAnyDialogChangesNothing)
{
    const QByteArray before = "#A\n/a\n\n";
    const QByteArray keys = "Cron = NO\n";
    const struct {
        const char* what;
        std::function<QList<QJsonObject>(AutorunTab*)> act;
    } cases[] = {
        {"switch", [](AutorunTab* t) { return t->activate(2, {"reject"}); }},
        {"switch with nothing checked", [](AutorunTab* t) { return t->activate(2, {"check"}); }},
        {"file", [](AutorunTab* t) { return t->add({"reject"}); }},
        {"a folder chosen", [](AutorunTab* t) { return t->add({"file " + mystuff + "/scripts"}); }},
        {"name", [](AutorunTab* t) { return t->add({"file " + backup, "reject"}); }},
        {"empty name", [](AutorunTab* t) { return t->add({"file " + backup, "text"}); }},
        {"removal", [](AutorunTab* t) { return t->remove(2, {"no"}); }},
        {"cron", [](AutorunTab* t) { return t->activate(0, {"reject"}); }},
        {"cron with nothing checked", [](AutorunTab* t) { return t->activate(0, {"check"}); }},
        {"inetd", [](AutorunTab* t) { return t->activate(1, {"reject"}); }},
    };
    for (const auto& c : cases) {
        script(before);
        settings(keys);
        open();
        const QByteArray config = settings();
        const auto events = c.act(this);
        EXPECT_FALSE(only(events, "dialog").isEmpty()) << c.what;
        EXPECT_TRUE(only(events, "command").isEmpty()) << c.what;
        EXPECT_EQ(script(), before) << c.what;
        EXPECT_EQ(settings(), config) << c.what;
        EXPECT_EQ(rows(), (QStringList{"Cron: Off", "Inetd: On", "A: On"})) << c.what;
    }
}

TEST_F(AutorunTab, CronAndInetdRecordTheChoiceAndKeepTheirRowCurrent)
{
    const struct {
        const char* what;
        QByteArray keys;
        int row;
        const char* answer;
        const char* title;
        const char* stored; // the key's line afterwards
        const char* shown;
    } cases[] = {
        {"cron, no key", "", 0, "accept", "Cron at start", "Cron = YES", "Cron: On"},
        {"cron, lower-case no counts as on", "Cron = no\n", 0, "accept", "Cron at start", "Cron = YES",
         "Cron: On"},
        {"cron off", "Cron = 0\n", 0, "check 1", "Cron at start", "Cron = NO", "Cron: Off"},
        {"inetd on", "INETD = NO\n", 1, "check 0", "Inetd", "INETD = YES", "Inetd: On"},
        {"inetd, same choice", "INETD = NO\n", 1, "accept", "Inetd", "INETD = NO", "Inetd: Off"},
        {"inetd cancelled", "INETD = NO\n", 1, "reject", "Inetd", "INETD = NO", "Inetd: Off"},
    };
    script("#A\n/a\n");
    for (const auto& c : cases) {
        settings(c.keys);
        open();
        const auto dialogs = only(activate(c.row, {c.answer}), "dialog");
        ASSERT_EQ(dialogs.size(), 1) << c.what;
        EXPECT_EQ(dialogs[0]["title"].toString(), c.title) << c.what;
        EXPECT_TRUE(settings().contains(QByteArray(c.stored) + "\n")) << c.what << settings().constData();
        EXPECT_EQ(rows().at(c.row), c.shown) << c.what;
        EXPECT_EQ(window->listaAutorun->currentItem(), c.row) << c.what;
        EXPECT_EQ(script(), "#A\n/a\n");
    }

    // An entry named like the cron row opens the cron switch.
    script("#Cron\n/c\n");
    settings("");
    open();
    const auto dialogs = only(activate(2, {"check 1"}), "dialog");
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_EQ(dialogs[0]["title"].toString(), "Cron at start");
    EXPECT_EQ(rows(), (QStringList{"Cron: Off", "Inetd: On", "Cron: On"}));
    EXPECT_EQ(script(), "#Cron\n/c\n");
}

TEST_F(AutorunTab, HostileNamesAndCommandsReachTheScriptByteForByte)
{
    const Hostile::Canary canary;
    const QByteArray before = "#A\n/a\n";

    // Names typed into the name field; each added, then removed again.
    for (const Hostile::Value& v : Hostile::values(canary)) {
        if (v.text.isEmpty() || !StartupScript::canStore(v.text, backup) || v.text.size() > 32767)
            continue; // what a line edit cannot hold or the script refuses
        script(before);
        open();
        add({"file " + backup, "text " + v.text});
        EXPECT_EQ(script(), before + "#" + Paths::toBytes(v.text) + "\n" + backup.toLatin1() + "\n\n")
            << v.label;
        ASSERT_EQ(rows().size(), 4) << v.label;
        EXPECT_EQ(window->listaAutorun->item(3)->getSubItemText(1, 0), v.text) << v.label;
        remove(3, {"yes"});
        EXPECT_EQ(script(), "#A\n/a\n\n\n") << v.label;
    }

    // Files of hostile names, offered under their own names.
    const QString dir = mystuff + "/hostile";
    for (const Hostile::Value& v : Hostile::fileNames(canary)) {
        if (v.text != v.text.trimmed() || !StartupScript::canStore(v.text, v.text))
            continue; // an answer line cannot name it
        // Qt cannot name every byte; rm can.
        Shell::run(QStringLiteral("rm -rf %1"), dir);
        ASSERT_TRUE(QDir().mkpath(dir));
        const QString path = dir + "/" + v.text;
        writeBytes(path, "#!/bin/sh\n");
        script(before);
        open();
        add({"file " + path, "accept"});
        EXPECT_EQ(script(), before + "#" + Paths::toBytes(v.text) + "\n" + Paths::toBytes(path) + "\n\n")
            << v.label;
    }
    Shell::run(QStringLiteral("rm -rf %1"), dir);

    // Every line the script can hold, a huge one included, through the
    // rewrite itself.
    QStringList lines;
    for (const Hostile::Value& v : Hostile::values(canary)) {
        if (StartupScript::canStore(QString(), v.text))
            lines << v.text;
    }
    ASSERT_TRUE(StartupScript::rewrite(lines));
    EXPECT_EQ(script(), Paths::toBytes(StartupScript::text(lines)) + "\n");
    EXPECT_EQ(StartupScript::read(), lines + QStringList{""});
    EXPECT_FALSE(canary.fired());
}

TEST_F(AutorunTab, AnUnreadableScriptIsNeverReplaced)
{
    const struct {
        const char* what;
        std::function<QList<QJsonObject>(AutorunTab*)> act;
    } cases[] = {
        {"switch", [](AutorunTab* t) { return t->activate(2, {"check 1"}); }},
        {"remove", [](AutorunTab* t) { return t->remove(2, {"yes"}); }},
        {"add", [](AutorunTab* t) { return t->add({"file " + backup, "accept"}); }},
    };
    for (const auto& c : cases) {
        script("#A\n/a\n");
        open();
        // The script becomes unreadable after the list was filled.
        QFile::remove(scriptPath);
        ASSERT_TRUE(QDir().mkpath(scriptPath));
        writeBytes(scriptPath + "/kept", "kept");

        const auto events = c.act(this);
        EXPECT_FALSE(only(events, "dialog").isEmpty()) << c.what;
        EXPECT_TRUE(only(events, "command").isEmpty()) << c.what;
        EXPECT_EQ(QDir(scriptPath).entryList(QDir::Files | QDir::Hidden), QStringList{"kept"}) << c.what;
        EXPECT_EQ(readBytes(scriptPath + "/kept"), "kept");
        EXPECT_EQ(rows(), (QStringList{"Cron: On", "Inetd: On"})) << c.what;
        QDir(scriptPath).removeRecursively();
    }

    // A name the script cannot hold is refused the same way.
    script("#A\n/a\n");
    open();
    const auto events = add({"file " + backup, QString::fromUtf8("text Копия")});
    EXPECT_TRUE(only(events, "command").isEmpty());
    EXPECT_EQ(script(), "#A\n/a\n");
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
    programDir = dir.path() + "/prog/";
    workDir = dir.path() + "/work/";
    QDir().mkpath(programDir);
    QDir().mkpath(workDir);
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
