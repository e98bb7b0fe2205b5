// Themes on the ordinary firmware, in the phone sandbox: installation to
// phone memory and to the card, refused packages, the themes list and the
// removal of a theme.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hostile.h"
#include "packages/desktopcheck.h"
#include "qtprint.h"
#include "themephone.h"
#include "vardel.h"

using namespace ThemePhone;

namespace {

const QString phoneSkins = "/ezxlocal/download/appwrite/skins";
const QString cardSkins = "/mmc/mmca1/.system/skins";
const QString setuptheme = "/ezxlocal/download/appwrite/setuptheme";
const QString workDir = "/mmc/mmca1/.system/tempmpkg";
const QString installError = "This package cannot be installed. Nothing was changed.";

struct Owner {
    uint user = 0;
    uint group = 0;
    uint mode = 0;
    bool operator==(const Owner&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Owner& o)
{
    return os << o.user << ":" << o.group << " " << std::oct << o.mode << std::dec;
}

Owner ownerOf(const QString& phonePath)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(hostPath(phonePath)).constData(), &info) != 0)
        return {};
    return {info.st_uid, info.st_gid, uint(info.st_mode & 07777)};
}

// Only a sandbox started by root can give files to other users; without
// root "ezx" is another name for the one mapped user.
bool realOwners()
{
    const passwd* ezx = ::getpwnam("ezx");
    return ezx && ezx->pw_uid == 500;
}

// The theme package the installation tests use: a name with a blank, an
// author a shell would expand, and pictures for some of the events.
QByteArray deepSea(const QString& folder = "DeepSea")
{
    return desktopEntry({{"ThemeName", "Deep Sea"},
                         {"Folder", folder},
                         {"Author", "Ana \"A\" $HOME `date` \\n 100%"},
                         {"VMAlert", "vm.png"},
                         {"WallPaper", "wall.png"},
                         {"ScreenSaver", "saver.png"}});
}

const QMap<QString, QByteArray> deepSeaSkin{
    {"wall.png", "wallpaper bytes"}, {"saver.png", QByteArray("saver\0bytes", 11)}, {"vm.png", "voice mail"}};

QByteArray deepSeaDescriptor(const QString& base)
{
    const QByteArray skin = base.toLatin1() + "/DeepSea";
    return "[THEME_CONFIG_TABLE]\n"
           "ThemeName = Deep Sea\n"
           "Skin = " + skin + "\n"
           "WallPaper = " + skin + "/wall.png\n"
           "ScreenSaver = " + skin + "/saver.png\n"
           "VMAlert = /" + skin + "/vm.png\n"
           "\n"
           "[THEME_PROP_TABLE]\n"
           "CopyRight = Ana \"A\" $HOME `date` \\n 100%\n"
           "CreatedTime = \n"
           "ThemeSize = \n"
           "\n";
}

class Install : public ThemeTest {};

TEST_F(Install, ToPhoneMemoryAndToTheCard)
{
    const struct {
        const char* answer;
        QString base;
        bool baseExists; // a new card has no skin base yet
    } places[] = {
        {"check 0", phoneSkins, true},
        {"check 1", cardSkins, false},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.base.toStdString());
        SetUp();
        if (!place.baseExists)
            remove(place.base);
        else
            write(place.base + "/Other/o.png", "another theme's picture");
        write(setuptheme + "/Old.chm", "[THEME_CONFIG_TABLE]\nThemeName = Old\n");
        ::chmod(QFile::encodeName(hostPath(setuptheme + "/Old.chm")).constData(), 0600);
        unpack(deepSea(), deepSeaSkin);
        auto w = window();

        answers({place.answer, "accept"});
        w->InstalarSkin("/mmc/mmca1/Deep.mpkg", "Deep Sea");

        const auto placeDialogs = events("dialog", "ZSingleSelectDlg");
        ASSERT_EQ(placeDialogs.size(), 1);
        EXPECT_EQ(placeDialogs[0]["title"].toString(), "Vardel");
        EXPECT_EQ(placeDialogs[0]["text"].toString(), "Where to install theme Deep Sea?");
        EXPECT_EQ(placeDialogs[0]["entries"].toArray(), (QJsonArray{"Phone memory", "Memory card"}));
        ASSERT_EQ(events("wait").size(), 1);
        EXPECT_EQ(events("wait")[0]["text"].toString(), "Installing theme...\nPlease wait");
        EXPECT_EQ(events("wait")[0]["time"].toInt(), 200);
        const auto messages = events("dialog", "ZMessageDlg");
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0]["text"].toString(), "Deep Sea Theme installed.");
        EXPECT_EQ(messages[0]["type"].toInt(), 2);

        const QString skinDir = place.base + "/DeepSea";
        QMap<QString, QByteArray> expected;
        for (auto it = deepSeaSkin.begin(); it != deepSeaSkin.end(); ++it)
            expected["/" + it.key()] = it.value();
        EXPECT_EQ(tree(skinDir), expected);
        const QString descriptor = setuptheme + "/Deep Sea.chm";
        EXPECT_EQ(read(descriptor), deepSeaDescriptor(place.base));

        // Modes and owners: the theme's files and descriptor; another
        // theme's skin folder and descriptor keep theirs.
        const uint ezx = realOwners() ? 500 : ::getpwnam("ezx")->pw_uid;
        const uint ezxGroup = realOwners() ? 513 : ::getgrnam("ezx")->gr_gid;
        for (const QString& file : deepSeaSkin.keys())
            EXPECT_EQ(ownerOf(skinDir + "/" + file), (Owner{ezx, ezxGroup, 0755})) << file.toStdString();
        EXPECT_EQ(ownerOf(skinDir).user, ezx);
        if (place.baseExists) {
            EXPECT_EQ(ownerOf(place.base + "/Other").user, ::getuid());
        }
        EXPECT_EQ(ownerOf(descriptor), (Owner{ezx, ezxGroup, 0755}));
        EXPECT_EQ(ownerOf(setuptheme + "/Old.chm"), (Owner{::getuid(), ::getgid(), 0600}));

        EXPECT_FALSE(exists(workDir));
        EXPECT_FALSE(exists(programDir() + "tempdesktop"));
        EXPECT_EQ(themesetupRuns(), QStringList{"themesetup "});
        // The theme settings start last, once the message is closed.
        EXPECT_EQ(commands().last(), "/usr/SYSqtapp/systemsetup/themesetup");
    }
}

TEST_F(Install, CancellingTheChoiceLeavesThePackageUnpacked)
{
    for (const QStringList& script : {QStringList{"reject"}, QStringList{"check"}}) {
        SCOPED_TRACE(script.join(",").toStdString());
        SetUp();
        unpack(deepSea(), deepSeaSkin);
        const auto work = tree(workDir);
        auto w = window();
        clearTranscript();
        answers(script);
        w->InstalarSkin("/mmc/mmca1/Deep.mpkg", "Deep Sea");

        EXPECT_EQ(events("dialog", "ZSingleSelectDlg").size(), 1);
        EXPECT_TRUE(events("wait").isEmpty());
        EXPECT_TRUE(commands().isEmpty());
        EXPECT_EQ(tree(workDir), work);
        EXPECT_EQ(read(programDir() + "tempdesktop"), deepSea());
        EXPECT_TRUE(tree(phoneSkins).isEmpty());
        EXPECT_TRUE(tree(setuptheme).isEmpty());
        EXPECT_TRUE(themesetupRuns().isEmpty());
    }
}

TEST_F(Install, PackagesThatWouldReachOutsideTheirPlaceAreRefused)
{
    const struct {
        const char* label;
        QByteArray desktop;
    } packages[] = {
        {"no Folder", desktopEntry({{"ThemeName", "Sand"}, {"WallPaper", "w.png"}})},
        {"Folder .", desktopEntry({{"ThemeName", "Sand"}, {"Folder", "."}})},
        {"Folder ..", desktopEntry({{"ThemeName", "Sand"}, {"Folder", ".."}})},
        {"Folder with /", desktopEntry({{"ThemeName", "Sand"}, {"Folder", "a/b"}})},
        {"Folder climbing", desktopEntry({{"ThemeName", "Sand"}, {"Folder", "../../mystuff"}})},
        {"ThemeName with /", desktopEntry({{"ThemeName", "../am/UserRegistry"}, {"Folder", "Sand"}})},
        {"name too long", desktopEntry({{"ThemeName", QString(300, u'x')}, {"Folder", "Sand"}})},
    };
    for (const auto& p : packages) {
        SCOPED_TRACE(p.label);
        SetUp();
        installed(setuptheme + "/Old.chm", "[THEME_CONFIG_TABLE]\nThemeName = Old\n", phoneSkins + "/Old");
        write(cardSkins + "/Keep/k.png", "card theme");
        auto w = window();
        const auto phoneBefore = tree("/ezxlocal");
        const auto cardSkinsBefore = tree(cardSkins);
        unpack(p.desktop, {{"w.png", "wallpaper"}});
        clearTranscript();
        answers({"accept", "check 0", "accept"});
        w->InstalarSkin("/mmc/mmca1/Sand.mpkg", "Sand");

        EXPECT_EQ(dialogTexts(), QStringList{installError});
        EXPECT_EQ(tree("/ezxlocal"), phoneBefore);
        EXPECT_EQ(tree(cardSkins), cardSkinsBefore);
        EXPECT_FALSE(exists(workDir));
        EXPECT_FALSE(exists(programDir() + "tempdesktop"));
        EXPECT_TRUE(themesetupRuns().isEmpty());
    }
}

TEST_F(Install, ADescriptorThatCannotBeWrittenTakesTheSkinBack)
{
    // Something that is not a directory where the descriptors go.
    remove(setuptheme);
    write(setuptheme, "not a directory");
    write(phoneSkins + "/Other/o.png", "another theme");
    unpack(deepSea(), deepSeaSkin);
    auto w = window();
    answers({"check 0", "accept"});
    w->InstalarSkin("/mmc/mmca1/Deep.mpkg", "Deep Sea");

    EXPECT_EQ(dialogTexts().last(), installError);
    EXPECT_FALSE(exists(phoneSkins + "/DeepSea"));
    EXPECT_EQ(read(phoneSkins + "/Other/o.png"), "another theme");
    EXPECT_EQ(read(setuptheme), "not a directory");
    EXPECT_FALSE(exists(workDir));
    EXPECT_TRUE(themesetupRuns().isEmpty());
}

TEST_F(Install, HostileNamesAndAuthorsReachTheDescriptorByteForByte)
{
    Hostile::Canary canary;
    auto w = window();
    // Each value as ThemeName, Author and (where it can name a folder)
    // Folder; a value refused as a name comes again as the Author alone.
    struct Package {
        QString name, folder, author;
    };
    QList<QPair<const char*, Package>> packages;
    for (const Hostile::Value& v : Hostile::values(canary)) {
        packages.append({v.label, {v.text, v.fileName ? v.text : QString("Hostile"), v.text}});
        if (!v.fileName)
            packages.append({v.label, {"Author only", "Author", v.text}});
    }
    for (const auto& [label, p] : packages) {
        SCOPED_TRACE(label);
        SetUp();
        const QByteArray desktop = desktopEntry({{"ThemeName", p.name}, {"Folder", p.folder}, {"Author", p.author}});
        unpack(desktop, {{"w.png", "wallpaper"}});
        // The values as the desktop entry gives them (one line, no blanks
        // at the ends).
        const ZConfig entry(hostPath(workDir + "/Package/Package.desktop"), false);
        const QString name = entry.readEntry("Desktop Entry", "ThemeName", "");
        const QString folder = entry.readEntry("Desktop Entry", "Folder", "");
        const QString author = entry.readEntry("Desktop Entry", "Author", "");

        clearTranscript();
        answers({"check 0", "accept"});
        w->InstalarSkin("/mmc/mmca1/Hostile.mpkg", name);

        const QByteArray fileName = name.toLatin1() + ".chm";
        const bool nameFits = !name.isEmpty() && !name.contains(u'/') && fileName.size() <= 255
                              && !DesktopCheck::hasControlCharacter(name + folder + author);
        const auto descriptors = tree(setuptheme);
        if (nameFits) {
            const QByteArray skin = phoneSkins.toLatin1() + "/" + folder.toLatin1();
            ASSERT_EQ(descriptors.keys(), QStringList{"/" + QString::fromLatin1(fileName)});
            EXPECT_EQ(descriptors.first(), "[THEME_CONFIG_TABLE]\nThemeName = " + name.toLatin1() + "\nSkin = "
                                               + skin + "\n\n[THEME_PROP_TABLE]\nCopyRight = " + author.toLatin1()
                                               + "\nCreatedTime = \nThemeSize = \n\n");
            EXPECT_EQ(tree(phoneSkins).keys(), QStringList{"/" + folder + "/w.png"});
        } else {
            EXPECT_TRUE(descriptors.isEmpty());
            EXPECT_EQ(dialogTexts(), QStringList{installError});
            EXPECT_TRUE(tree(phoneSkins).isEmpty());
        }
        EXPECT_FALSE(exists(workDir));
        EXPECT_FALSE(canary.fired());
    }
}

// Descriptor text with the keys the list and removal read.
QByteArray descriptorText(const QString& name, const QString& skin, const char* copyRight = nullptr)
{
    QByteArray text = "[THEME_CONFIG_TABLE]\nThemeName = " + name.toLatin1() + "\nSkin = " + skin.toLatin1()
                      + "\n\n[THEME_PROP_TABLE]\n";
    if (copyRight)
        text += QByteArray("CopyRight = ") + copyRight + "\n";
    return text + "CreatedTime = \nThemeSize = \n";
}

struct Row {
    QString name;
    QString second;
    QString linePicture; // images/... beside the second line
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& r, std::ostream* os)
{
    *os << r.name.toStdString() << " / " << r.second.toStdString() << " / " << r.linePicture.toStdString();
}

// Pictures compared by their pixels, whatever form they are kept in.
QImage pixels(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage picture(const char* file)
{
    return pixels(QImage(programDir() + "images/" + file));
}

QList<Row> rowsOf(ZListBox* list)
{
    QList<Row> rows;
    for (int i = 0; i < list->count(); ++i) {
        ZListBoxItem* item = list->item(i);
        const QImage line = pixels(item->subItemPixmap(1, 1).toImage());
        EXPECT_EQ(pixels(item->pixmap(0).toImage()), picture("skin.png")) << i;
        EXPECT_TRUE(item->subItemPixmap(1, 0).isNull()) << i;
        const QString linePicture = line == picture("locked.png") ? "locked.png"
                                    : line == picture("null.png") ? "null.png"
                                                                  : "?";
        rows << Row{item->getSubItemText(1, 0), item->getSubItemText(1, 1), linePicture};
    }
    return rows;
}

class List : public ThemeTest {};

TEST_F(List, RowsFromBothPlacesSortedWithOnlyAlkaliLocked)
{
    // File names do not matter, only ThemeName.
    installed("/usr/data_resource/theme/Alkali.phm", descriptorText("alkali", "/usr/data_resource/skin/a", "Factory"));
    installed("/usr/data_resource/theme/Zeta.phm", descriptorText("Zeta", "/usr/data_resource/skin/Zeta", "Z corp"));
    installed(setuptheme + "/Mine.chm", descriptorText("Alkali", phoneSkins + "/Mine", "Me"));
    installed(setuptheme + "/Beta Two.chm", descriptorText("Beta Two", cardSkins + "/Beta", ""));
    installed(setuptheme + "/Gamma.chm", descriptorText("Gamma", cardSkins + "/Gamma"));
    installed(setuptheme + "/Gamma.chm.txt", descriptorText("Not listed", cardSkins + "/X"));
    // Names are decoded as the language's texts are (English: UTF-8).
    installed(setuptheme + "/Oceano.chm", descriptorText(QString::fromLatin1("Oc\xc3\xa9" "ano"), phoneSkins + "/O", "\xc3\x91"));

    auto w = window();
    EXPECT_EQ(rowsOf(w->listaSkins), (QList<Row>{
                                         {"Alkali", "Me", "locked.png"},
                                         {"Beta Two", "No author information", "null.png"},
                                         {"Gamma", "No author information", "null.png"},
                                         {QString::fromUtf8("Océano"), QString::fromUtf8("Ñ"), "null.png"},
                                         {"Zeta", "Z corp", "null.png"},
                                         {"alkali", "Factory", "null.png"},
                                     }));
    EXPECT_EQ(w->listaSkins->currentItem(), 0);
    EXPECT_FALSE(QFileInfo::exists(programDir() + "skintemp"));
}

// A phone with five themes: the stock Alkali, a firmware theme in the
// read-only theme area, the theme in use, and two removable ones.
class Removal : public ThemeTest {
protected:
    void SetUp() override
    {
        ThemeTest::SetUp();
        installed("/usr/data_resource/theme/Alkali.phm", descriptorText("Alkali", "/usr/data_resource/skin/Alkali", "F"),
                  "/usr/data_resource/skin/Alkali");
        installed("/usr/data_resource/theme/Graphite.phm",
                  descriptorText("Graphite", "/usr/data_resource/skin/Graphite", "F"), "/usr/data_resource/skin/Graphite");
        installed(setuptheme + "/In Use.chm", descriptorText("In Use", phoneSkins + "/InUse", "U"), phoneSkins + "/InUse");
        installed(setuptheme + "/Beta.chm", descriptorText("Beta", cardSkins + "/Beta", "B"), cardSkins + "/Beta");
        installed(setuptheme + "/Delta.chm", descriptorText("Delta", phoneSkins + "/Delta", "D"), phoneSkins + "/Delta");
        write("/ezxlocal/download/appwrite/setup/ezx_theme.cfg",
              "[THEME_GROUP_LOG]\nCurrentSkin = " + phoneSkins.toLatin1() + "/InUse\n");
    }

    // Everything the themes consist of.
    QMap<QString, QByteArray> themeFiles() const
    {
        QMap<QString, QByteArray> all;
        for (const QString& dir : {QString("/usr/data_resource"), QString("/ezxlocal"), cardSkins})
            for (auto [path, bytes] : tree(dir).asKeyValueRange())
                all[dir + path] = bytes;
        return all;
    }

    // Removes the theme shown at that name with these answers.
    void removeTheme(Vardel* w, const QString& name, const QStringList& script)
    {
        int row = -1;
        for (int i = 0; i < w->listaSkins->count(); ++i) {
            if (w->listaSkins->item(i)->getSubItemText(1, 0) == name)
                row = i;
        }
        ASSERT_GE(row, 0) << name.toStdString();
        w->listaSkins->setCurrentItem(row);
        clearTranscript();
        answers(script);
        w->BorrarTema();
        QApplication::processEvents();
    }

    QStringList names(Vardel* w) const
    {
        QStringList list;
        for (int i = 0; i < w->listaSkins->count(); ++i)
            list << w->listaSkins->item(i)->getSubItemText(1, 0);
        return list;
    }
};

TEST_F(Removal, RefusedOrDeclinedRemovesNothing)
{
    const struct {
        const char* theme;
        const char* answer;
        QStringList dialogs;
        QStringList notices;
    } cases[] = {
        {"Alkali", "yes", {}, {"The system theme cannot be removed."}},
        {"In Use", "yes", {}, {"This theme is in use and cannot be removed."}},
        {"Beta", "no", {"Remove Beta?"}, {}},
        // The firmware's own area is read-only here: asked, tried, not claimed.
        {"Graphite", "yes", {"Remove Graphite?"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.theme);
        SetUp();
        auto w = window();
        const auto before = themeFiles();
        const QStringList shown = names(w.get());
        removeTheme(w.get(), c.theme, {c.answer});
        EXPECT_EQ(dialogTexts(), c.dialogs);
        EXPECT_EQ(noticeTexts(), c.notices);
        EXPECT_EQ(themeFiles(), before);
        EXPECT_EQ(names(w.get()), shown);
    }
}

TEST_F(Removal, AnsweredYesDeletesExactlyTheSkinFolderAndDescriptor)
{
    auto w = window();
    auto before = themeFiles();
    removeTheme(w.get(), "Beta", {"yes"});

    EXPECT_EQ(dialogTexts(), QStringList{"Remove Beta?"});
    ASSERT_EQ(events("notice").size(), 1);
    EXPECT_EQ(events("notice")[0]["text"].toString(), "Beta has been removed.");
    EXPECT_EQ(events("notice")[0]["time"].toInt(), 8000);
    before.remove(setuptheme + "/Beta.chm");
    before.remove(cardSkins + "/Beta/wallpaper.png");
    EXPECT_EQ(themeFiles(), before);
    EXPECT_FALSE(exists(cardSkins + "/Beta"));
    EXPECT_TRUE(exists(cardSkins));
    EXPECT_EQ(names(w.get()), (QStringList{"Alkali", "Delta", "Graphite", "In Use"}));
    EXPECT_EQ(w->listaSkins->currentItem(), 0);

    // A name that is not plain ASCII is found again as the list shows it.
    installed(setuptheme + "/Oceano.chm", descriptorText(QString::fromLatin1("Oc\xc3\xa9" "ano"), phoneSkins + "/Oceano"),
              phoneSkins + "/Oceano");
    w = window();
    removeTheme(w.get(), QString::fromUtf8("Océano"), {"yes"});
    EXPECT_EQ(dialogTexts(), QStringList{QString::fromUtf8("Remove Océano?")});
    EXPECT_FALSE(exists(phoneSkins + "/Oceano"));
    EXPECT_FALSE(exists(setuptheme + "/Oceano.chm"));
}

TEST_F(Removal, AVanishedDescriptorOrAForeignSkinDeletesNothing)
{
    const struct {
        const char* label;
        bool vanishes; // Delta's descriptor goes away after the list is made
        QString skin;  // else Delta's Skin is changed to this
    } cases[] = {
        {"vanished", true, ""},
        {"outside the bases", false, "/ezxlocal/download/mystuff"},
        {"a base itself", false, phoneSkins},
        {"climbing out", false, phoneSkins + "/../../am"},
        {"two levels down", false, phoneSkins + "/Delta/sub"},
        {"no Skin", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SetUp();
        write("/ezxlocal/download/mystuff/keep.txt", "user file");
        write(phoneSkins + "/Delta/sub/s.png", "sub");
        auto w = window();
        if (c.vanishes)
            remove(setuptheme + "/Delta.chm");
        else
            write(setuptheme + "/Delta.chm", descriptorText("Delta", c.skin, "D"));
        const auto before = themeFiles();
        removeTheme(w.get(), "Delta", {"yes"});

        EXPECT_TRUE(dialogTexts().isEmpty());
        EXPECT_TRUE(noticeTexts().isEmpty());
        EXPECT_EQ(themeFiles(), before);
        // The list shows what is there now.
        EXPECT_EQ(names(w.get()).contains("Delta"), !c.vanishes);
        EXPECT_EQ(w->listaSkins->currentItem(), 0);
    }
}

TEST_F(Removal, WithoutThemesTheEntryDoesNothing)
{
    for (const QString& dir : {QString("/usr/data_resource/theme"), setuptheme}) {
        remove(dir);
        write(dir + "/readme", "no themes");
    }
    auto w = window();
    ASSERT_EQ(w->listaSkins->count(), 0);
    clearTranscript();
    answers({"yes"});
    w->BorrarTema();
    EXPECT_TRUE(events("dialog").isEmpty());
    EXPECT_TRUE(commands().isEmpty());
}

} // namespace

int main(int argc, char** argv)
{
    return ThemePhone::main(argc, argv, {});
}
