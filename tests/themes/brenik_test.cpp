// Themes on the Brenik firmware, whose theme area accepts new files: a theme
// is installed there after a yes/no question, and firmware themes can be
// removed. Runs in a phone sandbox started with --brenik.

#include <gtest/gtest.h>

#include <QApplication>

#include <ZListBox.h>
#include <ZListBoxItem.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "qtprint.h"
#include "themephone.h"
#include "vardel.h"

using namespace ThemePhone;

namespace {

const QString skins = "/usr/data_resource/skin";
const QString themes = "/usr/data_resource/theme";
const QString workDir = "/mmc/mmca1/.system/tempmpkg";

QByteArray deepSea(const QString& folder)
{
    return desktopEntry({{"ThemeName", "Deep Sea"},
                         {"Folder", folder},
                         {"Author", "Ana $HOME"},
                         {"VMAlert", "vm.png"},
                         {"CallAlertLine1", "ring one.mp3"}});
}

const QMap<QString, QByteArray> deepSeaSkin{{"vm.png", "voice mail"}, {"ring one.mp3", "ring"}};

struct Stat {
    uint user = 0;
    uint group = 0;
    uint mode = 0;
    bool operator==(const Stat&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Stat& s)
{
    return os << s.user << ":" << s.group << " " << std::oct << s.mode << std::dec;
}

Stat statOf(const QString& phonePath)
{
    struct stat info {};
    if (::lstat(hostPath(phonePath).toLatin1().constData(), &info) != 0)
        return {};
    return {info.st_uid, info.st_gid, uint(info.st_mode & 07777)};
}

class Brenik : public ThemeTest {};

TEST_F(Brenik, InstallsIntoTheFirmwareThemeArea)
{
    write(themes + "/Alkali.phm", "[THEME_CONFIG_TABLE]\nThemeName = Alkali\n");
    ::chmod(hostPath(themes + "/Alkali.phm").toLatin1().constData(), 0644);
    // The descriptor is named after Folder, blanks and all.
    unpack(deepSea("Deep Sea"), deepSeaSkin);
    auto w = window();
    answers({"yes", "accept"});
    w->InstalarSkinBrenik("/mmc/mmca1/Deep.mpkg", "Deep Sea");

    EXPECT_EQ(dialogTexts(), (QStringList{"Install theme Deep Sea?", "Theme installed."}));
    ASSERT_EQ(events("wait").size(), 1);
    EXPECT_EQ(events("wait")[0]["text"].toString(), "Installing theme...\nPlease wait");

    const QString skinDir = skins + "/Deep Sea";
    EXPECT_EQ(tree(skinDir), (QMap<QString, QByteArray>{{"/vm.png", "voice mail"}, {"/ring one.mp3", "ring"}}));
    const QString descriptor = themes + "/Deep Sea.phm";
    EXPECT_EQ(read(descriptor), "[THEME_CONFIG_TABLE]\n"
                                "ThemeName = Deep Sea\n"
                                "Skin = /usr/data_resource/skin/Deep Sea\n"
                                "CallAlertLine1 = /usr/data_resource/skin/Deep Sea/ring one.mp3\n"
                                "VMAlert = /usr/data_resource/skin/Deep Sea/vm.png\n"
                                "\n"
                                "[THEME_PROP_TABLE]\n"
                                "CopyRight = Ana $HOME\n"
                                "CreatedTime = \n"
                                "ThemeSize = \n"
                                "\n");
    EXPECT_FALSE(exists("/ezxlocal/download/appwrite/setuptheme/Deep Sea.chm"));

    // Root in the sandbox can give files to 1000; without root only the
    // modes can be checked.
    const passwd* ezx = ::getpwnam("ezx");
    const bool realOwners = ezx && ezx->pw_uid == 500;
    // The stock theme's descriptor keeps its mode and owner.
    EXPECT_EQ(statOf(themes + "/Alkali.phm"), (Stat{::getuid(), ::getgid(), 0644}));
    for (const QString& path : {skinDir + "/vm.png", skinDir + "/ring one.mp3", descriptor}) {
        const Stat s = statOf(path);
        EXPECT_EQ(s.mode, 0777u) << path.toStdString();
        if (realOwners) {
            EXPECT_EQ(s, (Stat{1000, 513, 0777})) << path.toStdString();
        }
    }
    if (realOwners) {
        EXPECT_EQ(statOf(skinDir).user, 1000u);
    }

    EXPECT_FALSE(exists(workDir));
    EXPECT_FALSE(exists(programDir() + "tempdesktop"));
    EXPECT_EQ(themesetupRuns(), QStringList{"themesetup "});
}

TEST_F(Brenik, AnsweringNoOrARefusedPackageChangesNothing)
{
    const struct {
        const char* label;
        QByteArray desktop;
        QStringList dialogs;
        bool unpackedStays;
    } cases[] = {
        {"answered no", deepSea("DeepSea"), {"Install theme Deep Sea?"}, true},
        {"Folder ..", deepSea(".."), {"This package cannot be installed. Nothing was changed."}, false},
        {"no Folder", desktopEntry({{"ThemeName", "Deep Sea"}}), {"This package cannot be installed. Nothing was changed."}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SetUp();
        write(skins + "/Alkali/wall.png", "stock");
        write(themes + "/Alkali.phm", "[THEME_CONFIG_TABLE]\nThemeName = Alkali\n");
        auto w = window();
        const auto area = tree("/usr/data_resource");
        unpack(c.desktop, deepSeaSkin);
        clearTranscript();
        answers({"no", "accept"});
        w->InstalarSkinBrenik("/mmc/mmca1/Deep.mpkg", "Deep Sea");

        EXPECT_EQ(dialogTexts(), c.dialogs);
        EXPECT_EQ(tree("/usr/data_resource"), area);
        EXPECT_EQ(exists(workDir), c.unpackedStays);
        EXPECT_EQ(exists(programDir() + "tempdesktop"), c.unpackedStays);
        EXPECT_TRUE(themesetupRuns().isEmpty());
    }
}

TEST_F(Brenik, AFirmwareThemeCanBeRemoved)
{
    write(skins + "/Graphite/wall.png", "graphite");
    write(themes + "/Graphite.phm", "[THEME_CONFIG_TABLE]\nThemeName = Graphite\nSkin = /usr/data_resource/skin/Graphite\n");
    write(skins + "/Alkali/wall.png", "stock");
    write(themes + "/Alkali.phm", "[THEME_CONFIG_TABLE]\nThemeName = Alkali\nSkin = /usr/data_resource/skin/Alkali\n");
    auto w = window();
    ASSERT_EQ(w->listaSkins->count(), 2);
    w->listaSkins->setCurrentItem(1);
    clearTranscript();
    answers({"yes"});
    w->BorrarTema();
    QApplication::processEvents();

    ASSERT_EQ(events("notice").size(), 1);
    EXPECT_EQ(events("notice")[0]["text"].toString(), "Graphite has been removed.");
    EXPECT_EQ(tree(skins).keys(), QStringList{"/Alkali/wall.png"});
    EXPECT_EQ(tree(themes).keys(), QStringList{"/Alkali.phm"});
    ASSERT_EQ(w->listaSkins->count(), 1);
    EXPECT_EQ(w->listaSkins->item(0)->getSubItemText(1, 0), "Alkali");
}

} // namespace

int main(int argc, char** argv)
{
    return ThemePhone::main(argc, argv, {"--brenik"});
}
