// The application shell end to end: the real program on the demo phone,
// started the ways a phone starts it, answered by automation scripts.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "demophone.h"

namespace {

const QString newPackage = "/ezxlocal/download/mystuff/Packages/OrbitSnake.mpkg";

class Phone : public DemoPhone {
protected:
    QString settingsLanguage() const
    {
        for (const QByteArray& line : read(programDir + "Vardel.cfg").split('\n')) {
            if (line.startsWith("Language"))
                return QString::fromLatin1(line.mid(line.indexOf('=') + 1).trimmed());
        }
        return QString();
    }
};

TEST_F(Phone, SwitchesToSpanishAndBack)
{
    const auto result = run({program}, {"menu 3", "check 1", "tab 3", "menu 0", "reject", "menu 0",
                                        "check 0", "tab 1", "menu 3", "reject"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    const auto choosers = eventsOf("dialog", "ZSingleSelectDlg");
    ASSERT_EQ(choosers.size(), 4);
    const QJsonArray languages{"English", QString::fromUtf8("Español"), QString::fromUtf8("Русский")};
    for (const QJsonObject& c : choosers)
        EXPECT_EQ(c["entries"].toArray(), languages);
    // Each chooser is titled in the language in use; a cancelled one shows
    // which entry it had checked: the language in use.
    EXPECT_EQ(choosers[0]["title"].toString(), "Language");
    EXPECT_EQ(choosers[1]["title"].toString(), "Idioma");
    EXPECT_EQ(choosers[1]["checked"].toArray(), QJsonArray{1});
    EXPECT_EQ(choosers[2]["title"].toString(), "Idioma");
    EXPECT_EQ(choosers[3]["title"].toString(), "Language");
    EXPECT_EQ(choosers[3]["checked"].toArray(), QJsonArray{0});
    EXPECT_TRUE(eventsOf("error").isEmpty());
    EXPECT_EQ(settingsLanguage(), "en.lng");
    EXPECT_FALSE(QFile::exists(phone + programDir + "ltemp"));

    // The scratch file is made and removed through quoted paths.
    const QString dir = "'" + programDir + "'";
    EXPECT_TRUE(commands().contains("ls " + dir + "/languages/ > " + dir + "/ltemp"));
    EXPECT_TRUE(commands().contains("rm " + dir + "/ltemp"));

    // Spanish stays chosen for the next start.
    run({program}, {"menu 3", "check 1"});
    run({program}, {"menu 3", "reject"});
    ASSERT_EQ(eventsOf("dialog", "ZSingleSelectDlg").size(), 1);
    EXPECT_EQ(eventsOf("dialog", "ZSingleSelectDlg")[0]["title"].toString(), "Idioma");
    EXPECT_EQ(settingsLanguage(), "es.lng");
}

TEST_F(Phone, EveryMenuEntryIsReachable)
{
    // Per tab: the entries other than exit (positions), then the exit one.
    // The install entry follows the first entry of the applications and
    // themes menus.
    const struct {
        int tab;
        QList<int> entries;
        int install;
        int language;
        int about;
        int exit;
    } tabs[] = {
        {0, {0, 1, 3, 5}, 1, 3, 5, 6}, {1, {0, 1, 3, 5}, -1, 3, 5, 6}, {2, {0, 2}, -1, 0, 2, 3},
        {3, {0, 2}, -1, 0, 2, 3},       {4, {0, 1, 3, 5}, 1, 3, 5, 6},
    };
    QStringList script;
    for (const auto& t : tabs) {
        script << QString("tab %1").arg(t.tab);
        for (int position : t.entries) {
            script << QString("menu %1").arg(position);
            if (position == t.install || position == t.language || position == t.about)
                script << "reject";
        }
    }
    auto result = run({program}, script);
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
    // Five language choosers and two package choices.
    EXPECT_EQ(eventsOf("dialog", "ZSingleSelectDlg").size(), 7);
    EXPECT_EQ(eventsOf("dialog", "ZAboutDialog").size(), 5);

    // The exit entry of each tab quits at once: the step after it never runs.
    for (const auto& t : tabs) {
        result = run({program}, {QString("tab %1").arg(t.tab), QString("menu %1").arg(t.exit), "dump"});
        EXPECT_EQ(result.exitCode, 0) << "tab " << t.tab << result.output.constData();
        EXPECT_TRUE(eventsOf("dump").isEmpty()) << "tab " << t.tab;
        EXPECT_TRUE(eventsOf("error").isEmpty()) << "tab " << t.tab;
    }
}

TEST_F(Phone, ExitKeyQuitsWithoutAsking)
{
    const auto result = run({program}, {"dump", "softkey 1", "dump"});
    EXPECT_EQ(result.exitCode, 0) << result.output.constData();
    ASSERT_EQ(eventsOf("dump").size(), 1);
    EXPECT_EQ(eventsOf("dump")[0]["tab"].toInt(), 0);
    EXPECT_TRUE(eventsOf("dialog").isEmpty());
}

TEST_F(Phone, StartedThroughPathFindsItsFiles)
{
    const auto result = run({"/bin/sh", "-c", "cd / && PATH=\"$0:$PATH\" exec vardel", programDir},
                            {"menu 3", "reject"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    const auto choosers = eventsOf("dialog", "ZSingleSelectDlg");
    ASSERT_EQ(choosers.size(), 1);
    EXPECT_EQ(choosers[0]["title"].toString(), "Language");
    EXPECT_EQ(choosers[0]["entries"].toArray().size(), 3);
    const QString dir = "'" + programDir + "'";
    EXPECT_TRUE(commands().contains("ls " + dir + "/languages/ > " + dir + "/ltemp"));
    EXPECT_FALSE(QFile::exists(phone + "/ltemp"));
}

TEST_F(Phone, AMissingPackagePathOpensTheWindow)
{
    for (const QString& argument : {QString("/ezxlocal/no such.mpkg"), QString("wardlex")}) {
        const auto result = run({program, "x", argument}, {"dump"});
        EXPECT_EQ(result.exitCode, 0) << result.output.constData();
        EXPECT_EQ(eventsOf("dump").size(), 1) << argument.toStdString();
        EXPECT_FALSE(commands().contains("/bin/busybox killall vardel"));
    }
    // The first argument after the program name is not the one looked at.
    run({program, newPackage}, {"dump"});
    EXPECT_EQ(eventsOf("dump").size(), 1);
}

TEST_F(Phone, HelpAndVersionAsTheFirstArgumentPrintAndEndWithoutTouchingThePhone)
{
    for (const auto& [argument, printed] : {std::pair{"--help", "EZX_MODEM"}, std::pair{"--version", "vardel "}}) {
        const auto result = run({program, argument, "WardLex"}, {"dump"});
        EXPECT_EQ(result.exitCode, 0) << argument;
        EXPECT_TRUE(result.output.contains(printed)) << result.output.constData();
        EXPECT_TRUE(events.isEmpty()) << argument;
    }
    run({program, "x", "--help"}, {"dump"});
    EXPECT_EQ(eventsOf("dump").size(), 1);
}

TEST_F(Phone, AWindowlessStartEndsByItself)
{
    for (const QString& argument : {newPackage, QString("/ezxlocal/download/mystuff"), QString("WardLex")}) {
        const auto result = run({program, "x", argument}, {"dump", "dump"});
        EXPECT_EQ(result.exitCode, 0) << argument.toStdString() << result.output.constData();
        EXPECT_TRUE(eventsOf("dump").isEmpty()) << argument.toStdString();
        EXPECT_FALSE(commands().contains("/bin/busybox killall vardel"));
    }
}

TEST_F(Phone, AWindowlessStartLeavesARunningWindowAlone)
{
    // A window started without a script waits for a person; an install
    // beside it installs, ends with status 0, and the window still runs.
    const auto result = run(
        {"/bin/sh", "-c",
         "(unset EZX_AUTOMATION; exec \"$0\") & window=$!; sleep 3; env EZX_TRANSCRIPT=/dev/null \"$0\" x \"$1\"; "
         "echo \"windowless=$?\"; kill -0 $window && echo window-runs; kill $window",
         program, newPackage},
        {"check 0"});
    EXPECT_TRUE(result.output.contains("windowless=0")) << result.output.constData();
    EXPECT_TRUE(result.output.contains("window-runs")) << result.output.constData();
    EXPECT_TRUE(read("/ezxlocal/download/appwrite/am/UserRegistry").contains("Name = Orbit Snake\n"));
}

} // namespace
