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

#include "packages/desktopcheck.h"
#include "packages/staging.h"
#include "packages/unpackedtree.h"
#include "shell/paths.h"
#include "history/recorder.h"
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

// Where the theme's descriptor goes: named after ThemeName on ordinary
// firmware, after Folder in the firmware's own theme area.
QString descriptorPath(const ThemeDescriptor::Theme& theme, bool firmware)
{
    return firmware ? QLatin1String(ThemePlaces::firmwareDescriptors) + u'/' + theme.folder + QStringLiteral(".phm")
                    : QLatin1String(ThemePlaces::installedDescriptors) + u'/' + theme.name + QStringLiteral(".chm");
}

// True when anything stands at the path, a link to nothing included.
bool taken(const QString& path)
{
    return Paths::entryAt(path).kind != Paths::Entry::Missing;
}

const QString configSection = ThemeDescriptor::section(ThemeDescriptor::configHeader);

// True when a theme descriptor names the skin folder (or a folder holding
// it) as its Skin, in any spelling ("B//F", "B/F/", "B/x/../F"), or one
// that cannot be read might: the folder belongs to an installed theme. A
// folder no descriptor names is what an interrupted installation left.
bool skinNamed(const QString& skinDir)
{
    const QString wanted = Paths::lexical(skinDir);
    for (const char* dir : {ThemePlaces::firmwareDescriptors, ThemePlaces::installedDescriptors}) {
        QStringList names;
        if (!Paths::listNames(QLatin1String(dir), &names))
            continue;
        for (const QString& name : names) {
            const QString path = QLatin1String(dir) + u'/' + name;
            if (!name.contains(u'.') || !name.endsWith(QLatin1String("hm")) || Paths::isDirectory(path))
                continue;
            if (!Shell::readBytesIfReadable(path))
                return true;
            const QString skin = ZConfig(path, false).readEntry(configSection, "Skin", "");
            if (!skin.isEmpty() && (wanted == Paths::lexical(skin) || wanted.startsWith(Paths::lexical(skin) + u'/')))
                return true;
        }
    }
    return false;
}

// True when the descriptor at the path is this theme's own, installed
// before: the same ThemeName and the same skin folder. Installing it again
// is an update, which replaces that theme and nothing else.
bool installedBefore(const QString& descriptor, const ThemeDescriptor::Theme& theme, const QString& skinDir)
{
    if (!Shell::readBytesIfReadable(descriptor))
        return false;
    const ZConfig installed(descriptor, false);
    return installed.readEntry(configSection, "ThemeName", "") == theme.name
        && Paths::lexical(installed.readEntry(configSection, "Skin", "")) == Paths::lexical(skinDir);
}

// Takes back a skin folder this installation made. Its folders were given
// to the theme's owner: root without the right to override that could not
// empty them, so they are root's again first. The folder holds no link
// (the package holds none), so chown reaches nothing else.
void removeOwnFolder(const QString& folder)
{
    Shell::run(QStringLiteral("chown -R 0:0 %1"), folder);
    Shell::run(QStringLiteral("rm -rf %1"), folder);
}

// The folder of the unpacked theme package holding its skin files.
QString packageSkin()
{
    QStringList top;
    Paths::listNames(QLatin1String(ThemePlaces::workDir), &top);
    return top.size() == 1 ? QLatin1String(ThemePlaces::workDir) + u'/' + top.first() + QStringLiteral("/skin")
                           : QString();
}

} // namespace

void Vardel::InstalarSkin(const QString& /*package*/, const QString& themeName)
{
    if (!themePackageAccepted(false))
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
    if (!themePackageAccepted(true))
        return;

    QString question;
    {
        const ZConfig lang(langFile, false);
        question = QStringLiteral("%1 %2?").arg(text(lang, "INSTALL_SKIN_ASK"), themeName);
    }
    if (!askYesNo(question))
        return;
    installTheme(SkinPlace::Firmware);
}

void Vardel::installTheme(SkinPlace place)
{
    const bool firmware = place == SkinPlace::Firmware;
    const QString base = QLatin1String(place == SkinPlace::Phone  ? ThemePlaces::phoneSkins
                                       : place == SkinPlace::Card ? ThemePlaces::cardSkins
                                                                  : ThemePlaces::firmwareSkins);

    const ThemeDescriptor::Theme theme = readTheme(progDir);
    History::Scope change(historyDescription("MENU_INSTALL", theme.name));
    const QString skinDir = base + u'/' + theme.folder;
    const QString staging = Staging::partial(base, theme.folder);
    const QString previous = Staging::previous(base, theme.folder);
    const QString descriptor = descriptorPath(theme, firmware);
    // The same theme in the same place is updated (on the ordinary firmware:
    // the firmware's area holds the stock themes, which are never replaced).
    // Another theme's descriptor or folder is never shared: its files would
    // be mixed with this theme's, and removing either would take both. Our
    // staging folders are never ones a descriptor names.
    const bool update = !firmware && taken(descriptor) && installedBefore(descriptor, theme, skinDir);
    if ((taken(descriptor) && !update) || (taken(skinDir) && !update && skinNamed(skinDir)) || skinNamed(staging)
        || skinNamed(previous)) {
        refuseThemePackage();
        return;
    }
    // An update cut short after the old folder was put aside and before the
    // new one took its name: the old one goes back first.
    if (update && !taken(skinDir) && Paths::isDirectory(previous))
        Shell::run(QStringLiteral("mv %1 %2"), previous, skinDir);

    QString waitText;
    {
        const ZConfig lang(langFile, false);
        waitText = QStringLiteral("%1\n%2").arg(text(lang, "INSTALL_INSTALLING_SKIN"),
                                                text(lang, "INSTALL_WAIT"));
    }
    auto* wait = new ZMessageDlg(QStringLiteral("Vardel"), waitText, ZMessageDlg::TypeWait, 200,
                                 nullptr, "ZMessageDlg", true);
    wait->exec();
    const auto fail = [&] {
        removeOwnFolder(staging);
        // An update gives the old theme back whole.
        if (update && !taken(skinDir) && Paths::isDirectory(previous))
            Shell::run(QStringLiteral("mv %1 %2"), previous, skinDir);
        delete wait;
        refuseThemePackage();
    };

    // A new card (or phone) has no skin base yet; without it the skin
    // directory cannot be made and the theme's files would be lost. What an
    // interrupted installation left goes first.
    if (!Paths::isDirectory(base)) {
        History::willCreate(base);
        Shell::run(QStringLiteral("mkdir ") + base);
    }
    // An update keeps the installed folder (an old one put aside is whole
    // in its place again, or the new one is: the aside copy goes).
    for (const QString& left : update ? QStringList{staging, previous} : QStringList{skinDir, staging, previous}) {
        if (taken(left))
            Shell::run(QStringLiteral("rm -rf %1"), left);
    }
    Shell::run(QStringLiteral("mkdir %1"), staging);
    if (!Paths::isDirectory(staging) || taken(previous) || taken(skinDir) != update) {
        fail();
        return;
    }
    // The skin files move under a name of our own (from the card to phone
    // memory a copy, which may stop half way), and the folder takes its
    // name only once all of them are there.
    // Modes and owners of this theme's own files only, set before they take
    // their names, so that the theme never appears without them: its skin
    // folder, what lies directly in it and its descriptor. None of them is
    // a link (the package holds none, and both names were free), so chmod
    // and chown, which follow a link they are given, reach nothing else.
    const QString mode = firmware ? QStringLiteral("777") : QStringLiteral("755");
    const QString owner = firmware ? QStringLiteral("1000:513") : QStringLiteral("500:513");
    QStringList skinFiles;
    const QString skin = packageSkin();
    Paths::listNames(skin, &skinFiles);
    if (!skinFiles.isEmpty() && Shell::run(QStringLiteral("mv /mmc/mmca1/.system/tempmpkg/*/skin/* %1/"), staging) != 0) {
        fail();
        return;
    }
    Shell::run(QStringLiteral("chmod %1 %2/*"), mode, staging);
    Shell::run(QStringLiteral("chown %1 %2"), owner, staging);
    Shell::run(QStringLiteral("chown %1 %2/*"), owner, staging);
    History::willChange(skinDir);
    // The new folder is whole: the old one steps aside, and is kept there
    // until the new descriptor is written.
    if (update && (Shell::run(QStringLiteral("mv %1 %2"), skinDir, previous) != 0 || taken(skinDir))) {
        fail();
        return;
    }
    if (Shell::run(QStringLiteral("mv %1 %2"), staging, skinDir) != 0 || !Paths::isDirectory(skinDir)
        || taken(staging)) {
        fail();
        return;
    }

    const QString descriptorText = ThemeDescriptor::text(theme, base, !firmware);
    if (!firmware) {
        History::willCreate(QStringLiteral("/ezxlocal/download/appwrite/setuptheme"));
        Shell::run(QStringLiteral("mkdir /ezxlocal/download/appwrite/setuptheme"));
    }
    // The sibling's name is short: the descriptor's own may be as long as a
    // name can be.
    const QString sibling = descriptor.left(descriptor.lastIndexOf(u'/')) + QStringLiteral("/.descriptor.new");
    const auto descriptorMode = [&](const QString& written) {
        Shell::run(QStringLiteral("chmod %1 %2"), mode, written);
        Shell::run(QStringLiteral("chown %1 %2"), firmware ? owner : QStringLiteral("ezx:ezx"), written);
    };
    if (!Shell::writeThenMove(sibling, descriptor, descriptorText, descriptorMode)) {
        // Without its descriptor the phone cannot see the theme: take back
        // what this installation made, and say it failed.
        removeOwnFolder(skinDir);
        fail();
        return;
    }
    if (update)
        Shell::run(QStringLiteral("rm -rf %1"), previous);

    Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
    Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
    delete wait;

    QString done;
    {
        const ZConfig lang(langFile, false);
        const QString installed = text(lang, "INSTALL_SKIN");
        done = firmware ? installed : texto(theme.name.toLatin1()) + u' ' + installed;
    }
    if (!firmware)
        LimpiarCR();
    change.finish();
    message(done, ZMessageDlg::TypeInformation);

    Shell::run(QStringLiteral("/usr/SYSqtapp/systemsetup/themesetup"));
}

bool Vardel::themePackageAccepted(bool firmware)
{
    const ThemeDescriptor::Theme theme = readTheme(progDir);
    // Its names must keep it in its own skin folder and descriptor, hold no
    // control character, and name no descriptor that exists already (on the
    // firmware, no skin folder either: there is only one place). The
    // unpacked package must hold no link: its skin files move one folder
    // up, where a link that led inside the package leads elsewhere.
    // An installed theme of the same name and folder may be updated (in the
    // place it is in: checked again once the place is chosen).
    const QString descriptor = descriptorPath(theme, firmware);
    const bool update = !firmware
        && (installedBefore(descriptor, theme, QLatin1String(ThemePlaces::phoneSkins) + u'/' + theme.folder)
            || installedBefore(descriptor, theme, QLatin1String(ThemePlaces::cardSkins) + u'/' + theme.folder));
    const bool accepted = ThemePlaces::isInstallable(theme.name, theme.folder)
        && !Staging::isStagingName(theme.folder)
        && DesktopCheck::isPlain(ZConfig(progDir + "/tempdesktop", false))
        && UnpackedTree::isSafe(QLatin1String(ThemePlaces::workDir), UnpackedTree::Links::None)
        && (!taken(descriptor) || update)
        && !(firmware && skinNamed(QLatin1String(ThemePlaces::firmwareSkins) + u'/' + theme.folder));
    if (!accepted)
        refuseThemePackage();
    return accepted;
}

void Vardel::refuseThemePackage()
{
    QString refusal;
    {
        const ZConfig lang(langFile, false);
        refusal = text(lang, "INSTALL_ERROR");
    }
    message(refusal, ZMessageDlg::TypeInformation);
    Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
    Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
}
