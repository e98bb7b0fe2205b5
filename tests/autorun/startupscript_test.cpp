// The start-up script as text: which lines are entries, and what switching,
// adding and removing leave of the other lines.

#include <gtest/gtest.h>

#include "autorun/startupscript.h"
#include "qtprint.h"

namespace {

using StartupScript::Entry;

// Entries as "name=command" for compact tables.
QStringList shown(const QStringList& lines)
{
    QStringList out;
    for (const Entry& e : StartupScript::entries(lines))
        out << e.name + '=' + e.command + (e.enabled() ? "" : " (off)");
    return out;
}

TEST(StartupScriptText, EntriesAreReadAsTheListReadsThem)
{
    const struct {
        const char* what;
        QStringList lines;
        QStringList entries;
    } cases[] = {
        {"on and off", {"#Clock", "/bin/clock", "#Proxy", "#/bin/proxy"},
         {"Clock=/bin/clock", "Proxy=#/bin/proxy (off)"}},
        {"empty lines where a name is due are skipped, an odd number too",
         {"", "#A", "/a", "", "", "", "#B", "/b", ""}, {"A=/a", "B=/b"}},
        {"an empty line where a command is due is the command", {"#A", "", "#B", "/b"}, {"A=", "B=/b"}},
        {"any first character starts a name; one character gives an empty name",
         {"xName", "/n", "#", "/e"}, {"Name=/n", "=/e"}},
        {"a name line at the very end has an empty command", {"#A", "/a", "#Last"}, {"A=/a", "Last="}},
        {"duplicates are separate rows", {"#A", "/1", "#A", "#/2"}, {"A=/1", "A=#/2 (off)"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(c.lines), c.entries) << c.what;
}

TEST(StartupScriptText, SwitchingChangesOnlyCommandLinesOfThatName)
{
    const struct {
        const char* what;
        QStringList lines;
        const char* name;
        bool on;
        QStringList expected;
    } cases[] = {
        {"off", {"#Clock", "/bin/clock", "#B", "/b"}, "Clock", false, {"#Clock", "#/bin/clock", "#B", "/b"}},
        {"on", {"#Clock", "#/bin/clock"}, "Clock", true, {"#Clock", "/bin/clock"}},
        {"on again keeps it on", {"#A", "/a"}, "A", true, {"#A", "/a"}},
        {"off again adds no second #", {"#A", "#/a"}, "A", false, {"#A", "#/a"}},
        {"on removes only the first of two #", {"#A", "##/a"}, "A", true, {"#A", "#/a"}},
        {"found after an odd number of empty lines; empty lines stay",
         {"#X", "/x", "", "#A", "/a", ""}, "A", false, {"#X", "/x", "", "#A", "#/a", ""}},
        {"every entry of the name", {"#A", "/1", "#B", "/b", "#A", "/2"}, "A", false,
         {"#A", "#/1", "#B", "/b", "#A", "#/2"}},
        {"a command line that reads like the name is not a name", {"#B", "#A", "#A", "/a"}, "A", true,
         {"#B", "#A", "#A", "/a"}},
        {"an empty name is a one-character name line, not an empty line",
         {"", "#", "/e", "", "#A", "/a"}, "", false, {"", "#", "#/e", "", "#A", "/a"}},
        {"a name at the end gets the command line it lacked", {"#A", "/a", "#Last"}, "Last", false,
         {"#A", "/a", "#Last", "#"}},
        {"no such name", {"#A", "/a", ""}, "Z", false, {"#A", "/a", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartupScript::withEntrySwitched(c.lines, c.name, c.on), c.expected) << c.what;
}

TEST(StartupScriptText, RemovingTakesEveryEntryOfThatNameAndKeepsTheRest)
{
    const struct {
        const char* what;
        QStringList lines;
        const char* name;
        QStringList expected;
    } cases[] = {
        {"one of two", {"#A", "/a", "#B", "/b"}, "B", {"#A", "/a"}},
        {"duplicates", {"#A", "/1", "#B", "/b", "#A", "#/2"}, "A", {"#B", "/b"}},
        {"empty lines between entries stay", {"", "#A", "/a", "", "#B", "/b", ""}, "A",
         {"", "", "#B", "/b", ""}},
        {"a command line whose tail is the name stays", {"#B", "xA", "#A", "/a"}, "A", {"#B", "xA"}},
        {"an empty name spares the empty lines and what follows them", {"", "#A", "/a", "#", "/e", ""}, "",
         {"", "#A", "/a", ""}},
        {"a name at the very end", {"#A", "/a", "#Last"}, "Last", {"#A", "/a"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartupScript::withEntryRemoved(c.lines, c.name), c.expected) << c.what;
}

TEST(StartupScriptText, AddingDropsEmptyLinesAndAppendsTheEntry)
{
    EXPECT_EQ(StartupScript::withEntryAdded({"", "#A", "/a", "", "", "#B", "#/b", ""}, "New", "/n"),
              (QStringList{"#A", "/a", "#B", "#/b", "#New", "/n"}));
    // A missing script: the entry alone.
    EXPECT_EQ(StartupScript::withEntryAdded({}, "New", "#/n"), (QStringList{"#New", "#/n"}));
    // Each line and a line feed; the file write adds the closing empty line.
    EXPECT_EQ(StartupScript::text({"#A", "", "/a"}), "#A\n\n/a\n");
    EXPECT_EQ(StartupScript::text({}), "");
}

TEST(StartupScriptText, OnlyEntriesThatReadBackTheSameCanBeStored)
{
    const struct {
        QString name;
        QString command;
        bool storable;
    } cases[] = {
        {"Backup", "/a b/$x `y` \\z \"q\" 'r'", true},
        {QString::fromLatin1("Jos\xe9 \xff"), QString::fromLatin1("/m\xfasica"), true},
        {"cr\rinside", "/x\ry", true},
        {"two\nlines", "/x", false},
        {"x", "/line one\nline two", false},
        {"ends in cr\r", "/x", false},
        {"x", "/x\r", false},
        {QString::fromUtf8("Ж"), "/x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartupScript::canStore(c.name, c.command), c.storable) << c.name.toStdString();
}

// The shell's own reading of these lines is checked by the boot test and the
// startup_script fuzz target; here the cases where a bare word would not
// be a command, and the list's path of a line that is not one word.
TEST(StartupScriptText, OnlyPlainAbsolutePathsStandBare)
{
    const struct {
        QString path;
        QString line;
    } cases[] = {
        {"/mmc/mmca1/a=b,c:d@e%f+g.sh", "/mmc/mmca1/a=b,c:d@e%f+g.sh"},
        {"/mmc/mmca1/my script.sh", "'/mmc/mmca1/my script.sh'"},
        {"a=b", "'a=b'"},  // an assignment
        {"if", "'if'"},    // a word of the shell's own
        {"", "''"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StartupScript::commandFor(c.path), c.line) << c.path.toStdString();
        EXPECT_EQ((Entry{"x", "#" + c.line}.path()), c.path) << c.path.toStdString();
    }
    EXPECT_EQ((Entry{"x", "#/bin/vardel x WardLex"}.path()), "/bin/vardel x WardLex");
    // What the shell would expand is no word.
    for (const char* line : {"/x \"`id`\"", "/x \"$HOME\"", "/x `id`", "/x 'open"})
        EXPECT_EQ(StartupScript::words(line), std::nullopt) << line;
}

TEST(StartupScriptText, RemovingAFolderTakesTheEntriesThatRunFromIt)
{
    const QString folder = "/base/App";
    const QStringList lines = {
        "#Keep", "/base/Other/run.sh",
        "",
        "#Plain", "/base/App/start.sh",
        "#Off", "#/base/App/sub/x.sh",
        "#Quoted", "'/base/App/my start.sh'",
        "#Arguments", "/base/App/run -f",
        "#Dots", "/base/Other/../App/run",
        "#Prefix only", "/base/AppTwo/run",
        "#Folder itself", "/base/App",
        "#Not first word", "/bin/sh /base/App/start.sh",
        "#Compound", "/base/App/run; echo",
        "#Relative", "base/App/run",
        "",
    };
    EXPECT_EQ(StartupScript::withEntriesFromRemoved(lines, folder),
              (QStringList{"#Keep", "/base/Other/run.sh", "", "#Prefix only", "/base/AppTwo/run", "#Folder itself",
                           "/base/App", "#Not first word", "/bin/sh /base/App/start.sh", "#Relative", "base/App/run",
                           ""}));
}

} // namespace
