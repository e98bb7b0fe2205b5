// The shell-command convention run for real: busybox sh inside the phone
// sandbox. Every value must arrive as exactly one word holding exactly its
// bytes; every text written must reach its file byte for byte.

#include <gtest/gtest.h>

#include <functional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <ZAutomation.h>

#include "qtprint.h"
#include "sandbox.h"
#include "hostile.h"
#include "shell/shellrun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// What the shell can be given whole: one command line is a C string of at
// most 128 KiB.
bool fitsOneCommand(const QString& command)
{
    return !command.contains(QChar(0)) && command.toLatin1().size() < 128 * 1024;
}

class ShellSandbox : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSandbox::inside()) << "must run inside the phone sandbox";
        ASSERT_TRUE(dir.isValid());
        // A directory whose name itself needs quoting.
        base = dir.path() + "/a dir $x 'q' %1";
        ASSERT_TRUE(QDir().mkpath(base));
    }
    QTemporaryDir dir;
    QString base;
};

TEST_F(ShellSandbox, ValuesArriveAsOneWordInEveryQuotingContextOrTheCommandIsRefused)
{
    const QString out = base + "/out";
    // Each pattern writes what its shell word held, between the given
    // marks. Command substitutions add "." so no line feed gets lost.
    const struct {
        const char* pattern;
        const char* before;
        const char* after;
    } cases[] = {
        {"printf '%s' %1 > %2", "", ""},
        {"printf '%s' \"%1\" > %2", "", ""},
        {"printf '%s' '%1' > \"%2\"", "", ""},
        {"printf '%s' \"<%1>\" > %2", "<", ">"},
        {"printf '%s' '<'%1'>' > %2", "<", ">"},
        {"X=`printf '%s' %1; echo .`; printf '%s' \"${X%.}\" > %2", "", ""},
        {"X=\"`printf '%s' \"%1\"; echo .`\"; printf '%s' \"${X%.}\" > %2", "", ""},
        {"X=`printf '%s' '[%1]'; echo .`; printf '%s' \"${X%.}\" > %2", "[", "]"},
        {"X=$(printf '%s' %1; echo .); printf '%s' \"${X%.}\" > %2", "", ""},
    };
    const Hostile::Canary canary;
    for (const auto& c : cases) {
        for (const Hostile::Value& value : Hostile::values(canary)) {
            QFile::remove(out);
            const QString pattern = QString::fromLatin1(c.pattern);
            const int status = Shell::run(pattern, value.text, out);
            // A value the shell cannot be given whole (a NUL, more than one
            // command line holds) refuses the command: nothing runs.
            if (!fitsOneCommand(Shell::fillCommand(pattern, {value.text, out}))) {
                EXPECT_EQ(status, Shell::NotRun) << c.pattern << " " << value.label;
                EXPECT_FALSE(QFile::exists(out)) << c.pattern << " " << value.label;
                continue;
            }
            EXPECT_EQ(readBytes(out), c.before + value.text.toLatin1() + c.after)
                << "pattern " << c.pattern << " value " << value.label;
        }
    }
    EXPECT_FALSE(canary.fired());
}

TEST_F(ShellSandbox, ARepeatedPlaceholderTakesOneValuePerOccurrence)
{
    const QString out = base + "/%2 out";
    Shell::run("printf '%s|%s' %1 %1 > %2", "%2", "second", out);
    EXPECT_EQ(readBytes(out), "%2|second");
}

TEST_F(ShellSandbox, WritingATextGivesItsBytesAndOneLineFeed)
{
    const QString file = base + "/written file";
    const Hostile::Canary canary;
    for (const Hostile::Value& value : Hostile::values(canary)) {
        ASSERT_TRUE(Shell::writeFile(file, value.text, Shell::WriteMode::Replace)) << value.label;
        EXPECT_EQ(readBytes(file), value.text.toLatin1() + '\n') << value.label;
    }
    EXPECT_FALSE(canary.fired());

    // Appending adds to what is there, as ">>" does.
    ASSERT_TRUE(Shell::writeFile(file, "first"));
    ASSERT_TRUE(Shell::writeFile(file, "$second `x`", Shell::WriteMode::Append));
    EXPECT_EQ(readBytes(file), "first\n$second `x`\n");

    // Far beyond what a command line may hold.
    QString big;
    while (big.size() < 300 * 1024)
        big += QString::fromLatin1("registry line with $VAR `cmd` \\ \" ' % \xe9\n");
    ASSERT_TRUE(Shell::writeFile(file, big));
    EXPECT_EQ(readBytes(file), big.toLatin1() + '\n');
}

TEST_F(ShellSandbox, NonLatin1AndNulAreRefusedNotMangled)
{
    const QString file = base + "/target";
    ASSERT_TRUE(Shell::writeFile(file, "kept"));

    EXPECT_FALSE(Shell::writeFile(file, QString::fromUtf8("\u0416 text")));
    EXPECT_EQ(readBytes(file), "kept\n");

    EXPECT_EQ(Shell::run("printf '%s' %1 > %2", QString::fromUtf8("\u20ac"), file), Shell::NotRun);
    EXPECT_EQ(readBytes(file), "kept\n");

    // A NUL would end the command line early, quotes left open: refused too.
    // A text written to a file may hold one.
    const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(Shell::run("printf '%s' %1 > %2", nul, file), Shell::NotRun);
    EXPECT_EQ(readBytes(file), "kept\n");
    EXPECT_EQ(Shell::run("printf x > %1", file + QChar(0) + "/elsewhere"), Shell::NotRun);
    EXPECT_EQ(readBytes(file), "kept\n");
    EXPECT_TRUE(Shell::writeFile(file, nul));
    EXPECT_EQ(readBytes(file), QByteArray("a\0b\n", 4));
}

TEST_F(ShellSandbox, ReplacingMovesOnlyACompleteText)
{
    const QString target = base + "/Registry";
    const QString sibling = base + "/Temp";
    ASSERT_TRUE(Shell::writeFile(target, "old"));

    EXPECT_TRUE(Shell::writeThenMove(sibling, target, "new $x"));
    EXPECT_EQ(readBytes(target), "new $x\n");
    EXPECT_FALSE(QFile::exists(sibling));

    // The sibling cannot be written: the target keeps its content.
    const QString blocked = base + "/no such dir/Temp";
    EXPECT_FALSE(Shell::writeThenMove(blocked, target, "lost"));
    EXPECT_EQ(readBytes(target), "new $x\n");

    // A text the shell cannot be given leaves the target alone too.
    EXPECT_FALSE(Shell::writeThenMove(sibling, target, QString::fromUtf8("\u0416")));
    EXPECT_EQ(readBytes(target), "new $x\n");
    EXPECT_FALSE(QFile::exists(sibling));
}

TEST_F(ShellSandbox, AFailedWriteNeverMovesAStaleSibling)
{
    // A sibling left by an earlier, interrupted run. Whatever makes the
    // write fail, no mv may follow: it would put the stale text in place.
    const QString transcript = dir.path() + "/transcript";
    qputenv("EZX_TRANSCRIPT", QFile::encodeName(transcript));
    ZAutomation::reset();
    const auto movesRun = [&] {
        int moves = 0;
        QFile f(transcript);
        if (f.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : f.readAll().split('\n'))
                moves += line.contains("\"command\":\"mv ");
        }
        return moves;
    };
    const QString target = base + "/UserRegistry";
    const QString sibling = base + "/UserTemp";
    ASSERT_TRUE(Shell::writeFile(target, "current"));

    // A text the shell cannot be given.
    ASSERT_TRUE(Shell::writeFile(sibling, "stale"));
    EXPECT_FALSE(Shell::writeThenMove(sibling, target, QString::fromUtf8("\u0416")));
    EXPECT_EQ(readBytes(target), "current\n");
    EXPECT_EQ(movesRun(), 0);

    // A sibling this user may not write (and may not remove).
    ASSERT_TRUE(Shell::writeFile(sibling, "stale"));
    ASSERT_EQ(::chmod(QFile::encodeName(sibling).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(base).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        ::_exit(Shell::writeThenMove(sibling, target, "new") ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "cannot take an ordinary user's rights here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write claimed success";
    EXPECT_EQ(readBytes(target), "current\n");
    EXPECT_EQ(readBytes(sibling), "stale\n");
    EXPECT_EQ(movesRun(), 0);

    qunsetenv("EZX_TRANSCRIPT");
    ZAutomation::reset();
}

TEST_F(ShellSandbox, AStaleSiblingIsNeverWrittenThroughAndAFailedMoveIsTold)
{
    // What an earlier run (or someone else) may have left under the
    // sibling's name, and where the move itself fails.
    const QString target = base + "/ezx_zwardlex.cfg";
    const QString sibling = target + ".new";
    const QString outside = dir.path() + "/outside";
    const QString canary = outside + "/canary";
    const struct {
        const char* what;
        std::function<void()> plant;
        QString moveTo;  // the target given to the writer
        bool written;
    } cases[] = {
        {"a link to a file elsewhere", [&] { QFile::link(canary, sibling); }, target, true},
        {"a dangling link", [&] { QFile::link(outside + "/made", sibling); }, target, true},
        {"a link to a folder", [&] { QFile::link(outside, sibling); }, target, true},
        {"a folder with files", [&] { QDir().mkpath(sibling + "/sub"); Shell::writeFile(sibling + "/sub/f", "x"); },
         target, true},
        {"a stale file", [&] { Shell::writeFile(sibling, "stale"); }, target, true},
        {"a target that is a folder", [] {}, base + "/folder", false},
        {"a target in a missing folder (mv fails)", [] {}, base + "/missing/file", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(outside).removeRecursively();
        QDir().mkpath(outside + "/kept");
        ASSERT_TRUE(Shell::writeFile(canary, "canary"));
        ASSERT_TRUE(Shell::writeFile(target, "old"));
        QDir().mkpath(base + "/folder/inside");
        Shell::run("rm -rf %1", sibling);
        c.plant();

        EXPECT_EQ(Shell::writeThenMove(sibling, c.moveTo, "new"), c.written);
        EXPECT_EQ(readBytes(target), c.written ? "new\n" : "old\n");
        EXPECT_EQ(readBytes(canary), "canary\n");
        EXPECT_FALSE(QFileInfo::exists(outside + "/made"));
        EXPECT_TRUE(QFileInfo(outside + "/kept").isDir());
        EXPECT_EQ(QDir(base + "/folder").entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"inside"});
        EXPECT_FALSE(QFileInfo::exists(sibling) || QFileInfo(sibling).isSymLink());
    }
}

TEST_F(ShellSandbox, WhatCommandsPrintGoesToTheirLogCategoryNeverToTheTerminal)
{
    // This process's standard output and error go where a terminal would be.
    const QString terminal = base + "/terminal";
    const int file = ::open(QFile::encodeName(terminal).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int saved[2] = {::dup(STDOUT_FILENO), ::dup(STDERR_FILENO)};
    static QStringList logged;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            logged << QString::fromLatin1(context.category) + ": " + text;
        });
    for (const char* rules : {"vardel.commands.debug=true", "vardel.commands.debug=false"}) {
        QLoggingCategory::setFilterRules(QString::fromLatin1(rules));
        ::dup2(file, STDOUT_FILENO);
        ::dup2(file, STDERR_FILENO);
        Shell::run("echo out %1; echo err >&2", "$x");
        Shell::runPrinting("echo shown; echo err >&2");
        ::dup2(saved[0], STDOUT_FILENO);
        ::dup2(saved[1], STDERR_FILENO);
    }
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    EXPECT_EQ(readBytes(terminal), "shown\nshown\n");
    EXPECT_EQ(logged, (QStringList{"vardel.commands: echo out '$x'; echo err >&2\nout $x\nerr",
                                   "vardel.commands: echo shown; echo err >&2\nerr"}));
}

TEST_F(ShellSandbox, ScratchFilesReadBackAsTheCommandWroteThem)
{
    const QString scratch = base + "/ltemp";
    QDir().mkpath(base + "/languages");
    for (const char* name : {"ru.lng", "en.lng", "my $lang 'x'.lng"})
        Shell::run("touch %1/languages/%2", base + "/", QString::fromLatin1(name));
    Shell::run("ls %1/languages/ > %2/ltemp", base + "/", base + "/");
    EXPECT_EQ(Shell::readLines(scratch), (QStringList{"en.lng", "my $lang 'x'.lng", "ru.lng"}));

    // Every byte is one character.
    Shell::writeFile(scratch, QString::fromLatin1("caf\xe9\r"));
    EXPECT_EQ(Shell::readLines(scratch), (QStringList{QString::fromLatin1("caf\xe9")}));

    // The last line needs no line end (writeFile would always add one);
    // a missing file reads as empty.
    const struct {
        const char* printed;
        QStringList lines;
    } endings[] = {
        {"a\\n\\nb", {"a", "", "b"}},
        {"one\\r\\ntwo", {"one", "two"}},
        {"last\\r", {"last\r"}},
        {"\\n", {""}},
        {"", {}},
    };
    for (const auto& e : endings) {
        Shell::run("printf %1 > %2", QString::fromLatin1(e.printed), scratch);
        EXPECT_EQ(Shell::readLines(scratch), e.lines) << e.printed;
    }
    Shell::run("rm %1/ltemp", base + "/");
    EXPECT_FALSE(QFile::exists(scratch));
    EXPECT_TRUE(Shell::readLines(scratch).isEmpty());
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = TestSandbox::rerunInside(argc, argv); status >= 0)
        return status;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
