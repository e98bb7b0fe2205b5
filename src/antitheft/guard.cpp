// The anti-theft guard protecting itself: while it is on, the actions that
// would stop the SIM check (removing the program, or its start-up entry) and
// those that would bring something new in (installing a package, adding a
// start-up entry) first ask for the password, as the security tab does.
// Switching it on makes sure the phone's start-up runs the SIM check.

#include "vardel.h"

#include <ZConfig.h>
#include <ZNoticeDlg.h>
#include <ZSingleCaptureDlg.h>

#include <QLineEdit>

#include <algorithm>

#include "antitheft/passwordhash.h"
#include "autorun/startupscript.h"
#include "packages/appdirs.h"
#include "shell/paths.h"
#include "shell/shellrun.h"
#include "shell/startup.h"

namespace {

// The folder of a path in the program's form, without its trailing "/".
QString withoutSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

bool inside(const QString& path, const QString& folder)
{
    return !path.isEmpty() && !folder.isEmpty() && (path == folder || path.startsWith(folder + u'/'));
}

} // namespace

bool Vardel::guardOn() const
{
    return Paths::isRegularFile(progDir + QStringLiteral("/zWardlex"));
}

bool Vardel::passwordAccepted()
{
    const QString stored = ZConfig(progDir + QStringLiteral("/Vardel.cfg"), false).readEntry("Vardel", "Password", "");
    const ZConfig lang(langFile, false);
    auto* dialog = new ZSingleCaptureDlg(QStringLiteral("Vardel"), text(lang, "WARDLEX_ENTERPASS"), 0, nullptr,
                                         "ZSingleCaptureDlg", true, 0, 0);
    QLineEdit* edit = dialog->getLineEdit();
    edit->setModified(true);
    edit->setEchoMode(QLineEdit::Password);
    const bool answered = dialog->exec() == 1;
    const QString entered = edit->text();
    delete dialog;
    // A cancelled entry is not told; a wrong one is.
    if (!answered)
        return false;
    if (PasswordHash::matches(stored, entered)) {
        // A password an older Vardel kept as typed is kept hashed from its
        // first right entry on.
        if (!PasswordHash::parse(stored) && !stored.isEmpty())
            ZConfig(progDir + QStringLiteral("/Vardel.cfg"), true)
                .writeEntry("Vardel", "Password", PasswordHash::stored(entered));
        return true;
    }
    timedNotice(ZNoticeDlg::Other, 3000, text(lang, "WARDLEX_ERROR"));
    return false;
}

bool Vardel::holdsThisProgram(const QString& directory)
{
    // The folder a removal would delete, compared as it really is on disk.
    const QString folder = AppDirs::resolve(directory);
    if (!AppDirs::removable(folder))
        return false;
    const QString program = withoutSlash(Paths::canonical(progDir));
    return inside(program, Paths::canonical(folder)) || inside(withoutSlash(progDir), folder);
}

bool Vardel::runsThisProgram(const QString& command)
{
    const QString program = withoutSlash(progDir);
    const QString canonicalProgram = withoutSlash(Paths::canonical(progDir));
    const QString line = command.startsWith(u'#') ? command.mid(1) : command;
    const std::optional<QStringList> words = StartupScript::words(line);
    // A line that is more than simple words counts when it names the
    // program's folder anywhere.
    if (!words)
        return line.contains(program + u'/') || (!canonicalProgram.isEmpty() && line.contains(canonicalProgram + u'/'));
    for (const QString& word : *words) {
        if (!word.startsWith(u'/'))
            continue;
        if (inside(AppDirs::resolve(word), program) || inside(Paths::canonical(word), canonicalProgram))
            return true;
    }
    return false;
}

QString Vardel::simCheckCommand()
{
    // The program by its real path, which the phone's start-up can run
    // from anywhere, and the keyword as the second argument.
    const QString argv0 = Startup::arguments().value(0);
    const QString program = withoutSlash(Paths::canonical(progDir)) + u'/' + Shell::fileNameOf(u'/' + argv0);
    return StartupScript::commandFor(program) + QStringLiteral(" x ") + QLatin1String(Startup::simCheckKeyword);
}

bool Vardel::runsSimCheck(const QString& command)
{
    const QString line = command.startsWith(u'#') ? command.mid(1) : command;
    const std::optional<QStringList> words = StartupScript::words(line);
    const std::optional<QStringList> ours = StartupScript::words(simCheckCommand());
    if (!words || !ours || words->size() < 3 || words->at(2) != QLatin1String(Startup::simCheckKeyword))
        return false;
    const QString program = ours->first();
    return words->first() == program || Paths::canonical(words->first()) == Paths::canonical(program);
}

void Vardel::guardBootEntry(bool on)
{
    const std::optional<QStringList> lines = StartupScript::read();
    const ZConfig lang(langFile, false);
    if (!lines) {
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "AUTORUN_NOTWRITTEN"));
        return;
    }
    const auto simCheck = [this](const StartupScript::Entry& entry) { return runsSimCheck(entry.command); };
    QStringList changed = StartupScript::withEntriesSwitched(*lines, simCheck, on);
    if (on && changed == *lines) {
        const QList<StartupScript::Entry> entries = StartupScript::entries(*lines);
        if (std::none_of(entries.begin(), entries.end(), simCheck)) {
            // The name as the list shows the script's names: as stored, one
            // byte a character, where the language's text fits that way.
            QString name = text(lang, "WARDLEX_BOOTENTRY");
            if (!StartupScript::canStore(name, QString()))
                name = lang.readEntry(QStringLiteral("VARDEL"), QStringLiteral("WARDLEX_BOOTENTRY"), QString());
            changed = StartupScript::withLinesAdded(*lines, name, simCheckCommand());
        }
    }
    if (changed != *lines && !StartupScript::rewrite(changed))
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "AUTORUN_NOTWRITTEN"));
}
