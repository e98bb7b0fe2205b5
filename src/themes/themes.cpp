// The themes list and the removal of a theme. A row shows a descriptor's
// ThemeName and CopyRight; it keeps no path, so removal finds the descriptor
// again by the name the row shows.

#include "vardel.h"

#include <QApplication>
#include <QPixmap>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>
#include <ZMessageDlg.h>
#include <ZNoticeDlg.h>
#include <ZOptionsMenu.h>

#include "history/recorder.h"
#include "shell/paths.h"
#include "shell/shellrun.h"
#include "shell/texts.h"
#include "themes/descriptor.h"
#include "themes/themeplaces.h"

namespace {

const QString configSection = ThemeDescriptor::section(ThemeDescriptor::configHeader);
const QString propertiesSection = ThemeDescriptor::section(ThemeDescriptor::propertiesHeader);

// A ThemeName as its row shows it: all of its bytes, so that a row is found
// again by the whole name, never by one cut short at a NUL.
QString shownName(const QString& langFile, const QString& bytes)
{
    return Texts::decodeWhole(bytes.toLatin1(), Texts::isUnicode(ZConfig(langFile, false)));
}

} // namespace

void Vardel::CargarListaSkins()
{
    Shell::run(QStringLiteral("find /usr/data_resource/theme/ /ezxlocal/download/appwrite/setuptheme/ "
                              "-name \"*.*hm\" > %1/skintemp"),
               progDir);
    const QStringList descriptors = Shell::readLines(progDir + "/skintemp");

    if (!descriptors.isEmpty()) {
        const QPixmap skin = Paths::loadPixmap(progDir + "/images/skin.png");
        const QPixmap locked = Paths::loadPixmap(progDir + "/images/locked.png");
        const QPixmap plain = Paths::loadPixmap(progDir + "/images/null.png");
        const QString noData = text(ZConfig(langFile, false), "THEME_NODATA");

        for (const QString& path : descriptors) {
            const ZConfig descriptor(path, false);
            auto* row = new ZListBoxItem(listaSkins, QStringLiteral("%I%M"));
            row->setPixmap(0, skin);
            const QString name = descriptor.readEntry(configSection, "ThemeName", "");
            row->appendSubItem(1, shownName(langFile, name), false, nullptr);
            const QString copyRight = descriptor.readEntry(propertiesSection, "CopyRight", "");
            row->appendSubItem(1, copyRight.isEmpty() ? noData : texto(copyRight.toLatin1()), false,
                               name == QLatin1String("Alkali") ? &locked : &plain);
            listaSkins->insertItem(row, -1, true);
        }
    }
    Shell::run(QStringLiteral("rm %1/skintemp"), progDir);

    listaSkins->sort(true);
    listaSkins->setCurrentItem(0);
}

void Vardel::BorrarTema()
{
    if (optMenu)
        optMenu->hide();
    QApplication::processEvents();

    const int current = listaSkins->currentItem();
    if (current < 0)
        return;
    const QString selected = listaSkins->item(current)->getSubItemText(1, 0, false);

    if (selected == QLatin1String("Alkali")) {
        const ZConfig lang(langFile, false);
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "THEME_LOCKED"));
        return;
    }

    // The descriptor whose name reads as the row does; the last one listed
    // wins when several do.
    Shell::run(QStringLiteral("find /usr/data_resource/theme/ /ezxlocal/download/appwrite/setuptheme "
                              "-name \"*.*hm\" > %1/skintemp"),
               progDir);
    QString target;
    for (const QString& path : Shell::readLines(progDir + "/skintemp")) {
        const ZConfig descriptor(path, false);
        if (shownName(langFile, descriptor.readEntry(configSection, "ThemeName", "")) == selected)
            target = path;
    }
    Shell::run(QStringLiteral("rm %1/skintemp"), progDir);

    // The descriptor went away since the list was made: show what is there.
    if (target.isEmpty()) {
        emptyList(listaSkins);
        CargarListaSkins();
        return;
    }

    const QString inUse = ZConfig(QLatin1String(ThemePlaces::themeSettings), false)
                              .readEntry(ThemeDescriptor::section(ThemePlaces::themeSettingsHeader), "CurrentSkin", "");
    const QString skin = ZConfig(target, false).readEntry(configSection, "Skin", "");
    if (inUse == skin) {
        const ZConfig lang(langFile, false);
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "THEME_CURRENT"));
        return;
    }

    // Only a skin directory inside a skin base and a descriptor inside a
    // descriptor directory are ever deleted, and the firmware's own theme
    // area only where it accepts changes (Brenik); any other theme is one
    // the phone keeps, refused as the stock theme is.
    const bool firmwareArea = checkBrenik() == QLatin1String("Brenik");
    if (!ThemePlaces::isRemovableSkin(skin, firmwareArea)
        || !ThemePlaces::isRemovableDescriptor(target, firmwareArea)) {
        const ZConfig lang(langFile, false);
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "THEME_LOCKED"));
        return;
    }

    QString question;
    {
        const ZConfig lang(langFile, false);
        question = QStringLiteral("%1 %2?").arg(text(lang, "UNINSTALL_MSG"), selected);
    }
    if (!askYesNo(question))
        return;
    History::Scope change(historyDescription("MENU_UNINSTALL", selected));

    // Read again: the descriptor is the one to trust at the moment of removal.
    const QString skinNow = ZConfig(target, false).readEntry(configSection, "Skin", "");
    if (!ThemePlaces::isRemovableSkin(skinNow, firmwareArea)) {
        emptyList(listaSkins);
        CargarListaSkins();
        return;
    }
    // The skin folder first, and the descriptor only once the folder is
    // gone: a theme is never left listed without its files, nor are its
    // files left behind on a card that is missing or read-only. A
    // descriptor that is still there (a read-only theme area) means the
    // theme was not removed: nothing to announce.
    const QString skinBase = skinNow.left(skinNow.lastIndexOf(u'/'));
    if (Paths::isDirectory(skinBase)) {
        History::willChange(skinNow);
        Shell::run(QStringLiteral("rm -r %1"), skinNow);
        if (Paths::entryAt(skinNow).kind == Paths::Entry::Missing) {
            History::willChange(target);
            Shell::run(QStringLiteral("rm %1"), target);
        }
    }
    if (!Paths::exists(target)) {
        const ZConfig lang(langFile, false);
        timedNotice(ZNoticeDlg::Other, 8000, QStringLiteral("%1 %2").arg(selected, text(lang, "UNINSTALL_SUCCESS")));
    }
    emptyList(listaSkins);
    CargarListaSkins();
}

