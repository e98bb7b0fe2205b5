// The phone's interface font: the system font or a TrueType file found on
// the phone or the card. The ordinary firmware gets a start-up script that
// binds the file over the system fonts; the Brenik firmware gets the file
// copied over its fonts.

#include "vardel.h"

#include <QStringList>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZMessageDlg.h>
#include <ZNoticeDlg.h>
#include <ZSingleSelectDlg.h>

#include <memory>

#include "history/recorder.h"
#include "settings/fontscript.h"
#include "settings/settingsrows.h"
#include "shell/shellrun.h"
#include "shell/texts.h"

void Vardel::ChangeFont(const QString& current)
{
    QString title;
    QStringList entries;
    QString systemFont;
    {
        const ZConfig lang(langFile, false);
        title = text(lang, "FONT_MSG1");
        entries << text(lang, "FONT_MSG2") << text(lang, "FONT_MSG3");
        systemFont = text(lang, "FONT_SYSTEM");
    }
    const std::unique_ptr<ZSingleSelectDlg> dialog(
        new ZSingleSelectDlg(title, QString(), nullptr, "ZSingleSelectDlg", true));
    dialog->addItemsList(entries);
    ZListBox* list = dialog->getListBox();
    list->checkItem(current == systemFont ? 0 : 1, true);

    if (dialog->exec() == 1) {
        if (list->itemChecked(1))
            SelectFont(current);
        if (list->itemChecked(0))
            applyFont(QLatin1String(SettingsRows::systemFontValue));
    }
    emptyList(listaConfig);
    CargarListaConfig();
    listaConfig->setCurrentItem(SettingsRows::Font, true);
}

void Vardel::SelectFont(const QString& current)
{
    const QString scratch = progDir + "/fonttemp";
    QString title;
    QString searching;
    {
        const ZConfig lang(langFile, false);
        title = text(lang, "FONT_MSG3");
        searching = text(lang, "FONT_SEARCH") + u'\n' + text(lang, "INSTALL_WAIT");
    }
    auto wait = std::make_unique<ZMessageDlg>(QStringLiteral("Vardel"), searching, ZMessageDlg::TypeWait,
                                              200, nullptr, "ZMessageDlg");
    wait->exec();
    const std::unique_ptr<ZSingleSelectDlg> dialog(
        new ZSingleSelectDlg(title, QString(), nullptr, "ZSingleSelectDlg", true));

    // Phone memory first, then the card; lower-case extensions first in each.
    Shell::run(QStringLiteral("find /ezxlocal/download/mystuff  -name \"*.ttf\" > %1/fonttemp"), progDir);
    Shell::run(QStringLiteral("find /ezxlocal/download/mystuff  -name \"*.TTF\" >> %1/fonttemp"), progDir);
    Shell::run(QStringLiteral("find /mmc/mmca1 -name \"*.ttf\" >> %1/fonttemp"), progDir);
    Shell::run(QStringLiteral("find /mmc/mmca1 -name \"*.TTF\" >> %1/fonttemp"), progDir);

    // Each found file by its name; the last one named as the current font
    // is checked.
    QStringList names;
    int checked = -1;
    for (const QString& path : Shell::readLines(scratch)) {
        names << getFileName(path);
        if (names.last() == current)
            checked = int(names.size()) - 1;
    }
    wait.reset();

    if (names.isEmpty()) {
        // The empty scratch file stays; the next search starts it afresh.
        const ZConfig lang(langFile, false);
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "FONT_NOTHING"));
        return;
    }

    dialog->addItemsList(names);
    if (checked >= 0)
        dialog->getListBox()->checkItem(checked, true);
    if (dialog->exec() == 1) {
        const int chosen = dialog->getCheckedItemIndex();
        const QStringList paths = Shell::readLines(scratch);
        if (chosen >= 0 && chosen < paths.size())
            applyFont(paths[chosen]);
    }
    Shell::run(QStringLiteral("rm %1/fonttemp"), progDir);
}

void Vardel::applyFont(const QString& fontPath)
{
    const bool systemFont = fontPath == QLatin1String(SettingsRows::systemFontValue);
    if (checkBrenik() != QLatin1String("Brenik")) {
        QString notice;
        {
            // Into the script as stored: its bytes reach the phone unchanged.
            const ZConfig lang(langFile, false);
            notice = Texts::entry(lang, progDir, "CHANGE_FONT");
        }
        const QString script = systemFont ? FontScript::withSystemFont(notice)
                                          : FontScript::withFont(fontPath, notice);
        // The script is replaced only by a complete one, and the choice is
        // recorded only when the script that applies it is in place.
        if (!Shell::writeThenMove(progDir + "/ChangeFont.new", progDir + "/" + FontScript::fileName, script)) {
            const ZConfig lang(langFile, false);
            timedNotice(ZNoticeDlg::Other, 3000, text(lang, "FONT_NOTSAVED"));
            return;
        }
        ZConfig settings(progDir + "/Vardel.cfg", true);
        settings.writeEntry(SettingsRows::settingsSection, SettingsRows::fontKey, fontPath);
        return;
    }

    History::willChange(QStringLiteral("/usr/language/fonts/AMCSL1.TTF"));
    History::willChange(QStringLiteral("/usr/language/fonts/NUMBER1.TTF"));
    if (systemFont) {
        // Back from the copies of the system fonts kept beside the program.
        Shell::run(QStringLiteral("cp %1/AMCSL.TTF1 /usr/language/fonts/AMCSL1.TTF"), progDir);
        Shell::run(QStringLiteral("cp %1/NUMBER.TTF1 /usr/language/fonts/NUMBER1.TTF"), progDir);
    } else {
        Shell::run(QStringLiteral("cp %1 /usr/language/fonts/AMCSL1.TTF"), fontPath);
        Shell::run(QStringLiteral("cp %1 /usr/language/fonts/NUMBER1.TTF"), fontPath);
    }
    Shell::run(QStringLiteral("chown ezx:ezx /usr/language/fonts/*"));
    Shell::run(QStringLiteral("chmod 755 /usr/language/fonts/*"));
    ZConfig settings(progDir + "/Vardel.cfg", true);
    settings.writeEntry(SettingsRows::settingsSection, SettingsRows::fontKeyBrenik, fontPath);
}
