// Theme installation. The package arrives unpacked in the work directory on
// the card, its desktop entries in the scratch file "tempdesktop". On
// ordinary firmware the theme goes to phone memory or to the card, its
// descriptor to setuptheme; on the Brenik firmware it goes into the phone's
// own theme area. Either way the phone's theme settings open at the end.

#include "vardel.h"

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZMessageDlg.h>
#include <ZSingleSelectDlg.h>

#include "shell/paths.h"
#include "shell/shellrun.h"
#include "themes/descriptor.h"
#include "themes/themeplaces.h"

enum class Vardel::SkinPlace : int { Phone, Card, Firmware };

namespace {

ThemeDescriptor::Theme readTheme(const QString& progDir)
{
    const ZConfig desktop(progDir + "/tempdesktop", false);
    const QString group = QStringLiteral("Desktop Entry");
    ThemeDescriptor::Theme theme;
    theme.name = desktop.readEntry(group, "ThemeName", "");
    theme.folder = desktop.readEntry(group, "Folder", "");
    theme.author = desktop.readEntry(group, "Author", "");
    for (const char* key : ThemeDescriptor::eventKeys)
        theme.events << desktop.readEntry(group, QLatin1String(key), "");
    return theme;
}

} // namespace

void Vardel::InstalarSkin(const QString& /*package*/, const QString& themeName)
{
    if (!themePackageAccepted())
        return;

    QString prompt;
    QStringList places;
    {
        const ZConfig lang(langFile, false);
        prompt = QStringLiteral("%1 %2?").arg(text(lang, "INSTALL_PLACE_SKIN"), themeName);
        places << text(lang, "INSTALL_PHONE") << text(lang, "INSTALL_SD");
    }
    auto* dialog = new ZSingleSelectDlg(QStringLiteral("Vardel"), prompt, nullptr, "ZSingleSelectDlg", true);
    dialog->addItemsList(places);
    QString choice = QStringLiteral("Nada");
    if (dialog->exec() == 1) {
        if (dialog->getListBox()->itemChecked(0))
            choice = QStringLiteral("Telefono");
        if (dialog->getListBox()->itemChecked(1))
            choice = QStringLiteral("SD");
    }
    delete dialog;

    // Nothing chosen: the unpacked package stays for the next unpack to clear.
    if (choice == QLatin1String("Nada"))
        return;
    installTheme(choice == QLatin1String("Telefono") ? SkinPlace::Phone : SkinPlace::Card);
}

void Vardel::InstalarSkinBrenik(const QString& /*package*/, const QString& themeName)
{
    if (!themePackageAccepted())
        return;

    QString question;
    {
        const ZConfig lang(langFile, false);
        question = QStringLiteral("%1 %2?").arg(text(lang, "INSTALL_SKIN_ASK"), themeName);
    }
    auto* dialog = new ZMessageDlg(QStringLiteral("Vardel"), question, ZMessageDlg::TypeChoose, 0,
                                   nullptr, "ZMessageDlg", true);
    const int answer = dialog->exec();
    delete dialog;
    if (answer == 0)
        return;
    installTheme(SkinPlace::Firmware);
}

void Vardel::installTheme(SkinPlace place)
{
    const bool firmware = place == SkinPlace::Firmware;
    const QString base = QLatin1String(place == SkinPlace::Phone  ? ThemePlaces::phoneSkins
                                       : place == SkinPlace::Card ? ThemePlaces::cardSkins
                                                                  : ThemePlaces::firmwareSkins);

    QString waitText;
    {
        const ZConfig lang(langFile, false);
        waitText = QStringLiteral("%1\n%2").arg(text(lang, "INSTALL_INSTALLING_SKIN"),
                                                text(lang, "INSTALL_WAIT"));
    }
    auto* wait = new ZMessageDlg(QStringLiteral("Vardel"), waitText, ZMessageDlg::TypeWait, 200,
                                 nullptr, "ZMessageDlg", true);
    wait->exec();

    const ThemeDescriptor::Theme theme = readTheme(progDir);
    const QString& folder = theme.folder;
    const QString skinDir = base + u'/' + folder;

    // A new card (or phone) has no skin base yet; without it the skin
    // directory cannot be made and the theme's files would be lost.
    if (!Paths::isDirectory(base))
        Shell::run(QStringLiteral("mkdir ") + base);
    const bool newSkinDir = !Paths::exists(skinDir);
    Shell::run(QStringLiteral("mkdir ") + base + QStringLiteral("/%1"), folder);
    if (!Paths::isDirectory(skinDir)) {
        delete wait;
        refuseThemePackage();
        return;
    }
    Shell::run(QStringLiteral("mv /mmc/mmca1/.system/tempmpkg/*/skin/* ") + base + QStringLiteral("/%1/"),
               folder);

    const QString descriptorText = ThemeDescriptor::text(theme, base, !firmware);
    QString descriptor;
    if (firmware) {
        descriptor = QLatin1String(ThemePlaces::firmwareDescriptors) + u'/' + folder + QStringLiteral(".phm");
    } else {
        Shell::run(QStringLiteral("mkdir /ezxlocal/download/appwrite/setuptheme"));
        descriptor = QLatin1String(ThemePlaces::installedDescriptors) + u'/' + theme.name + QStringLiteral(".chm");
    }
    const bool hadDescriptor = Paths::exists(descriptor);
    if (!Shell::writeFile(descriptor, descriptorText)) {
        // Without its descriptor the phone cannot see the theme: take back
        // what this installation made, and say it failed.
        if (newSkinDir)
            Shell::run(QStringLiteral("rm -r %1"), skinDir);
        if (!hadDescriptor)
            Shell::run(QStringLiteral("rm %1"), descriptor);
        delete wait;
        refuseThemePackage();
        return;
    }

    if (firmware) {
        Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
        Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
        Shell::run(QStringLiteral("chmod 777 /usr/data_resource/skin/%1/*"), folder);
        Shell::run(QStringLiteral("chmod 777 /usr/data_resource/theme/*"));
        Shell::run(QStringLiteral("chown 1000:513 /usr/data_resource/skin/*"));
        Shell::run(QStringLiteral("chown 1000:513 /usr/data_resource/skin/%1/*"), folder);
        Shell::run(QStringLiteral("chown 1000:513 /usr/data_resource/theme/*"));
    } else {
        Shell::run(QStringLiteral("chmod 755 ") + base + QStringLiteral("/%1/*"), folder);
        Shell::run(QStringLiteral("chmod 755 /ezxlocal/download/appwrite/setuptheme/*"));
        Shell::run(QStringLiteral("chown 500:513 ") + base + QStringLiteral("/*"));
        Shell::run(QStringLiteral("chown 500:513 ") + base + QStringLiteral("/%1/*"), folder);
        Shell::run(QStringLiteral("chown ezx:ezx /ezxlocal/download/appwrite/setuptheme/*"));
        Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
        Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
    }
    delete wait;

    QString done;
    {
        const ZConfig lang(langFile, false);
        const QString installed = lang.readEntry("VARDEL", "INSTALL_SKIN", "");
        done = firmware ? texto(installed.toLatin1())
                        : texto(QStringLiteral("%1 %2").arg(theme.name, installed).toLatin1());
    }
    if (!firmware)
        LimpiarCR();
    auto* message = new ZMessageDlg(QStringLiteral("Vardel"), done, ZMessageDlg::TypeInformation, 0,
                                    nullptr, "ZMessageDlg", true);
    message->exec();
    delete message;

    Shell::run(QStringLiteral("/usr/SYSqtapp/systemsetup/themesetup"));
}

bool Vardel::themePackageAccepted()
{
    const ThemeDescriptor::Theme theme = readTheme(progDir);
    if (ThemePlaces::isInstallable(theme.name, theme.folder))
        return true;
    refuseThemePackage();
    return false;
}

void Vardel::refuseThemePackage()
{
    QString message;
    {
        const ZConfig lang(langFile, false);
        message = text(lang, "INSTALL_ERROR");
    }
    auto* dialog = new ZMessageDlg(QStringLiteral("Vardel"), message, ZMessageDlg::TypeInformation, 0,
                                   nullptr, "ZMessageDlg", true);
    dialog->exec();
    Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
    Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
    delete dialog;
}
