// The security tab: the anti-theft guard switch, the alert numbers and the
// password that protects both.

#include "vardel.h"

#include <QApplication>
#include <QDebug>
#include <QLineEdit>
#include <QPixmap>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>
#include <ZNoticeDlg.h>
#include <ZSingleCaptureDlg.h>
#include <ZSingleSelectDlg.h>

#include <optional>

#include "antitheft/passwordhash.h"
#include "antitheft/telephony.h"
#include "antitheft/wardlexsettings.h"
#include "shell/paths.h"
#include "shell/shellrun.h"

namespace {

// Rows of the security list.
enum SecurityRow { GuardRow = 0, NumbersRow = 1, PasswordRow = 2 };

// The IMSI buffer of the numbers editor.
constexpr std::size_t editorImsiBuffer = 16;

QString settingsFile(const Vardel& w)
{
    return w.progDir + QStringLiteral("/Vardel.cfg");
}

// Asks for one line of text; nothing when the entry is cancelled.
std::optional<QString> askText(const QString& title, const QString& prompt, const QString& initial,
                               bool masked)
{
    auto* dialog = new ZSingleCaptureDlg(title, prompt, 0, nullptr, "ZSingleCaptureDlg", true, 0, 0);
    QLineEdit* edit = dialog->getLineEdit();
    edit->setText(initial);
    edit->setModified(true);
    if (masked)
        edit->setEchoMode(QLineEdit::Password);
    std::optional<QString> entered;
    if (dialog->exec() == 1)
        entered = edit->text();
    delete dialog;
    return entered;
}

void reloadList(Vardel& w)
{
    Vardel::emptyList(w.listaRobo);
    w.CargarListaRobo();
}

} // namespace

void Vardel::CargarListaRobo()
{
    const ZConfig lang(langFile, false);
    const QString numbers =
        ZConfig(QLatin1String(WardlexSettings::path), false).readEntry(WardlexSettings::section, "NUMBERS", "");
    const QPixmap null = Paths::loadPixmap(progDir + QStringLiteral("/images/null.png"));

    // The numbers are shown as stored, byte for byte, so that the editor
    // starts from exactly what the file holds.
    const QString rows[3][2] = {
        {text(lang, "WARDLEX_INI"), text(lang, guardOn() ? "OPTIONS_ENABLED" : "OPTIONS_DISABLED")},
        {text(lang, "WARDLEX_NUMBER"), numbers},
        {text(lang, "WARDLEX_PASSWORD"), text(lang, "WARDLEX_CHANGE")},
    };
    for (const auto& row : rows) {
        auto* item = new ZListBoxItem(listaRobo, QStringLiteral("%I%M"));
        item->setPixmap(0, Paths::loadPixmap(progDir + QStringLiteral("/images/security.png")));
        item->appendSubItem(1, row[0], false, nullptr);
        item->appendSubItem(1, row[1], false, &null);
        listaRobo->insertItem(item, -1, true);
    }
}

void Vardel::Antirrobo()
{
    if (passwordAccepted()) {
        const ZConfig lang(langFile, false);
        auto* dialog = new ZSingleSelectDlg(text(lang, "WARDLEX_MSG1"), QString(), nullptr,
                                            "ZSingleSelectDlg", true, 0, 0);
        dialog->addItemsList({text(lang, "OPTIONS_ENABLED"), text(lang, "OPTIONS_DISABLED")});
        dialog->getListBox()->checkItem(guardOn() ? 0 : 1, true);
        if (dialog->exec() == 1) {
            const int chosen = dialog->getCheckedItemIndex();
            // The start-up entry of the SIM check follows the guard: on
            // with it, off when it goes off.
            if (chosen == 1) {
                Shell::run(QStringLiteral("mv %1/zWardlex %2/zWardlex1"), progDir, progDir);
                if (!guardOn())
                    guardBootEntry(false);
                reloadList(*this);
            }
            if (chosen == 0) {
                Shell::run(QStringLiteral("mv %1/zWardlex1 %2/zWardlex"), progDir, progDir);
                if (guardOn())
                    guardBootEntry(true);
                reloadList(*this);
            }
            if ((chosen == 0 || chosen == 1) && listaAutorun)
                refillList(listaAutorun, &Vardel::CargarListaAutorun, Highlight::Kept);
        }
        delete dialog;
    }
    listaRobo->setCurrentItem(GuardRow);
}

void Vardel::zWardlex(const QString& numbers)
{
    if (passwordAccepted()) {
        const ZConfig lang(langFile, false);
        const std::optional<QString> entered =
            askText(text(lang, "WARDLEX_MSG1"), text(lang, "WARDLEX_ENTERNUM"), numbers, false);
        if (entered) {
            QApplication::processEvents();
            saveNumbers(*entered);
            reloadList(*this);
        }
    }
    listaRobo->setCurrentItem(NumbersRow);
}

void Vardel::saveNumbers(const QString& numbers)
{
    const QString file = QLatin1String(WardlexSettings::path);
    const ZConfig lang(langFile, false);
    // Saving the numbers also records the SIM card now in the phone as the
    // owner's. When the card cannot be read, the card recorded before stays:
    // an empty one would raise the alarm at every start.
    std::optional<QString> imsi = Telephony::imsiIfRead(editorImsiBuffer);
    const bool cardRead = imsi.has_value();
    if (!cardRead) {
        const QString recorded = ZConfig(file, false).readEntry(WardlexSettings::section, "IMSI", "");
        if (recorded.isEmpty()) {
            timedNotice(ZNoticeDlg::Other, 3000, text(lang, "WARDLEX_NOTSAVED"));
            return;
        }
        imsi = recorded;
    }
    // A text the file cannot hold byte for byte (a character beyond
    // Latin-1), or a write that fails, leaves the file as it was: the list
    // then shows the numbers it had.
    if (!Shell::writeThenMove(file + QStringLiteral(".new"), file, WardlexSettings::fileText(*imsi, numbers)))
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "WARDLEX_NOTSAVED"));
    else if (!cardRead)
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "WARDLEX_NOIMSI"));
}

void Vardel::IngresoClave()
{
    if (passwordAccepted()) {
        const ZConfig lang(langFile, false);
        const std::optional<QString> first =
            askText(QStringLiteral("Vardel"), text(lang, "WARDLEX_ENTERPASSNEW1"), QString(), true);
        const std::optional<QString> second = first
            ? askText(QStringLiteral("Vardel"), text(lang, "WARDLEX_ENTERPASSNEW2"), QString(), true)
            : std::nullopt;
        if (first && second) {
            if (*first != *second) {
                timedNotice(ZNoticeDlg::Other, 3000, text(lang, "WARDLEX_NOMATCH"));
            } else if (!ZConfig(settingsFile(*this), true)
                            .writeEntry("Vardel", "Password", PasswordHash::stored(*second))) {
                // Kept hashed, never as typed; a file that cannot be
                // written keeps the old password.
                timedNotice(ZNoticeDlg::Other, 3000, text(lang, "WARDLEX_NOTSAVED"));
            } else {
                QApplication::processEvents();
                timedNotice(ZNoticeDlg::Success, 3000, text(lang, "WARDLEX_SUCCES"));
            }
        }
    }
    listaRobo->setCurrentItem(PasswordRow);
}
