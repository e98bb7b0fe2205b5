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

bool guardOn(const Vardel& w)
{
    return Paths::isRegularFile(w.progDir + QStringLiteral("/zWardlex"));
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

// The timed notice: shown without waiting, it closes and deletes itself.
void notice(Vardel& w, int type, const QString& message)
{
    w.noticeDlg = new ZNoticeDlg(type, 3000, QString(), message, &w, "z", true, 0);
    w.noticeDlg->show();
    w.noticeDlg = nullptr;
}

// Asks for the password and compares it with the stored one; a wrong one is
// told, a cancelled entry is not.
bool passwordAccepted(Vardel& w)
{
    const QString stored = ZConfig(settingsFile(w), false).readEntry("Vardel", "Password", "");
    const ZConfig lang(w.langFile, false);
    const std::optional<QString> entered =
        askText(QStringLiteral("Vardel"), w.text(lang, "WARDLEX_ENTERPASS"), QString(), true);
    if (!entered)
        return false;
    if (*entered == stored)
        return true;
    notice(w, ZNoticeDlg::Other, w.text(lang, "WARDLEX_ERROR"));
    return false;
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
        {text(lang, "WARDLEX_INI"), text(lang, guardOn(*this) ? "OPTIONS_ENABLED" : "OPTIONS_DISABLED")},
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
    if (passwordAccepted(*this)) {
        const ZConfig lang(langFile, false);
        auto* dialog = new ZSingleSelectDlg(text(lang, "WARDLEX_MSG1"), QString(), nullptr,
                                            "ZSingleSelectDlg", true, 0, 0);
        dialog->addItemsList({text(lang, "OPTIONS_ENABLED"), text(lang, "OPTIONS_DISABLED")});
        dialog->getListBox()->checkItem(guardOn(*this) ? 0 : 1, true);
        if (dialog->exec() == 1) {
            const int chosen = dialog->getCheckedItemIndex();
            if (chosen == 1) {
                Shell::run(QStringLiteral("mv %1/zWardlex %2/zWardlex1"), progDir, progDir);
                reloadList(*this);
            }
            if (chosen == 0) {
                Shell::run(QStringLiteral("mv %1/zWardlex1 %2/zWardlex"), progDir, progDir);
                reloadList(*this);
            }
        }
        delete dialog;
    }
    listaRobo->setCurrentItem(GuardRow);
}

void Vardel::zWardlex(const QString& numbers)
{
    if (passwordAccepted(*this)) {
        const ZConfig lang(langFile, false);
        const std::optional<QString> entered =
            askText(text(lang, "WARDLEX_MSG1"), text(lang, "WARDLEX_ENTERNUM"), numbers, false);
        if (entered) {
            QApplication::processEvents();
            // Saving the numbers also records the SIM card now in the phone
            // as the owner's.
            const QString imsi = Telephony::imsi(editorImsiBuffer);
            // A text the file cannot hold byte for byte (a character beyond
            // Latin-1) is refused whole: the file keeps the numbers it had,
            // and the list shows them.
            if (!Shell::writeFile(QLatin1String(WardlexSettings::path),
                                  WardlexSettings::fileText(imsi, *entered)))
                qDebug() << "alert numbers not saved";
            reloadList(*this);
        }
    }
    listaRobo->setCurrentItem(NumbersRow);
}

void Vardel::IngresoClave()
{
    if (passwordAccepted(*this)) {
        const ZConfig lang(langFile, false);
        const std::optional<QString> first =
            askText(QStringLiteral("Vardel"), text(lang, "WARDLEX_ENTERPASSNEW1"), QString(), true);
        const std::optional<QString> second = first
            ? askText(QStringLiteral("Vardel"), text(lang, "WARDLEX_ENTERPASSNEW2"), QString(), true)
            : std::nullopt;
        if (first && second) {
            if (*first != *second) {
                notice(*this, ZNoticeDlg::Other, text(lang, "WARDLEX_NOMATCH"));
            } else if (!ZConfig(settingsFile(*this), true).writeEntry("Vardel", "Password", *second)) {
                // Blanks at either end or a character beyond Latin-1 would
                // not read back as typed: the old password stays.
                notice(*this, ZNoticeDlg::Other, text(lang, "WARDLEX_NOTSAVED"));
            } else {
                QApplication::processEvents();
                notice(*this, ZNoticeDlg::Success, text(lang, "WARDLEX_SUCCES"));
            }
        }
    }
    listaRobo->setCurrentItem(PasswordRow);
}
