// The history entry of every options menu: the recorded changes, newest
// first, and the undo of the one chosen.

#include "vardel.h"

#include <QApplication>
#include <QDateTime>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>
#include <ZMessageDlg.h>
#include <ZNavTabWidget.h>
#include <ZNoticeDlg.h>
#include <ZOptionsMenu.h>
#include <ZSingleSelectDlg.h>

#include "history/recorder.h"
#include "shell/paths.h"

namespace {

// The second line of the row labelled so, in the first of the lists that
// shows one: the value an editor left.
QString shownValue(std::initializer_list<ZListBox*> lists, const QString& label)
{
    for (ZListBox* list : lists) {
        for (int row = 0; list && row < int(list->count()); ++row) {
            const ZListBoxItem* item = list->item(row);
            if (item && item->getSubItemText(1, 0, false) == label)
                return item->getSubItemText(1, 1, false);
        }
    }
    return QString();
}

} // namespace

QString Vardel::historyDescription(const char* titleId, const QString& value)
{
    const ZConfig lang(langFile, false);
    return historyDescription(text(lang, titleId), value);
}

QString Vardel::historyDescription(const QString& title, const QString& value)
{
    // A menu entry's "Install…" reads "Install: Name".
    QString named = title;
    while (named.endsWith(u'.') || named.endsWith(QChar(0x2026)))
        named.chop(1);
    return value.isEmpty() ? named : named + QStringLiteral(": ") + value;
}

QString Vardel::historyRowDescription(const QString& label)
{
    return historyDescription(label, shownValue({listaConfig, listaRobo, listaAutorun}, label));
}

void Vardel::Historial()
{
    if (optMenu)
        optMenu->hide();
    QApplication::processEvents();
    const ZConfig lang(langFile, false);
    const QList<Journal::Entry> all = History::entries();
    if (all.isEmpty()) {
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "HISTORY_EMPTY"));
        return;
    }
    QStringList rows;
    for (qsizetype i = all.size() - 1; i >= 0; --i) {
        const Journal::Entry& entry = all[i];
        // Today's changes by their time alone: the description needs the room.
        const QDateTime when = QDateTime::fromSecsSinceEpoch(entry.time);
        const bool today = when.date() == QDate::currentDate();
        rows << when.toString(today ? QStringLiteral("hh:mm") : QStringLiteral("MM-dd hh:mm")) + u' '
                + entry.description + (entry.undoable ? QString() : u' ' + text(lang, "HISTORY_NOUNDO"));
    }
    auto* dialog = new ZSingleSelectDlg(text(lang, "MENU_HISTORY"), QString(), nullptr, "ZSingleSelectDlg", true);
    dialog->addItemsList(rows);
    const int result = dialog->exec();
    const int checked = dialog->getCheckedItemIndex();
    delete dialog;
    if (result != 1 || checked < 0 || checked >= rows.size())
        return;
    const int index = int(all.size()) - 1 - checked;
    const Journal::Entry entry = all[index];
    if (!entry.undoable) {
        message(entry.description + u' ' + text(lang, "HISTORY_NOUNDO"), ZMessageDlg::TypeInformation);
        return;
    }
    // Nobody takes back the guard, the numbers or the password without it.
    if (guardOn() && !passwordAccepted())
        return;
    const History::Obstacle obstacle = History::obstacleTo(all, index);
    if (!obstacle.path.isEmpty()) {
        message(text(lang, "HISTORY_BLOCKED") + u'\n' + Paths::forDisplay(obstacle.path) + u'\n'
                    + (obstacle.laterEntry >= 0 ? all[obstacle.laterEntry].description : text(lang, "HISTORY_OUTSIDE")),
                ZMessageDlg::TypeInformation);
        return;
    }
    const QString undoText = text(lang, "HISTORY_UNDO");
    if (!askYesNo(undoText + u' ' + entry.description + u'?'))
        return;
    QApplication::processEvents();
    const bool whole = History::undo(entry, undoText + u' ' + entry.description);

    // The language may be the one put back.
    langFile = progDir + "/languages/" + ZConfig(progDir + "/Vardel.cfg", false).readEntry("Vardel", "Language", "");
    textoKnown = false;
    createMenuOfTab(tabWidget->currentPageIndex());
    Create_SoftKey();
    for (ZListBox* list : {listaApps, listaAutorun, listaConfig, listaRobo, listaSkins})
        emptyList(list);
    CargarListaApps();
    CargarListaAutorun();
    CargarListaConfig();
    CargarListaRobo();
    CargarListaSkins();
    const ZConfig now(langFile, false);
    timedNotice(whole ? ZNoticeDlg::Success : ZNoticeDlg::Other, 3000,
                text(now, whole ? "HISTORY_UNDONE" : "HISTORY_NOTUNDONE"));
}
