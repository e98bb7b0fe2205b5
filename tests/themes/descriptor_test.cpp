// The theme descriptor text and the rules for which theme names and paths
// may be installed or removed: pure text, no shell.

#include <gtest/gtest.h>

#include "qtprint.h"
#include "themes/descriptor.h"
#include "themes/themeplaces.h"

namespace {

using ThemeDescriptor::Theme;

Theme themeWith(const QString& name, const QString& folder, const QString& author,
                const QList<QPair<QString, QString>>& events)
{
    Theme theme{name, folder, author, {}};
    for (const char* key : ThemeDescriptor::eventKeys) {
        QString value;
        for (const auto& [k, v] : events) {
            if (k == QLatin1String(key))
                value = v;
        }
        theme.events << value;
    }
    return theme;
}

TEST(Descriptor, OnlyTheSetEventKeysGetLines)
{
    const Theme theme = themeWith("Sand", "Dune", "", {{"WallPaper", "w.png"}});
    EXPECT_EQ(ThemeDescriptor::text(theme, "/ezxlocal/download/appwrite/skins", true),
              "[THEME_CONFIG_TABLE]\n"
              "ThemeName = Sand\n"
              "Skin = /ezxlocal/download/appwrite/skins/Dune\n"
              "WallPaper = /ezxlocal/download/appwrite/skins/Dune/w.png\n"
              "\n"
              "[THEME_PROP_TABLE]\n"
              "CopyRight = \n"
              "CreatedTime = \n"
              "ThemeSize = \n");
}

TEST(Descriptor, EveryEventKeyInOrderAndTheVmAlertSlashOnlyWhereAsked)
{
    // Given in reverse, written in the phone's order.
    QList<QPair<QString, QString>> events;
    for (int i = ThemeDescriptor::eventKeyCount - 1; i >= 0; --i)
        events.append({QLatin1String(ThemeDescriptor::eventKeys[i]), QString("f%1.png").arg(i)});
    const Theme theme = themeWith("Deep Sea", "Deep Sea", "Ana \"A\" $HOME `x` \\n", events);

    const QString events12 =
        "WallPaper = %1/f0.png\nCalendarAlarm = %1/f1.png\nCallAlertLine1 = %1/f2.png\n"
        "CallAlertLine2 = %1/f3.png\nEmailAlert = %1/f4.png\nIMAlert = %1/f5.png\n"
        "LightAlert = %1/f6.png\nMsgAlert = %1/f7.png\nPowerOffScreen = %1/f8.png\n"
        "PowerOnScreen = %1/f9.png\nScreenSaver = %1/f10.png\nVMAlert = %2%1/f11.png\n";
    const QString tail = "\n[THEME_PROP_TABLE]\nCopyRight = Ana \"A\" $HOME `x` \\n\n"
                         "CreatedTime = \nThemeSize = \n";
    const struct {
        const char* base;
        bool doubled;
    } cases[] = {
        {"/mmc/mmca1/.system/skins", true},
        {"/usr/data_resource/skin", false},
    };
    for (const auto& c : cases) {
        const QString skin = QString(c.base) + "/Deep Sea";
        EXPECT_EQ(ThemeDescriptor::text(theme, c.base, c.doubled),
                  "[THEME_CONFIG_TABLE]\nThemeName = Deep Sea\nSkin = " + skin + "\n"
                      + events12.arg(skin, c.doubled ? "/" : "") + tail)
            << c.base;
    }
}

TEST(ThemePlaces, PackageNamesThatCannotLeaveTheirOwnPlaces)
{
    const QString longest(251, u'n'); // + ".chm" / ".phm" is 255 bytes
    const struct {
        QString themeName;
        QString folder;
        bool installable;
    } cases[] = {
        {"Deep Sea", "Deep Sea", true},
        {"$(touch x) `y` \"z\"", "-rf", true},
        {"..", "...", true}, // "...chm" is an ordinary file name
        {longest, longest, true},
        {"Sand", "", false},            // the skin base itself
        {"Sand", ".", false},           // the same
        {"Sand", "..", false},          // the folder above the base
        {"Sand", "a/b", false},
        {"Sand", "../../..", false},
        {"Sand", "/", false},
        {"Sand", QString("a") + QChar(0) + "b", false},
        {"Sand", longest + "n", false}, // its .phm name would be too long
        {"", "Sand", false},
        {"a/b", "Sand", false},
        {"../../../tmp/x", "Sand", false},
        {longest + "n", "Sand", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThemePlaces::isInstallable(c.themeName, c.folder), c.installable)
            << c.themeName.toStdString() << " / " << c.folder.toStdString();
}

TEST(ThemePlaces, OnlyAFolderDirectlyInsideASkinBaseIsRemoved)
{
    const struct {
        const char* skin;
        bool removable;
    } cases[] = {
        {"/ezxlocal/download/appwrite/skins/OceanBlue", true},
        {"/mmc/mmca1/.system/skins/Autumn", true},
        {"/usr/data_resource/skin/Graphite", true},
        {"/mmc/mmca1/.system/skins/two words", true},
        {"", false},
        {"/", false},
        {"/ezxlocal/download/appwrite/skins", false},
        {"/ezxlocal/download/appwrite/skins/", false},
        {"/usr/data_resource/skin/.", false},
        {"/usr/data_resource/skin/..", false},
        {"/usr/data_resource/skin/../theme", false},
        {"/mmc/mmca1/.system/skins/a/b", false},
        {"/mmc/mmca1/.system/skins/a/", false},
        {"/mmc/mmca1/.system/skinsX/a", false},
        {"//ezxlocal/download/appwrite/skins/OceanBlue", false},
        {"/ezxlocal/download/mystuff", false},
        {"ezxlocal/download/appwrite/skins/OceanBlue", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ThemePlaces::isRemovableSkin(QString::fromLatin1(c.skin)), c.removable) << c.skin;
        // Where the firmware's area is read-only, only the installed places.
        const bool firmware = QString::fromLatin1(c.skin).startsWith("/usr/");
        EXPECT_EQ(ThemePlaces::isRemovableSkin(QString::fromLatin1(c.skin), false), c.removable && !firmware)
            << c.skin;
    }
}

TEST(ThemePlaces, OnlyADescriptorInsideADescriptorDirectoryIsRemoved)
{
    const struct {
        const char* path;
        bool removable;
    } cases[] = {
        {"/ezxlocal/download/appwrite/setuptheme/Ocean Blue.chm", true},
        {"/usr/data_resource/theme/Alkali.phm", true},
        {"/ezxlocal/download/appwrite/setuptheme/", false},
        {"/ezxlocal/download/appwrite/setuptheme/../am/UserRegistry", false},
        {"/usr/data_resource/theme/sub/x.phm", false},
        {"/usr/data_resource/themes/x.phm", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ThemePlaces::isRemovableDescriptor(QString::fromLatin1(c.path)), c.removable) << c.path;
        const bool firmware = QString::fromLatin1(c.path).startsWith("/usr/");
        EXPECT_EQ(ThemePlaces::isRemovableDescriptor(QString::fromLatin1(c.path), false), c.removable && !firmware)
            << c.path;
    }
}

} // namespace
