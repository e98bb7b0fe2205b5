// The anti-theft guard protecting itself: while it is on, the actions that
// would stop the SIM check (removing the program, or its start-up entry)
// first ask for the password, as the security tab does.

#include "vardel.h"

#include <ZConfig.h>
#include <ZNoticeDlg.h>
#include <ZSingleCaptureDlg.h>

#include <QLineEdit>

#include "autorun/startupscript.h"
#include "packages/appdirs.h"
#include "shell/paths.h"

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
    if (entered == stored)
        return true;
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
