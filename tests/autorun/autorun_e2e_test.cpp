// The autorun tab end to end: the real program on the demo phone, driven as
// a person would through the options menu, the file-open dialog and the
// switches; the start-up script and Vardel.cfg checked byte for byte.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "autorun/startupscript.h"
#include "demophone.h"
#include "hostile.h"

namespace {

const QString mystuff = "/ezxlocal/download/mystuff";
const QString scriptPath = mystuff + "/.autorun.csh";
const QString backup = mystuff + "/scripts/backup.sh";
const QByteArray demoScript = "#Clock\n/ezxlocal/download/mystuff/scripts/clock.sh\n"
                              "#Proxy\n#/ezxlocal/download/mystuff/scripts/proxy.sh\n"
                              "#Radio Log\n#/mmc/mmca1/.system/QTDownLoad/RadioLog/start.sh\n"
                              "#Swap\n/ezxlocal/download/mystuff/scripts/swap.sh\n";

// A path's bytes as a "file" answer names them: bytes above 127 as \xHH,
// a backslash doubled.
QString fileAnswer(const QString& path)
{
    QString out = "file ";
    for (const QChar c : path) {
        if (c == u'\\')
            out += "\\\\";
        else if (c.unicode() > 127)
            out += QString("\\x%1").arg(c.unicode(), 2, 16, QChar('0'));
        else
            out += c;
    }
    return out;
}

class AutorunPhone : public DemoPhone {
protected:
    void SetUp() override
    {
        DemoPhone::SetUp();
        write(backup, "#!/bin/sh\n");
    }

    QJsonArray rowsOf(int dump) const { return eventsOf("dump").value(dump)["rows"].toArray(); }
    int currentOf(int dump) const { return eventsOf("dump").value(dump)["current"].toInt(); }
    // The commands that touched the start-up script (the window's start
    // runs others of its own).
    // The script's own rewrites (the history's copies of it aside).
    QStringList scriptCommands() const
    {
        QStringList found = commands().filter(".autorun.csh");
        found.removeIf([](const QString& c) { return c.contains("/history/"); });
        return found;
    }
    static QJsonArray row(const char* name, const char* state) { return {name, state}; }
};

TEST_F(AutorunPhone, EditedThroughTheTab)
{
    const auto result = run({program}, {
                                           "tab 1",
                                           "menu 0", "file " + backup, "text Backup",
                                           "activate 6", "check 1",  // Backup off
                                           "activate 1", "check 1",  // inetd off
                                           "activate 3", "check 0",  // Proxy on
                                           "current 5", "menu 1", "yes",  // remove Swap
                                           "dump",
                                       });
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();

    // Each of the four rewrites leaves one more empty line at the end.
    EXPECT_EQ(read(scriptPath), "#Clock\n/ezxlocal/download/mystuff/scripts/clock.sh\n"
                                "#Proxy\n/ezxlocal/download/mystuff/scripts/proxy.sh\n"
                                "#Radio Log\n#/mmc/mmca1/.system/QTDownLoad/RadioLog/start.sh\n"
                                "#Backup\n#/ezxlocal/download/mystuff/scripts/backup.sh\n"
                                "\n\n\n\n");
    EXPECT_EQ(read(programDir + "Vardel.cfg"),
              "[Vardel]\nLanguage = en.lng\nCron = YES\nINETD = NO\nFont = NO\nFontBrenik = NO\n");
    EXPECT_EQ(eventsOf("dump").value(0)["tab"].toInt(), 1);
    EXPECT_EQ(rowsOf(0), (QJsonArray{row("Cron service", "Enabled"), row("Inetd (telnet)", "Disabled"),
                                     row("Clock", "Enabled"), row("Proxy", "Enabled"),
                                     row("Radio Log", "Disabled"), row("Backup", "Disabled")}));

    // The name was asked for under its prompt; the question names the entry.
    EXPECT_EQ(eventsOf("dialog", "ZSingleCaptureDlg").value(0)["text"].toString(), "Entry name:");
    EXPECT_EQ(eventsOf("dialog", "ZMessageDlg").value(0)["text"].toString(), "Remove autorun entry Swap?");
    // Each rewrite writes a sibling whole and only then moves it over the script.
    const QString sibling = "'" + scriptPath + ".new'";
    const QStringList rewrite{"set -C; cat > " + sibling, "mv " + sibling + " '" + scriptPath + "'"};
    EXPECT_EQ(scriptCommands(), rewrite + rewrite + rewrite + rewrite);

    // The phone's shell runs what is switched on, and nothing else.
    const auto started = TestSandbox::run(phone, {"/bin/sh", scriptPath});
    EXPECT_EQ(started.exitCode, 0) << started.output.constData();
    EXPECT_EQ(read(mystuff + "/launched.log"), "clock started\nproxy started\n");
}

TEST_F(AutorunPhone, CancellingAnyDialogChangesNothing)
{
    const QByteArray settings = read(programDir + "Vardel.cfg");
    const auto result = run({program}, {
                                           "tab 1",
                                           "activate 2", "reject",  // switch
                                           "activate 2", "check",   // switch, nothing checked
                                           "menu 0", "reject",      // file
                                           "menu 0", "file " + mystuff + "/scripts",  // a folder
                                           "menu 0", "file " + backup, "reject",  // name
                                           "menu 0", "file " + backup, "text",    // empty name
                                           "current 2", "menu 1", "no",           // removal
                                           "activate 0", "reject",  // cron
                                           "activate 0", "check",   // cron, nothing checked
                                           "activate 1", "reject",  // inetd
                                           "dump",
                                       });
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
    EXPECT_EQ(eventsOf("dialog").size(), 12);
    EXPECT_TRUE(scriptCommands().isEmpty()) << commands().join('\n').toStdString();
    EXPECT_EQ(read(scriptPath), demoScript);
    EXPECT_EQ(read(programDir + "Vardel.cfg"), settings);
    EXPECT_EQ(rowsOf(0).size(), 6);
}

TEST_F(AutorunPhone, SwitchesRecordTheChoiceAndKeepTheirRowCurrent)
{
    // No Cron key and a lower-case "no": both count as on. An entry named
    // like the cron row.
    write(programDir + "Vardel.cfg", "[Vardel]\nLanguage = en.lng\nINETD = no\n");
    write(scriptPath, "#Cron service\n/c\n");
    const auto result = run({program}, {
                                           "tab 1", "dump",
                                           "activate 0", "accept",  // as offered: on
                                           "activate 1", "reject",
                                           "dump",
                                           "activate 1", "accept",  // as offered: on
                                           "activate 2", "check 1", // the entry opens the cron switch
                                           "dump",
                                           "activate 0", "accept",  // as offered: off
                                           "current 2", "menu 1",   // the entry cannot be removed
                                           "current 1", "menu 1",   // nor can inetd
                                           "dump",
                                       });
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();

    QStringList titles;
    for (const QJsonObject& d : eventsOf("dialog")) {
        titles << d["title"].toString();
        EXPECT_EQ(d["entries"].toArray(), (QJsonArray{"Enabled", "Disabled"}));
    }
    EXPECT_EQ(titles, (QStringList{"Cron at start-up", "Inetd (telnet)", "Inetd (telnet)", "Cron at start-up",
                                   "Cron at start-up"}));
    EXPECT_EQ(read(programDir + "Vardel.cfg"), "[Vardel]\nLanguage = en.lng\nINETD = YES\nCron = NO\n");
    EXPECT_EQ(read(scriptPath), "#Cron service\n/c\n");
    EXPECT_TRUE(scriptCommands().isEmpty());
    EXPECT_EQ(eventsOf("notice").size(), 2);
    EXPECT_EQ(eventsOf("notice").value(0)["text"].toString(), "This entry cannot be removed.");

    const QJsonArray on = row("Cron service", "Enabled");
    EXPECT_EQ(rowsOf(0), (QJsonArray{on, row("Inetd (telnet)", "Enabled"), on}));
    EXPECT_EQ(rowsOf(2), (QJsonArray{row("Cron service", "Disabled"), row("Inetd (telnet)", "Enabled"), on}));
    EXPECT_EQ(currentOf(1), 1);
    EXPECT_EQ(currentOf(2), 0);
}

TEST_F(AutorunPhone, HostileNamesAndFileNamesReachTheScriptByteForByte)
{
    const Hostile::Canary canary;
    QStringList script{"tab 1"};
    QByteArray expected = demoScript;
    QStringList names;
    const auto added = [&](const QString& name, const QString& path) {
        expected += "#" + name.toLatin1() + "\n" + StartupScript::commandFor(path).toLatin1() + "\n";
        names << name;
    };
    // Typed names. A line edit holds at most 32767 characters.
    for (const Hostile::Value& v : Hostile::values(canary)) {
        if (v.text.isEmpty() || v.text.size() > 32767 || !StartupScript::canStore(v.text, backup))
            continue;
        script << "menu 0" << "file " + backup << "text " + v.text;
        added(v.text, backup);
    }
    // A name the script's bytes cannot hold is refused.
    script << "menu 0" << "file " + backup << QString::fromUtf8("text Копия");
    // Files of hostile names, taken under the names offered.
    const QString dir = mystuff + "/hostile";
    QDir().mkpath(hostPath(dir));
    for (const Hostile::Value& v : Hostile::fileNames(canary)) {
        if (v.text != v.text.trimmed() || !StartupScript::canStore(v.text, v.text))
            continue; // an answer line cannot name it
        const QString path = dir + "/" + v.text;
        const QByteArray host = QFile::encodeName(phone) + path.toLatin1();
        const int fd = ::open(host.constData(), O_WRONLY | O_CREAT, 0755);
        ASSERT_GE(fd, 0) << v.label;
        ::close(fd);
        script << "menu 0" << fileAnswer(path) << "accept";
        added(v.text, path);
    }
    script << "dump";

    auto result = run({program}, script);
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    for (const QJsonObject& e : eventsOf("error"))
        ADD_FAILURE() << e["line"].toString().toStdString() << ": " << e["message"].toString().toStdString();
    EXPECT_EQ(read(scriptPath), expected + "\n");
    const QJsonArray rows = rowsOf(0);
    ASSERT_EQ(rows.size(), 6 + names.size());
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(rows[6 + i].toArray()[0].toString(), names[i]) << i;
    // The refused name is told, and nothing else is.
    ASSERT_EQ(eventsOf("notice").size(), 1);
    EXPECT_EQ(eventsOf("notice")[0]["text"].toString(),
              "This name cannot be kept in the start-up script. Nothing was changed.");

    // Each removed again by the name the list shows (with any other entry
    // of that name), each removal leaving one more empty line.
    names.removeDuplicates();
    script = QStringList{"tab 1"};
    for (qsizetype i = 0; i < names.size(); ++i)
        script << "current 6" << "menu 1" << "yes";
    script << "dump";
    result = run({program}, script);
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
    EXPECT_EQ(read(scriptPath), demoScript + QByteArray(names.size() + 1, '\n'));
    EXPECT_FALSE(canary.fired());
    QProcess::execute("rm", {"-rf", hostPath(dir)}); // names Qt cannot remove
}

// The phone runs the script as root at boot: a chosen file runs under its
// own name, whatever the name holds, and no part of a name runs as a
// command or breaks the entries after it.
TEST_F(AutorunPhone, ChosenFilesRunAtBootAsChosenAndNothingElseRuns)
{
    const char* const names[] = {
        "my script.sh", "two  blanks.sh", "x$(touch pwned).sh", "`touch pwned`.sh", "a;touch pwned;b.sh",
        "q'uote.sh", "d\"quote.sh", "back\\slash.sh", "#hash.sh", "plain-name_1.sh", "star*.sh", "a=b.sh",
    };
    QStringList steps{"tab 1"};
    QByteArray expected = "clock started\nswap started\n";
    for (int i = 0; i < int(std::size(names)); ++i) {
        const QString path = mystuff + "/chosen/" + QString::fromLatin1(names[i]);
        write(path, "#!/bin/sh\necho ran " + QByteArray::number(i) + " >> " + mystuff.toLatin1() + "/launched.log\n");
        ASSERT_EQ(::chmod(QFile::encodeName(hostPath(path)).constData(), 0755), 0) << names[i];
        steps << "menu 0" << fileAnswer(path) << "text Entry " + QString::number(i);
        expected += "ran " + QByteArray::number(i) + "\n";
    }
    const auto result = run({program}, steps);
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
    EXPECT_TRUE(eventsOf("notice").isEmpty());
    // Plain paths stay as a person wrote them.
    EXPECT_TRUE(read(scriptPath).contains("\n" + mystuff.toLatin1() + "/chosen/plain-name_1.sh\n"));

    const auto booted = TestSandbox::run(phone, {"/bin/sh", "-c", "cd /ezxlocal && sh " + scriptPath});
    EXPECT_EQ(booted.exitCode, 0) << booted.output.constData();
    EXPECT_EQ(read(mystuff + "/launched.log"), expected) << booted.output.constData();
    EXPECT_FALSE(QFileInfo::exists(hostPath("/ezxlocal/pwned")));
}

// A file whose UTF-8 name the script can hold is offered under that name as
// the eye reads it, and stored one byte a character, as the list shows it.
TEST_F(AutorunPhone, AFileNameIsOfferedAsTheEyeReadsIt)
{
    const QString path = mystuff + QString::fromLatin1("/Jos\xc3\xa9.sh"); // its UTF-8 bytes
    write(path, "#!/bin/sh\n");
    auto result = run({program}, {"tab 1", "menu 0", fileAnswer(path), "accept", "dump"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    const QList<QJsonObject> asked = eventsOf("dialog", "ZSingleCaptureDlg");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0]["value"].toString(), QString::fromUtf8("José.sh"));
    EXPECT_TRUE(read(scriptPath).endsWith("#Jos\xe9.sh\n'" + path.toLatin1() + "'\n\n")) << read(scriptPath).constData();
    const QJsonArray rows = rowsOf(0);
    EXPECT_EQ(rows.last().toArray()[0].toString(), QString::fromUtf8("José.sh"));
}

TEST_F(AutorunPhone, AMissingScriptGetsTheEntryAnUnreadableOneIsLeftAlone)
{
    QFile::remove(hostPath(scriptPath));
    run({program}, {"tab 1", "menu 0", "file " + backup, "text Backup"});
    EXPECT_EQ(read(scriptPath), "#Backup\n" + backup.toLatin1() + "\n\n");

    // A script that cannot be read shows no entries and is never replaced.
    QFile::remove(hostPath(scriptPath));
    write(scriptPath + "/kept", "kept");
    const auto result = run({program}, {"tab 1", "dump", "menu 0", "file " + backup, "accept", "dump"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_EQ(eventsOf("dialog").size(), 2);
    EXPECT_TRUE(scriptCommands().isEmpty());
    EXPECT_EQ(read(scriptPath + "/kept"), "kept");
    EXPECT_EQ(QDir(hostPath(scriptPath)).entryList(QDir::Files | QDir::Hidden), QStringList{"kept"});
    EXPECT_EQ(rowsOf(0).size(), 2);
    EXPECT_EQ(rowsOf(1).size(), 2);
}

} // namespace
