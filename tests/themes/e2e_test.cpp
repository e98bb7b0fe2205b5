// Themes end to end: the built program on the demo phone, answered by
// automation scripts. The demo phone holds the stock Alkali and Graphite, the
// theme in use (Ocean Blue), Autumn on the card, and the theme package
// Lagoon.mpkg.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include "demophone.h"
#include "qtprint.h"

namespace {

const QString lagoon = "/mmc/mmca1/mpkg/Lagoon.mpkg";
const QString setuptheme = "/ezxlocal/download/appwrite/setuptheme";

class Themes : public DemoPhone {
protected:
    // Every file of the phone's theme areas with its bytes.
    QMap<QString, QByteArray> themeFiles() const
    {
        QMap<QString, QByteArray> files;
        for (const char* dir : {"/usr/data_resource/skin", "/usr/data_resource/theme", "/ezxlocal/download/appwrite/skins",
                                "/ezxlocal/download/appwrite/setuptheme", "/mmc/mmca1/.system/skins"}) {
            QDirIterator it(hostPath(dir), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                files[path.mid(phone.size())] = read(path.mid(phone.size()));
            }
        }
        return files;
    }

    // The skin files of the Lagoon package, by file name.
    QMap<QString, QByteArray> lagoonSkin() const
    {
        QTemporaryDir dir;
        QProcess tar;
        tar.start("tar", {"-xzf", hostPath(lagoon), "-C", dir.path()});
        EXPECT_TRUE(tar.waitForFinished());
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(dir.filePath("Lagoon/skin")).entryList(QDir::Files)) {
            QFile f(dir.filePath("Lagoon/skin/" + name));
            if (f.open(QIODevice::ReadOnly))
                files[name] = f.readAll();
        }
        EXPECT_EQ(files.size(), 6);
        return files;
    }

    QStringList notices() const
    {
        QStringList texts;
        for (const QJsonObject& e : eventsOf("notice"))
            texts << e["text"].toString();
        return texts;
    }

    QList<QJsonArray> dumps() const
    {
        QList<QJsonArray> rows;
        for (const QJsonObject& e : eventsOf("dump"))
            rows << e["rows"].toArray();
        return rows;
    }
};

// Lagoon's descriptor with its skin folder there; vmPrefix goes before the
// VMAlert path.
QByteArray lagoonDescriptor(const QByteArray& skin, const QByteArray& vmPrefix)
{
    return "[THEME_CONFIG_TABLE]\nThemeName = Lagoon\nSkin = " + skin + "\nWallPaper = " + skin
           + "/wallpaper.png\nMsgAlert = " + skin + "/msg.png\nPowerOffScreen = " + skin
           + "/poweroff.png\nPowerOnScreen = " + skin + "/poweron.png\nScreenSaver = " + skin
           + "/saver.png\nVMAlert = " + vmPrefix + skin + "/vm.png\n\n"
           "[THEME_PROP_TABLE]\nCopyRight = Ivo Kral\nCreatedTime = \nThemeSize = \n\n";
}

QJsonArray rows(const QList<QStringList>& list)
{
    QJsonArray array;
    for (const QStringList& row : list)
        array.append(QJsonArray::fromStringList(row));
    return array;
}

TEST_F(Themes, TheTabListsTheDemoThemesAndRemovesOnlyWhatMayGo)
{
    auto before = themeFiles();
    const auto result = run({program}, {"tab 4", "dump", "menu 0", "current 2", "menu 0", "current 3", "menu 0",
                                        "current 1", "menu 0", "yes", "dump"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();

    const QJsonArray demo = rows({{"Alkali", "Factory theme"},
                                  {"Autumn", "No author information"},
                                  {"Graphite", "Factory theme"},
                                  {"Ocean Blue", "Marta Ferrer 2025"}});
    ASSERT_EQ(dumps().size(), 2);
    EXPECT_EQ(dumps()[0], demo);
    // Alkali by its name, Graphite by its place (the firmware's area).
    EXPECT_EQ(notices(), (QStringList{"The system theme cannot be removed.", "The system theme cannot be removed.",
                                      "This theme is in use and cannot be removed.", "Autumn has been removed."}));
    const auto questions = eventsOf("dialog", "ZMessageDlg");
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0]["text"].toString(), "Remove Autumn?");

    QJsonArray left = demo;
    left.removeAt(1);
    EXPECT_EQ(dumps()[1], left);
    for (const QString& gone : {setuptheme + "/Autumn.chm", QString("/mmc/mmca1/.system/skins/Autumn/wallpaper.png"),
                                QString("/mmc/mmca1/.system/skins/Autumn/saver.png")})
        EXPECT_EQ(before.remove(gone), 1) << gone.toStdString();
    EXPECT_EQ(themeFiles(), before);
    EXPECT_FALSE(QFile::exists(hostPath("/mmc/mmca1/.system/skins/Autumn")));
}

// Installing a package runs through the package installer, which hands a
// theme package over to the theme installers.
TEST_F(Themes, LagoonGoesToTheCardAndIsRemovedAgain)
{
    auto before = themeFiles();
    auto result = run({program, "x", lagoon}, {"check 1", "accept"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
    const auto place = eventsOf("dialog", "ZSingleSelectDlg");
    ASSERT_EQ(place.size(), 1);
    EXPECT_EQ(place[0]["text"].toString(), "Where to install theme Lagoon?");
    EXPECT_EQ(eventsOf("dialog", "ZMessageDlg").last()["text"].toString(), "Lagoon Theme installed.");

    const QString skin = "/mmc/mmca1/.system/skins/Lagoon";
    EXPECT_EQ(read(setuptheme + "/Lagoon.chm"), lagoonDescriptor(skin.toLatin1(), "/"));
    const auto skinFiles = lagoonSkin();
    for (auto it = skinFiles.begin(); it != skinFiles.end(); ++it)
        EXPECT_EQ(read(skin + "/" + it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(read("/themesetup.log"), "themesetup \n");
    EXPECT_FALSE(QFile::exists(hostPath("/mmc/mmca1/.system/tempmpkg")));
    EXPECT_FALSE(QFile::exists(hostPath(programDir + "tempdesktop")));

    // Listed with its author; removing it takes exactly what it added.
    result = run({program}, {"tab 4", "dump", "current 3", "menu 0", "yes", "dump"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    ASSERT_EQ(dumps().size(), 2);
    EXPECT_EQ(dumps()[0][3].toArray(), (QJsonArray{"Lagoon", "Ivo Kral"}));
    EXPECT_EQ(notices(), QStringList{"Lagoon has been removed."});
    EXPECT_EQ(dumps()[1].size(), 4);
    EXPECT_EQ(themeFiles(), before);
    EXPECT_FALSE(QFile::exists(hostPath(skin)));
}

TEST_F(Themes, LagoonOnABrenikPhoneGoesToTheFirmwareThemeArea)
{
    auto before = themeFiles();
    const auto result = run({program, "x", lagoon}, {"yes", "accept"}, {"--brenik"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    const auto messages = eventsOf("dialog", "ZMessageDlg");
    ASSERT_GE(messages.size(), 2);
    EXPECT_EQ(messages[messages.size() - 2]["text"].toString(), "Install theme Lagoon?");
    EXPECT_EQ(messages.last()["text"].toString(), "Theme installed.");

    EXPECT_EQ(read("/usr/data_resource/theme/Lagoon.phm"), lagoonDescriptor("/usr/data_resource/skin/Lagoon", ""));
    const auto skinFiles = lagoonSkin();
    for (auto it = skinFiles.begin(); it != skinFiles.end(); ++it) {
        EXPECT_EQ(read("/usr/data_resource/skin/Lagoon/" + it.key()), it.value()) << it.key().toStdString();
        before["/usr/data_resource/skin/Lagoon/" + it.key()] = it.value();
    }
    before["/usr/data_resource/theme/Lagoon.phm"] = read("/usr/data_resource/theme/Lagoon.phm");
    // Nothing else of the theme areas changed; the phone-memory and card
    // areas got nothing.
    EXPECT_EQ(themeFiles(), before);
    EXPECT_EQ(read("/themesetup.log"), "themesetup \n");
}

} // namespace
