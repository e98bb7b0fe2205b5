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
    };
    for (const auto& c : cases)
        EXPECT_FALSE(PackageListing::check(c.lines).safe) << c.what;
}

TEST(PackageListing, DirectoryMustNameTheTopLevelFolder)
{
    EXPECT_TRUE(PackageListing::directoryFits("Snake", "Snake"));
    EXPECT_TRUE(PackageListing::directoryFits("My App", "My App"));
    for (const char* directory : {"", "Other", "Snake/", "/Snake", "..", "a..b", "."})
        EXPECT_FALSE(PackageListing::directoryFits(directory, directory == QString("Other") ? "Snake" : directory))
            << directory;
}

} // namespace
