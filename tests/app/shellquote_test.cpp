// Filling command patterns, program directory and start-up mode: the pure
// text work, checked without running a shell.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "qtprint.h"
#include "shell/shellquote.h"
#include "shell/shellrun.h"
#include "shell/startup.h"

using Shell::fillCommand;

TEST(FillCommand, ValuesAreFilledInOnePassInArgOrder)
{
    // A value that looks like a placeholder stays as it is.
    EXPECT_EQ(fillCommand("mv %1 %2", {"a%2b", "c"}), "mv 'a%2b' 'c'");
    EXPECT_EQ(fillCommand("mv %1 %2", {"%1", "%2"}), "mv '%1' '%2'");
    // A repeated placeholder takes one value per occurrence, lowest number
    // first, then left to right.
    EXPECT_EQ(fillCommand("Skin = %1/%1", {"a", "b"}), "Skin = 'a'/'b'");
    EXPECT_EQ(fillCommand("%2 %1 %2", {"x", "y", "z"}), "'y' 'x' 'z'");
    // Placeholders without a value stay; surplus values are dropped.
    EXPECT_EQ(fillCommand("cp %1 %2", {"a"}), "cp 'a' %2");
    EXPECT_EQ(fillCommand("rm %1", {"a", "b"}), "rm 'a'");
    // Two-digit placeholders are one placeholder.
    EXPECT_EQ(fillCommand("%12 %1 %1%2", {"a", "b", "c", "d"}), "'d' 'a' 'b''c'");
}

TEST(FillCommand, FixedTextIsKeptByteForByte)
{
    const QString date = "date +'%y%m%d%H%M%S' > %1/tempID";
    EXPECT_EQ(fillCommand(date, {"/p/"}), "date +'%y%m%d%H%M%S' > '/p/'/tempID");
    const QString font = "find /ezxlocal/download/mystuff  -name \"*.ttf\" > %1/fonttemp";
    EXPECT_EQ(fillCommand(font, {"/p/"}),
              "find /ezxlocal/download/mystuff  -name \"*.ttf\" > '/p/'/fonttemp");
    EXPECT_EQ(fillCommand("/bin/busybox killall vardel", {}), "/bin/busybox killall vardel");
    // A "%" that is no placeholder, "%0" included, is plain text.
    EXPECT_EQ(fillCommand("printf '100%% %0 %' %1", {"x"}), "printf '100%% %0 %' 'x'");
}

TEST(FillCommand, QuotingFollowsWhereThePlaceholderStands)
{
    // Unquoted: one single-quoted word, quotes in the value escaped.
    EXPECT_EQ(fillCommand("rm %1", {"it's"}), "rm 'it'\\''s'");
    EXPECT_EQ(fillCommand("rm %1", {""}), "rm ''");
    // Inside double quotes: close, quoted word, reopen.
    EXPECT_EQ(fillCommand("find / -name \"%1\"", {"$x"}), "find / -name \"\"'$x'\"\"");
    EXPECT_EQ(fillCommand("echo > /a/\"%1.chm\"", {"My Theme"}), "echo > /a/\"\"'My Theme'\".chm\"");
    // Inside single quotes: close, quoted word, reopen.
    EXPECT_EQ(fillCommand("sed 's/%1//'", {"a b"}), "sed 's/''a b''//'");
    // Inside `...` the quoted word is escaped once more for the backquotes.
    EXPECT_EQ(fillCommand("APP=`echo %1 | sed s/}//g`", {"{a`$\\}"}),
              "APP=`echo '{a\\`\\$\\\\}' | sed s/}//g`");
    // Inside $( ) quoting works as at the top.
    EXPECT_EQ(fillCommand("X=$(echo %1)", {"a)b"}), "X=$(echo 'a)b')");
    // Escaped quotes in the pattern do not open a quoted part.
    EXPECT_EQ(fillCommand("echo \\\" %1 \"\\\"%2\"", {"a", "b"}), "echo \\\" 'a' \"\\\"\"'b'\"\"");
}

TEST(FileNameOf, TextAfterTheLastSlash)
{
    EXPECT_EQ(Shell::fileNameOf("/mmc/mmca1/fonts/a b.ttf"), "a b.ttf");
    EXPECT_EQ(Shell::fileNameOf("noslash"), "");
    EXPECT_EQ(Shell::fileNameOf("/dir/"), "");
    EXPECT_EQ(Shell::fileNameOf("/x"), "x");
}

TEST(Startup, ProgramDirectoryForms)
{
    EXPECT_EQ(Startup::programDir("/a/b/vardel", "/elsewhere"), "/a/b/");
    EXPECT_EQ(Startup::programDir("./vardel", "/x"), "./");
    EXPECT_EQ(Startup::programDir("/vardel", "/x"), "/");
    // Started through PATH: the executable's own directory.
    EXPECT_EQ(Startup::programDir("vardel", "/usr/local/vardel"), "/usr/local/vardel/");
    EXPECT_EQ(Startup::programDir("vardel", "/"), "/");
    // The two forms other code builds paths with.
    const QString dir = Startup::programDir("/a/b/vardel", "");
    EXPECT_EQ(dir + "/Vardel.cfg", "/a/b//Vardel.cfg");
    EXPECT_EQ(dir + "images/lang.png", "/a/b/images/lang.png");
}

TEST(Startup, ModeChoice)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("app.mpkg");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    EXPECT_EQ(Startup::modeFor("WardLex"), Startup::Mode::SimCheck);
    // Another letter case is a path, and there is none of that name here.
    EXPECT_EQ(Startup::modeFor("wardlex"), Startup::Mode::Window);
    EXPECT_EQ(Startup::modeFor("WARDLEX"), Startup::Mode::Window);
    EXPECT_EQ(Startup::modeFor(file), Startup::Mode::Install);
    EXPECT_EQ(Startup::modeFor(dir.path()), Startup::Mode::Install);
    EXPECT_EQ(Startup::modeFor(dir.filePath("missing.mpkg")), Startup::Mode::Window);
    EXPECT_EQ(Startup::modeFor(""), Startup::Mode::Window);

    // The keyword in another case names an entry when one exists.
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QFile lower("wardlex");
    ASSERT_TRUE(lower.open(QIODevice::WriteOnly));
    lower.close();
    EXPECT_EQ(Startup::modeFor("wardlex"), Startup::Mode::Install);
    QDir::setCurrent(cwd);
}

TEST(Startup, ArgumentIsTheSecondAfterTheProgramName)
{
    EXPECT_EQ(Startup::argumentFrom({"vardel"}), "");
    EXPECT_EQ(Startup::argumentFrom({"vardel", "WardLex"}), "");
    EXPECT_EQ(Startup::argumentFrom({"vardel", "x", "WardLex"}), "WardLex");
    EXPECT_EQ(Startup::argumentFrom({"vardel", "x", "/a.mpkg", "y"}), "/a.mpkg");
}
