// The autorun tab: the cron and inetd rows and one row per entry of the
// phone's start-up script; switching, adding and removing entries.

#include "vardel.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QLoggingCategory>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>
#include <ZMessageDlg.h>
#include <ZNoticeDlg.h>

#include <algorithm>
#include <ZOptionsMenu.h>
#include <ZSingleCaptureDlg.h>
#include <ZSingleSelectDlg.h>

#include "ZFileDlg.h"
#include "autorun/startupscript.h"
#include "shell/paths.h"

namespace {

Q_LOGGING_CATEGORY(autorunLog, "vardel.autorun", QtInfoMsg)

// The switch rows and the entry rows share their look: an icon, the name,
// and under it the state with an empty picture in front.
void appendRow(ZListBox* list, const QPixmap& icon, const QString& name, const QString& state,
               const QPixmap& statePicture)
{
    auto* row = new ZListBoxItem(list, QStringLiteral("%I%M"));
    row->setPixmap(0, icon);
    row->appendSubItem(1, name, false);
    row->appendSubItem(1, state, false, &statePicture);
    list->insertItem(row, -1, true);
}

} // namespace

template <typename Change>
void Vardel::rewriteAutorun(const Change& change, Highlight highlight)
{
    // A script that exists but cannot be read is never replaced; one that
    // cannot be written keeps its old text, and the user is told.
    if (const std::optional<QStringList> lines = StartupScript::read()) {
        if (!StartupScript::rewrite(change(*lines))) {
            const ZConfig lang(langFile, false);
            timedNotice(ZNoticeDlg::Other, 3000, text(lang, "AUTORUN_NOTWRITTEN"));
        }
    } else {
        qCDebug(autorunLog) << "the start-up script cannot be read; left as it is";
    }
    refillList(listaAutorun, &Vardel::CargarListaAutorun, highlight);
}

bool Vardel::autorunGuarded(const QString& name, bool onlyEnabled)
{
    if (!guardOn())
        return false;
    const std::optional<QStringList> lines = StartupScript::read();
    if (!lines)
        return false;
    for (const StartupScript::Entry& entry : StartupScript::entries(*lines)) {
        if (entry.name == name && (!onlyEnabled || entry.enabled()) && runsThisProgram(entry.command))
            return true;
    }
    return false;
}

void Vardel::CargarListaAutorun()
{
    const ZConfig lang(langFile, false);
    const QString enabled = text(lang, "OPTIONS_ENABLED");
    const QString disabled = text(lang, "OPTIONS_DISABLED");
    const QPixmap statePicture = Paths::loadPixmap(progDir + "images/null.png");

    // A missing key counts as switched on.
    const ZConfig settings(progDir + "/Vardel.cfg", false);
    const auto state = [&](const char* key) {
        return settings.readEntry("Vardel", QLatin1String(key), "") == QLatin1String("NO") ? disabled
                                                                                           : enabled;
    };
    appendRow(listaAutorun, Paths::loadPixmap(progDir + "images/cron.png"), text(lang, "AUTORUN_CRON"),
              state("Cron"), statePicture);
    appendRow(listaAutorun, Paths::loadPixmap(progDir + "images/telnet.png"), text(lang, "AUTORUN_INETD"),
              state("INETD"), statePicture);

    // An unreadable script gives no entry rows.
    const std::optional<QStringList> script = StartupScript::read();
    if (!script)
        return;
    const QPixmap icon = Paths::loadPixmap(progDir + "images/autorun.png");
    for (const StartupScript::Entry& entry : StartupScript::entries(*script))
        appendRow(listaAutorun, icon, entry.name, entry.enabled() ? enabled : disabled, statePicture);
}

void Vardel::runClicked(ZListBoxItem* item)
{
    if (!item)
        return;
    // Copies: every handler below rebuilds the list, and with it this item.
    const QString name = item->getSubItemText(1, 0, false);
    const QString state = item->getSubItemText(1, 1, false);
    const int row = listaAutorun->currentItem();

    QString cron, inetd, enabled;
    {
        const ZConfig lang(langFile, false);
        cron = text(lang, "AUTORUN_CRON");
        inetd = text(lang, "AUTORUN_INETD");
        enabled = text(lang, "OPTIONS_ENABLED");
    }
    // The fixed rows are told by their label, so an entry named like one of
    // them opens that switch.
    if (name == cron)
        Cron();
    else if (name == inetd)
        Inetd();
    else
        EntradaAutorun(name, row, state == enabled ? QStringLiteral("SI") : QStringLiteral("NO"));
}

void Vardel::EntradaAutorun(const QString& name, int row, const QString& enabled)
{
    int choice = -1;
    {
        const ZConfig lang(langFile, false);
        auto* dialog = new ZSingleSelectDlg(name, QString(), nullptr, "ZSingleSelectDlg", true);
        dialog->addItemsList({text(lang, "OPTIONS_ENABLED"), text(lang, "OPTIONS_DISABLED")});
        dialog->getListBox()->checkItem(enabled == QLatin1String("SI") ? 0 : 1, true);
        if (dialog->exec() == 1)
            choice = dialog->getCheckedItemIndex();
        delete dialog;
    }
    if (choice != 0 && choice != 1)
        return;
    // Switching off the guard's own SIM check needs the password.
    if (choice == 1 && autorunGuarded(name, true) && !passwordAccepted()) {
        listaAutorun->setCurrentItem(row);
        return;
    }

    rewriteAutorun([&](const QStringList& lines) {
        return StartupScript::withEntrySwitched(lines, name, choice == 0);
    }, Highlight::AsLoaded);
    listaAutorun->setCurrentItem(row);
}

void Vardel::AutorunAdd()
{
    // While the guard is on, nothing new runs at boot without the password.
    if (guardOn() && !passwordAccepted())
        return;
    auto* files = new ZFileOpenDialog();
    if (files->exec() != 1 || files->fileName.isEmpty()) {
        delete files;
        return;
    }
    const QString command = files->fileName;

    QString name;
    {
        const ZConfig lang(langFile, false);
        auto* ask = new ZSingleCaptureDlg(QStringLiteral("Vardel"), text(lang, "AUTORUN_NAME"), 0, nullptr,
                                          "ZSingleCaptureDlg", true);
        // The file name as the eye reads it, where the script (one byte a
        // character) can hold it that way.
        const QString shown = Paths::forDisplay(getFileName(command));
        const bool storable = std::all_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() <= 0xff; });
        ask->getLineEdit()->setText(storable ? shown : getFileName(command));
        ask->getLineEdit()->setModified(true);
        if (ask->exec() == 1)
            name = ask->getLineEdit()->text();
        delete ask;
    }

    if (!name.isEmpty()) {
        // A name or path that the script's lines cannot hold is refused
        // rather than written as some other entry.
        if (StartupScript::canStore(name, command)) {
            rewriteAutorun([&](const QStringList& lines) {
                return StartupScript::withEntryAdded(lines, name, command);
            }, Highlight::Added);
        } else {
            const ZConfig lang(langFile, false);
            timedNotice(ZNoticeDlg::Other, 3000, text(lang, "AUTORUN_NOTSAVED"));
        }
    }
    delete files;
}

void Vardel::AutorunRemove()
{
    if (optMenu)
        optMenu->hide();
    QApplication::processEvents();

    const ZListBoxItem* current = listaAutorun->item(listaAutorun->currentItem());
    if (!current)
        return;
    const QString name = current->getSubItemText(1, 0, false);

    QString question;
    {
        const ZConfig lang(langFile, false);
        if (name == text(lang, "AUTORUN_CRON") || name == text(lang, "AUTORUN_INETD")) {
            timedNotice(ZNoticeDlg::Other, 3000, text(lang, "AUTORUN_LOCKED"));
            return;
        }
        question = QStringLiteral("%1 %2?").arg(text(lang, "AUTORUN_DELETE"), name);
    }

    // So does removing it.
    if (autorunGuarded(name, false) && !passwordAccepted())
        return;
    if (!askYesNo(question))
        return;

    rewriteAutorun([&](const QStringList& lines) { return StartupScript::withEntryRemoved(lines, name); },
                   Highlight::AsLoaded);
}

void Vardel::Cron()
{
    recordSwitch("CRON_MSG1", "Cron", 0);
}

void Vardel::Inetd()
{
    recordSwitch("AUTORUN_INETD", "INETD", 1);
}

void Vardel::recordSwitch(const char* titleId, const char* key, int row)
{
    ZConfig settings(progDir + "/Vardel.cfg", true);
    int choice = -1;
    {
        const ZConfig lang(langFile, false);
        auto* dialog =
            new ZSingleSelectDlg(text(lang, titleId), QString(), nullptr, "ZSingleSelectDlg", true);
        dialog->addItemsList({text(lang, "OPTIONS_ENABLED"), text(lang, "OPTIONS_DISABLED")});
        const bool off = settings.readEntry("Vardel", QLatin1String(key), "") == QLatin1String("NO");
        dialog->getListBox()->checkItem(off ? 1 : 0, true);
        if (dialog->exec() == 1)
            choice = dialog->getCheckedItemIndex();
        delete dialog;
    }

    // Written and reloaded even when the choice is the stored value.
    if (choice == 0 || choice == 1) {
        settings.writeEntry("Vardel", QLatin1String(key), choice == 1 ? "NO" : "YES");
        emptyList(listaAutorun);
        CargarListaAutorun();
    }
    listaAutorun->setCurrentItem(row);
}
