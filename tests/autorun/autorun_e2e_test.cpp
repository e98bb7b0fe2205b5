// The autorun tab end to end: the real program on the demo phone, driven as
// a person would through the options menu, the file-open dialog and the
// switches.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "demophone.h"

namespace {

const QString mystuff = "/ezxlocal/download/mystuff";

class AutorunPhone : public DemoPhone {};

TEST_F(AutorunPhone, EditedThroughTheTab)
{
    write(mystuff + "/scripts/backup.sh", "#!/bin/sh\n");
    const auto result = run({program}, {
                                           "tab 1",
                                           "menu 0", "file " + mystuff + "/scripts/backup.sh", "text Backup",
                                           "activate 6", "check 1",  // Backup off
                                           "activate 1", "check 1",  // inetd off
                                           "activate 3", "check 0",  // Proxy on
                                           "current 5", "menu 1", "yes",  // remove Swap
                                           "dump",
                                       });
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();

    // Each of the four rewrites leaves one more empty line at the end.
    EXPECT_EQ(read(mystuff + "/.autorun.csh"),
              "#Clock\n/ezxlocal/download/mystuff/scripts/clock.sh\n"
              "#Proxy\n/ezxlocal/download/mystuff/scripts/proxy.sh\n"
              "#Radio Log\n#/mmc/mmca1/.system/QTDownLoad/RadioLog/start.sh\n"
              "#Backup\n#/ezxlocal/download/mystuff/scripts/backup.sh\n"
              "\n\n\n\n");
    EXPECT_EQ(read(programDir + "Vardel.cfg"),
              "[Vardel]\nLanguage = en.lng\nCron = YES\nINETD = NO\nFont = NO\nFontBrenik = NO\n");

    const auto dumps = eventsOf("dump");
    ASSERT_EQ(dumps.size(), 1);
    EXPECT_EQ(dumps[0]["tab"].toInt(), 1);
    EXPECT_EQ(dumps[0]["rows"].toArray(),
              (QJsonArray{QJsonArray{"Cron service", "Enabled"}, QJsonArray{"Inetd (telnet)", "Disabled"},
                          QJsonArray{"Clock", "Enabled"}, QJsonArray{"Proxy", "Enabled"},
                          QJsonArray{"Radio Log", "Disabled"}, QJsonArray{"Backup", "Disabled"}}));

    // The name was offered from the file's name; the question names the entry.
    const auto asked = eventsOf("dialog", "ZSingleCaptureDlg");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0]["text"].toString(), "Entry name:");
    const auto question = eventsOf("dialog", "ZMessageDlg");
    ASSERT_EQ(question.size(), 1);
    EXPECT_EQ(question[0]["text"].toString(), "Remove autorun entry Swap?");
    // Each rewrite writes a sibling whole and only then moves it over the script.
    const QString script = "'" + mystuff + "/.autorun.csh'";
    const QString sibling = "'" + mystuff + "/.autorun.csh.new'";
    QStringList rewrite{"cat > " + sibling, "mv " + sibling + " " + script};
    EXPECT_EQ(commands(), rewrite + rewrite + rewrite + rewrite);

    // The phone's shell runs what is switched on, and nothing else.
    const auto started = TestSandbox::run(phone, {"/bin/sh", mystuff + "/.autorun.csh"});
    EXPECT_EQ(started.exitCode, 0) << started.output.constData();
    EXPECT_EQ(read(mystuff + "/launched.log"), "clock started\nproxy started\n");
}

} // namespace
