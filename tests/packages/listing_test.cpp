// The check every package passes before it is unpacked: which listings are
// refused and which top-level directory an accepted one names.

#include <gtest/gtest.h>

#include "packages/listing.h"

namespace {

QString file(const QString& name)
{
    return "-rw-r--r-- root/root       168 2026-03-01 10:00:00 " + name;
}
QString dir(const QString& name)
{
    return "drwxr-xr-x 0/0         0 2026-03-01 10:00:00 " + name;
}
QString link(const QString& name, const QString& target)
{
    return "lrwxrwxrwx root/root         0 2026-03-01 10:00:00 " + name + " -> " + target;
}
QString hardLink(const QString& name, const QString& target)
{
    return "-rw-r--r-- root/root         0 2026-03-01 10:00:00 " + name + " -> " + target;
}

TEST(PackageListing, AcceptsPackagesThatStayInTheirFolder)
{
    const struct {
        const char* what;
        QStringList lines;
        QString top;
    } cases[] = {
        {"plain application", {dir("Snake/"), file("Snake/Snake.desktop"), file("Snake/run")}, "Snake"},
        {"folder not listed itself", {file("Snake/a"), file("Snake/sub/b")}, "Snake"},
        {"./ prefix", {dir("./"), dir("./Snake/"), file("./Snake/a")}, "Snake"},
        {"blanks and quotes", {dir("My App/"), file("My App/it's \"x\" $HOME `id`")}, "My App"},
        {"link down", {dir("A/"), file("A/f"), link("A/l", "f")}, "A"},
        {"link up within", {dir("A/"), file("A/f"), link("A/sub/l", "../f")}, "A"},
        {"link out and back", {dir("A/"), link("A/l", "../A/f")}, "A"},
        {"hard link within", {file("A/f"), hardLink("A/h", "A/f")}, "A"},
        {"arrow in a folder name", {dir("A/"), dir("A/x -> y/")}, "A"},
        {"numeric owner, no group", {"-rw-r--r-- 0 5 2026-03-01 10:00 A/f"}, "A"},
        {"link pointed elsewhere, both inside", {dir("A/"), link("A/l", "a"), file("A/l/f"), link("A/l", "b")}, "A"},
        {"file replacing a link", {dir("A/"), link("A/l", "../x"), file("A/l")}, "A"},
        {"folder on a link inside", {dir("A/"), dir("A/sub/"), link("A/l", "sub"), dir("A/l/")}, "A"},
    };
    for (const auto& c : cases) {
        const auto result = PackageListing::check(c.lines);
        EXPECT_TRUE(result.safe) << c.what;
        EXPECT_EQ(result.topDirectory, c.top) << c.what;
    }
}

TEST(PackageListing, RefusesWhatCouldWriteOutsideOrIsNotOnePackage)
{
    const struct {
        const char* what;
        QStringList lines;
    } cases[] = {
        {"nothing listed", {}},
        {"absolute member", {dir("A/"), file("/etc/passwd")}},
        {"absolute member inside", {file("/A/f")}},
        {"dot-dot member", {dir("A/"), file("A/../../etc/x")}},
        {"dot-dot at the end", {dir("A/"), dir("A/..")}},
        {"two top-level folders", {file("A/f"), file("B/f")}},
        {"file at the top", {file("A")}},
        {"loose file beside the folder", {dir("A/"), file("A/f"), file("readme")}},
        {"top folder is a link", {link("A", "/etc"), file("A/passwd")}},
        {"absolute link", {dir("A/"), link("A/l", "/etc")}},
        {"link leaving", {dir("A/"), link("A/l", "../x")}},
        {"link to the work folder", {dir("A/"), link("A/l", "..")}},
        {"link through another link", {dir("A/"), link("A/s", "."), link("A/t", "s/..")}},
        {"file written through a link", {dir("A/"), link("A/s", "../.."), file("A/s/etc/passwd")}},
        {"link loop", {dir("A/"), link("A/a", "b"), link("A/b", "a/x")}},
        {"empty link target", {dir("A/"), link("A/l", "")}},
        {"two arrows", {dir("A/"), link("A/x -> y", "z")}},
        {"hard link outside", {dir("A/"), hardLink("A/h", "/etc/shadow")}},
        {"hard link to another folder", {dir("A/"), hardLink("A/h", "B/f")}},
        {"hard link dot-dot", {dir("A/"), hardLink("A/h", "A/../../x")}},
        {"device", {dir("A/"), "crw-r--r-- 0/0 1, 3 2026-03-01 10:00:00 A/null"}},
        {"pipe", {dir("A/"), "prw-r--r-- 0/0 0 2026-03-01 10:00:00 A/fifo"}},
        {"not a listing line (name with a line feed)", {dir("A/"), file("A/x"), "y"}},
        {"error text", {"tar: short read"}},
        // A name "A/x\n-rw-r--r-- ../../../../x 0 ... A/y": the second line's
        // owner is part of the real name and climbs out.
        {"owner with a dot-dot (line feed in a name)",
         {dir("A/"), file("A/x"), "-rw-r--r-- ../../../../x 0 2026-03-01 10:00:00 A/y"}},
        // Links are followed as they stand when each member is written.
        {"link pointed elsewhere after a file went through it",
         {dir("A/"), link("A/s", "."), link("A/x", "s/../.."), file("A/x/evil"), link("A/s", "sub/sub2")}},
        {"link made through a link",
         {dir("A/"), link("A/l", "sub"), dir("A/sub/"), link("A/l/m", "."), link("A/t", "sub/m/../../../A"),
          file("A/t/evil")}},
        {"hard link to a symbolic link",
         {dir("A/"), link("A/s", "sub/sub2"), link("A/t", "."), link("A/x", "s/../.."), hardLink("A/s", "A/t"),
          file("A/x/evil")}},
        // The hard link takes the link's place only if it can be made;
        // with no such file the link may stay, leading to "/".
        {"hard link to nothing in a link's place",
         {dir("A/"), link("A/s", "/"), hardLink("A/s", "A/t"), file("A/x/evil")}},
        {"hard link to a file replaced by a link",
         {dir("A/"), file("A/f"), link("A/f", "."), link("A/x", "f/.."), hardLink("A/h", "A/f")}},
        {"link in a folder's place", {dir("A/"), dir("A/d/"), link("A/d", "deep/er"), link("A/t", "d/../.."),
                                      file("A/t/evil")}},
        {"folder on a link leading out", {dir("A/"), link("A/s", "."), link("A/l", "s/.."), dir("A/l/"),
                                          link("A/s", "x")}},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(PackageListing::check(c.lines).safe) << c.what;
}

TEST(PackageListing, DirectoryMustNameTheTopLevelFolder)
{
    EXPECT_TRUE(PackageListing::directoryFits("Snake", "Snake"));
    EXPECT_TRUE(PackageListing::directoryFits("My App", "My App"));
    for (const char* directory : {"", "Other", "Snake/", "/Snake", "..", "a..b", ".", ".Snake.partial", ".S.previous"})
        EXPECT_FALSE(PackageListing::directoryFits(directory, directory == QString("Other") ? "Snake" : directory))
            << directory;
}

} // namespace
