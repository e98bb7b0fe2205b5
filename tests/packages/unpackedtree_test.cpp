// The check of an unpacked package on disk: trees made by the shell in a
// scratch folder, the package being its folder P.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "packages/unpackedtree.h"

namespace {

TEST(UnpackedTree, RefusesWhatLeadsOutOfTheFolderOnDisk)
{
    const struct {
        const char* what;
        const char* make;  // run in the scratch folder
        bool application;  // accepted with links leading inside
        bool theme;        // accepted with no link at all
    } cases[] = {
        {"files, folders, a link inside", "mkdir -p P/d && echo x > P/f && ln -s ../f P/d/l", true, false},
        {"link to a missing name inside", "mkdir P && ln -s gone P/l", true, false},
        {"hard links among its files", "mkdir P && echo x > P/f && ln P/f P/g", true, false},
        {"plain files only", "mkdir -p P/d && echo x > P/d/f", true, true},
        {"absolute link", "mkdir P && ln -s /etc P/l", false, false},
        {"link climbing out", "mkdir P && ln -s ../x P/l", false, false},
        {"chain out", "mkdir P && ln -s b P/a && ln -s .. P/b", false, false},
        {"inside only as text: s -> . and t -> s/..", "mkdir P && ln -s . P/s && ln -s s/.. P/t", false, false},
        {"loop", "mkdir P && ln -s b P/a && ln -s a P/b", false, false},
        {"hard link to a file outside", "mkdir P && echo x > f && ln f P/g", false, false},
        {"pipe", "mkdir P && mkfifo P/p", false, false},
        {"carriage return in a name", "mkdir P && echo x > \"$(printf 'P/f\\r')\"", false, false},
        {"the folder a link", "mkdir Q && ln -s Q P", false, false},
    };
    for (const auto& c : cases) {
        QTemporaryDir scratch;
        QProcess sh;
        sh.setWorkingDirectory(scratch.path());
        sh.start("/bin/sh", {"-ec", c.make});
        ASSERT_TRUE(sh.waitForFinished() && sh.exitCode() == 0) << c.what;
        const QString folder = scratch.path() + "/P";
        EXPECT_EQ(UnpackedTree::isSafe(folder, UnpackedTree::Links::LeadingInside), c.application) << c.what;
        EXPECT_EQ(UnpackedTree::isSafe(folder, UnpackedTree::Links::None), c.theme) << c.what;
    }
}

} // namespace
