// The sealed root that fuzz targets running shell commands work in: a
// command run there, such as a value whose quoting broke, can write only
// to the scratch directory and the one directory it was given, and can
// neither undo the seal nor reach devices, the network or more rights.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "sealedshell.h"
#include "shell/shellrun.h"

#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString scratch;
QString writable;

QByteArray output(const QString& command)
{
    const QString out = scratch + "/out";
    QFile::remove(out);
    Shell::run(command + " > %1 2>&1", out);
    QFile f(out);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool succeeds(const QString& pattern, const QString& value = QString())
{
    const int status = value.isNull() ? Shell::run(pattern) : Shell::run(pattern, value);
    return status != Shell::NotRun && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SealedShell, CommandsWriteOnlyToScratchAndTheGivenDirectory)
{
    // Everything else stays as it is, the trees this run was started from
    // included.
    for (const QString& dir : {QStringLiteral("/"), QStringLiteral("/usr"), QStringLiteral("/usr/bin"),
                               QStringLiteral("/proc"), QStringLiteral("/dev"),
                               QStringLiteral(VARDEL_SOURCE_DIR), QStringLiteral(VARDEL_BUILD_DIR),
                               QDir::currentPath()}) {
        EXPECT_FALSE(succeeds("echo x > %1", dir + "/sealed-probe")) << dir.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir + "/sealed-probe")) << dir.toStdString();
    }
    // (Nothing here may do harm where the seal is missing: probes only.)

    EXPECT_TRUE(succeeds("echo x > %1", scratch + "/probe"));
    EXPECT_TRUE(succeeds("echo x > %1", writable + "/probe"));
    EXPECT_TRUE(succeeds("echo x > /tmp/sealed-probe"));
}

TEST(SealedShell, NoDevicesNoNetworkNoRightsAndTheSealHolds)
{
    EXPECT_EQ(output("ls -A /dev"), "null\n");
    EXPECT_TRUE(succeeds("echo x > /dev/null"));
    // The loopback device alone, and down.
    EXPECT_EQ(output("sed -n 's/^ *\\([a-z0-9]*\\):.*/\\1/p' /proc/net/dev"), "lo\n");

    // No capability left, none to regain.
    const QByteArray status = output("grep -E '^Cap(Prm|Eff|Bnd|Amb):' /proc/self/status");
    EXPECT_EQ(status.count("0000000000000000"), 4) << status.constData();
    EXPECT_TRUE(output("grep NoNewPrivs /proc/self/status").contains("1"));

    // Root without rights cannot lift the seal.
    EXPECT_FALSE(succeeds("mount -o remount,rw /"));
    EXPECT_FALSE(succeeds("mount -t tmpfs none %1", QStringLiteral(VARDEL_SOURCE_DIR)));
    EXPECT_FALSE(succeeds("umount -l /usr"));
    EXPECT_FALSE(succeeds("chroot / true"));
    EXPECT_FALSE(succeeds("echo x > /usr/sealed-probe"));
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0) {
            ::testing::InitGoogleTest(&argc, argv);
            return RUN_ALL_TESTS();
        }
    }
    if (!std::getenv("VARDEL_FUZZ_IN_SANDBOX")) {
        // The one writable directory, removed again after the sealed run.
        QByteArray dir = QDir::tempPath().toLocal8Bit() + "/vardel-sealed-XXXXXX";
        if (!::mkdtemp(dir.data()))
            return 2;
        ::setenv("VARDEL_FUZZ_WRITABLE", dir.constData(), 1);
        const pid_t child = ::fork();
        if (child == 0)
            Fuzz::enterSealedShell(&argc, &argv); // ends with the sealed run's status
        int status = 0;
        ::waitpid(child, &status, 0);
        QDir(QString::fromLocal8Bit(dir)).removeRecursively();
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    }
    scratch = Fuzz::enterSealedShell(&argc, &argv);
    writable = QString::fromLocal8Bit(std::getenv("VARDEL_FUZZ_WRITABLE"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
