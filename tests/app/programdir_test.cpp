// The file-open dialog of the program installed in a directory whose name
// is not ASCII: "dé" in UTF-8 and the same name with the single Latin-1 byte
// 0xE9. The test runs once for each name, inside the phone sandbox, as the
// program started from there (argv[0] lies in it): the dialog's pictures and
// keys, and a chosen file that a command then finds. (The window from such a
// directory is checked end to end: programdir_e2e_test.)

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <ZApplication.h>
#include <ZAutomation.h>
#include <ZListBoxItem.h>
#include <ZSoftKey.h>

#include "ZFileBrowser.h"
#include "ZFileDlg.h"
#include "qtprint.h"
#include "programtests.h"
#include "sandbox.h"
#include "shell/paths.h"
#include "shell/shellrun.h"
#include "vardel.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

const char dirVariable[] = "VARDEL_TEST_PROGRAM_DIR_NAME";

// The program's form of bytes (a plain "..." would be read as UTF-8).
QString bytes(const QByteArray& text)
{
    return QString::fromLatin1(text);
}

// The program directory of this run, ending in "/", and a scratch folder.
QString programDir;
QString scratch;

class InstalledThere : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSandbox::inside());
        ASSERT_TRUE(Shell::writeFile(programDir + "Vardel.cfg", "[Vardel]\nLanguage = en.lng"));
    }
    void TearDown() override
    {
        qunsetenv("EZX_AUTOMATION");
        ZAutomation::reset();
    }
};

TEST_F(InstalledThere, FileOpenDialogReturnsTheBytesOfThePickedFile)
{
    const QString folder = scratch + "/Packages";
    const QString utf8 = bytes("Jos\xc3\xa9.mpkg");
    const QString latin1 = bytes("d\xe9.mpkg");
    ASSERT_EQ(Shell::run("mkdir -p %1 && touch %1/%2 %1/%3", folder, folder, folder, utf8, latin1), 0);

    // The script is UTF-8 text and names the byte that is not by its escape.
    const QString script = scratch + "/script";
    ASSERT_TRUE(Shell::writeFile(script, "file " + folder + "/" + utf8 + "\n"
                                         "file " + folder + "/d\\xE9.mpkg"));
    qputenv("EZX_AUTOMATION", Paths::toBytes(script));
    ZAutomation::reset();

    for (const QString& name : {utf8, latin1}) {
        ZFileOpenDialog dialog;
        EXPECT_EQ(dialog.softKey()->text(ZSoftKey::LEFT), "Select");
        EXPECT_EQ(dialog.softKey()->text(ZSoftKey::RIGHT), "Cancel");
        ASSERT_EQ(dialog.exec(), 1);
        EXPECT_EQ(dialog.fileName, folder + "/" + name);
        EXPECT_EQ(dialog.dirName, folder);

        // The rows show the names for the eye, with their pictures.
        QStringList texts;
        for (int i = 0; i < dialog.browser->count(); ++i) {
            texts << dialog.browser->rowText(i);
            EXPECT_FALSE(dialog.browser->item(i)->pixmap(0).isNull()) << i;
        }
        EXPECT_EQ(texts, (QStringList{"..", QString::fromUtf8("Jos\u00e9.mpkg"),
                                      QString::fromUtf8("d\ufffd.mpkg")}));

        // A command given the path finds the file; the names as shown would not.
        EXPECT_EQ(Shell::run("ls %1 > /dev/null", dialog.fileName), 0);
        for (int row : {1, 2})
            EXPECT_NE(Shell::run("ls %1 2> /dev/null", folder + "/" + dialog.browser->rowText(row)), 0);
    }
}

// Runs this test program once per directory name, each run in the
// environment naming it; the worst status counts.
int runForEachName(char** argv)
{
    int worst = 0;
    for (const char* name : {"d\xc3\xa9", "d\xe9"}) {
        std::printf("=== program directory named %s (bytes %s)\n", name,
                    QByteArray(name).toHex(' ').constData());
        std::fflush(stdout);
        ::setenv(dirVariable, name, 1);
        pid_t pid = -1;
        if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0)
            return 2;
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {}
        worst = std::max(worst, WIFEXITED(status) ? WEXITSTATUS(status) : 2);
    }
    ::unsetenv(dirVariable);
    return worst;
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = TestSandbox::rerunInside(argc, argv); status >= 0)
        return status;
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || QByteArray(argv[i]).startsWith("--gtest_list_tests");
    if (!listing && !qEnvironmentVariableIsSet(dirVariable))
        return runForEachName(argv);

    ::testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir dir;
    const QString base = Paths::fromQt(dir.path());
    programDir = base + "/" + Paths::fromBytes(qgetenv(dirVariable)) + "/";
    scratch = base + "/scratch";
    Shell::run("mkdir -p %1 %2 && cp -r %3/images %4/languages %5", programDir, scratch,
               QStringLiteral(VARDEL_BUILD_DIR), QStringLiteral(VARDEL_BUILD_DIR), programDir);

    const int status = ProgramTests::runAsProgram(argc, argv, Paths::toBytes(programDir + "vardel"), app);
    // QTemporaryDir cannot remove a name that is not UTF-8.
    Shell::run("rm -rf %1", base);
    return status;
}
