// The texts an installation and a removal write or decide on: the registry
// record, the application ID, the tidy registry, UserMime, installed names
// and which folders may be removed.

#include <gtest/gtest.h>

#include "packages/appdirs.h"
#include "packages/record.h"
#include "packages/registrytext.h"

namespace {

AppRecord::DesktopEntry snake()
{
    return {"Orbit Snake", "OrbitSnake", "orbitsnake", "usr.png", "big.png", "ani.png", "auto.sh"};
}

TEST(Record, CardRecordCarriesTheImeiLineAndEmptyIconsStayShort)
{
    AppRecord::DesktopEntry bare = snake();
    bare.icon = bare.bigIcon = bare.aniIcon = "";
    const QStringList lines =
        AppRecord::record(AppRecord::card(), bare, "X", "IMEI = 356938035643809").split('\n');
    ASSERT_EQ(lines.size(), 21);
    EXPECT_EQ(lines[3], "AniIcon = /mmc/mmca1/.system/QTDownLoad/OrbitSnake/");
    EXPECT_EQ(lines[6], "BigIcon = /mmc/mmca1/.system/QTDownLoad/OrbitSnake/");
    EXPECT_EQ(lines[8], "Directory = ../../mmc/mmca1/.system/QTDownLoad/OrbitSnake");
    EXPECT_EQ(lines[10], "IMEI = 356938035643809");
    EXPECT_EQ(lines[14], "Icon = ");
    EXPECT_EQ(lines.last(), "Visible = 0");
}

TEST(Record, IdsInstalledInTheSameSecondDiffer)
{
    const QString p = "10000000-0000-0000-0000-";
    const struct {
        QString stamp;
        QStringList taken;
        QString id;
    } cases[] = {
        {"260301100000", {}, p + "260301100000"},
        {"260301100000", {p + "260301100000"}, p + "260301100001"},
        {"260301100009", {p + "260301100009", p + "260301100010"}, p + "260301100011"},
        {"999999999999", {p + "999999999999"}, p + "1000000000000"},
        {"", {}, p},
        {"", {p}, p + "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppRecord::chooseId(c.stamp, [&](const QString& id) { return c.taken.contains(id); }), c.id)
            << c.stamp.toStdString();
    }
}

TEST(Record, RemovalTakesEveryMenuEntryOfItsIdAndNoOther)
{
    const QByteArray tree = "[a]\nItems = X-2;X-1;X-12;\n[b]\nItems = X-1;\n";
    EXPECT_EQ(AppRecord::menuTreeWithout(tree, "{X-1}"), "[a]\nItems = X-2;X-12;\n[b]\nItems = \n");
    EXPECT_EQ(AppRecord::menuTreeWithout(tree, "{}"), tree);
}

TEST(RegistryText, CleanedRegistryHasOneEmptyLineBeforeEachLaterSection)
{
    const struct {
        QStringList lines;
        QString text;
    } cases[] = {
        {{"", "", "[A]", "Name = a", "", "", "[B]", "Name = b"}, "[A]\nName = a\n\n[B]\nName = b"},
        {{"Name = loose", "[A]", "x = 1"}, "\nName = loose\n\n[A]\nx = 1"},
        {{"[A]", "   ", "x = 1", "", "[B]"}, "[A]\n   \nx = 1\n\n[B]"},
        {{"[A]", "x = 1", "", "[B]", "y = 2"}, "[A]\nx = 1\n\n[B]\ny = 2"},  // already clean
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RegistryText::cleaned(c.lines), c.text) << c.lines.join('|').toStdString();
}

TEST(RegistryText, UserMimeGetsThePhoneHandlerWhateverFollowedTheSection)
{
    const QString id = "{fdcc1e4f-0c31-4f50-92fe-f333e7d16622}";
    EXPECT_EQ(RegistryText::withMpkgHandler({"[a/b]", "AppID = {1}", "AppList = {1}", "", "[test/x-mpkg]",
                                             "AppID = {2}", "AppList = {2}", "[c/d]"}),
              "[a/b]\nAppID = {1}\nAppList = {1}\n\n[test/x-mpkg]\nAppID = " + id + "\nAppList = " + id +
                  "\n[c/d]\n");
    // The two lines after the header go even when they are the next section.
    EXPECT_EQ(RegistryText::withMpkgHandler({"[test/x-mpkg]", "[c/d]", "AppID = {3}", "x = 1"}),
              "[test/x-mpkg]\nAppID = " + id + "\nAppList = " + id + "\nx = 1\n");
    EXPECT_EQ(RegistryText::withMpkgHandler({"[a/b]", "k = v"}), "[a/b]\nk = v\n");
}

TEST(RegistryText, InstalledNamesAreWholeNames)
{
    EXPECT_EQ(RegistryText::nameOnLine("Name = My Tool"), "My Tool");
    EXPECT_EQ(RegistryText::nameOnLine("Name =   My  Tool \t"), "My  Tool");
    EXPECT_EQ(RegistryText::nameOnLine("Name = "), "");
    EXPECT_EQ(RegistryText::nameOnLine("Name = a = b"), "a = b");
}

TEST(AppDirs, OnlyFoldersStrictlyInsideAnInstallBaseAreRemovable)
{
    const struct {
        QString directory;
        QString resolved;
        bool removable;
        bool card;
    } cases[] = {
        {"../../ezxlocal/download/mystuff/.system/QTDownLoad/Notes",
         "/ezxlocal/download/mystuff/.system/QTDownLoad/Notes", true, false},
        {"../../mmc/mmca1/.system/QTDownLoad/x", "/mmc/mmca1/.system/QTDownLoad/x", true, true},
        {"/mmc/mmca1/.system/QTDownLoad/x/y/", "/mmc/mmca1/.system/QTDownLoad/x/y", true, false},
        {"../../mmc/mmca1/.system/QTDownLoad", "/mmc/mmca1/.system/QTDownLoad", false, true},
        {"../../mmc/mmca1/.system/QTDownLoad/.", "/mmc/mmca1/.system/QTDownLoad", false, true},
        {"../../mmc/mmca1/.system/QTDownLoad/x/..", "/mmc/mmca1/.system/QTDownLoad", false, true},
        {"../../ezxlocal/download/mystuff/.system/QTDownLoad/../../../../etc", "/ezxlocal/etc", false, false},
        {"../../mmc/mmca1/.system/QTDownLoadX", "/mmc/mmca1/.system/QTDownLoadX", false, true},
        {"../../../../", "/", false, false},
        {"", "/", false, false},
        {"/mmc/mmca1/x", "/mmc/mmca1/x", false, false},
    };
    for (const auto& c : cases) {
        const QString resolved = AppDirs::resolve(c.directory);
        EXPECT_EQ(resolved, c.resolved) << c.directory.toStdString();
        EXPECT_EQ(AppDirs::removable(resolved), c.removable) << c.directory.toStdString();
        EXPECT_EQ(AppDirs::onCard(c.directory), c.card) << c.directory.toStdString();
    }
}

} // namespace

namespace {

// An installation replaces a folder only when no record names it: Foobar's
// record never claims Foo, a record of a folder inside it does.
TEST(AppDirs, AFolderIsInUseOnlyWhenARecordNamesItOrAFolderInsideIt)
{
    const QString foo = "/ezxlocal/download/mystuff/.system/QTDownLoad/Foo";
    const struct {
        QStringList directories;
        bool named;
    } cases[] = {
        {{"../../ezxlocal/download/mystuff/.system/QTDownLoad/Foo"}, true},
        {{"../../ezxlocal/download/mystuff/.system/QTDownLoad/Foo/bin"}, true},
        {{"../../ezxlocal/download/mystuff/.system/QTDownLoad/./Foo/"}, true},
        {{"../../ezxlocal/download/mystuff/.system/QTDownLoad/Foobar"}, false},
        {{"../../mmc/mmca1/.system/QTDownLoad/Foo"}, false},
        {{}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppDirs::named(c.directories, foo), c.named) << c.directories.value(0).toStdString();
    EXPECT_EQ(RegistryText::directories("[A]\nDirectory = a\n  Directory\t=  b  \nDirectoryX = c\nName = Directory\n"),
              (QStringList{"a", "b"}));
}

} // namespace
