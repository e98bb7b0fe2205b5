// The installed applications: the list of the first tab, starting an
// application and removing one.

#include "vardel.h"

#include <QApplication>
#include <QPixmap>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>
#include <ZMessageDlg.h>
#include <ZNoticeDlg.h>
#include <ZOptionsMenu.h>

#include <sys/stat.h>

#include <memory>
#include <optional>

#include "autorun/startupscript.h"
#include "packages/appdirs.h"
#include "packages/appicons.h"
#include "packages/record.h"
#include "packages/registrytext.h"
#include "history/recorder.h"
#include "packages/staging.h"
#include "shell/paths.h"
#include "shell/shellrun.h"
#include "shell/texts.h"

namespace {

// Every application ID of the card registry, then of the phone registry,
// without braces, one per line into TempApps. A registry that is no
// readable file (a FIFO would block sed for ever) reads as none.
void listIds(const QString& progDir)
{
    Shell::run(QStringLiteral("sed -n -e '/^AppID =/p' %1 %2 | awk '{print $3}' | sed 's/{//g' | sed 's/}//g' "
                              "> %3/TempApps"),
               Shell::readableOrNothing(QString::fromLatin1(AppRecord::cardRegistry)),
               Shell::readableOrNothing(QString::fromLatin1(AppRecord::phoneRegistry)), progDir);
}

// True when a folder between the base and the last component of the path
// is a symbolic link, so that removing the path could reach elsewhere.
bool passesThroughLink(const QString& base, const QString& path)
{
    const QStringList below = path.mid(base.size() + 1).split(u'/');
    QString at = base;
    for (qsizetype i = 0; i + 1 < below.size(); ++i) {
        at += u'/' + below.at(i);
        struct stat info;
        if (::lstat(Paths::toBytes(at).constData(), &info) == 0 && S_ISLNK(info.st_mode))
            return true;
    }
    return false;
}

// Marks the folder of a record about to go as the installer marks what it
// builds: a removal killed once the record is gone leaves a folder no record
// names, which the next installation then replaces instead of refusing.
// The marker written, or "" when none was (nothing to take back).
QString markForRemoval(const QString& directory)
{
    const QString folder = AppDirs::resolve(directory);
    const QString marker = folder + u'/' + QLatin1String(Staging::marker);
    QString base;
    if (!AppDirs::removable(folder, &base) || passesThroughLink(base, folder)
        || Paths::entryAt(folder).kind != Paths::Entry::Folder || Paths::entryAt(marker).kind != Paths::Entry::Missing)
        return QString();
    if (Shell::writeFile(marker, QString()))
        return marker;
    Shell::run(QStringLiteral("rm -f %1"), marker);  // a full card leaves it empty
    return QString();
}

} // namespace

QString Vardel::pkgTexto(const ZConfig& /*lang*/, const QString& bytes)
{
    // All of the value: rows are matched to records by what they show, and
    // "Vardel" must never match a record named "Vardel\0x". The encoding
    // is the one texto keeps: one look-up per language, not per application.
    return Texts::decodeWhole(bytes.toLatin1(), languageIsUnicode());
}

void Vardel::CargarListaApps()
{
    listIds(progDir);
    Shell::run(QStringLiteral("cat %1 %2 > %3/TempApps2"),
               Shell::readableOrNothing(QString::fromLatin1(AppRecord::cardRegistry)),
               Shell::readableOrNothing(QString::fromLatin1(AppRecord::phoneRegistry)), progDir);

    const ZConfig lang(langFile, false);
    const QString phoneText = text(lang, "INSTALL_PHONE");
    const QString cardText = text(lang, "INSTALL_SD");
    // Pictures are decoded when their rows are first painted; the rows of
    // one filling share one decoded copy of each file.
    const auto icons = std::make_shared<AppIcons>(progDir + QStringLiteral("images/apps.png"));
    const QPixmap phonePicture = Paths::loadPixmap(progDir + QStringLiteral("images/phone.png"));
    const QPixmap cardPicture = Paths::loadPixmap(progDir + QStringLiteral("images/sd.png"));

    // Both registries in one copy, read once for every ID.
    const ZConfig registries(progDir + "/TempApps2", false);
    for (const QString& id : Shell::readLines(progDir + "/TempApps")) {
        if (registries.readEntry(id, QStringLiteral("Exec"), QString()).isEmpty())
            continue;
        auto* row = new ZListBoxItem(listaApps, QStringLiteral("%I%M%I"));
        const QString iconFile = registries.readEntry(id, QStringLiteral("BigIcon"), QString());
        row->setPixmap(0, AppIcons::rowSize, [icons, iconFile] { return icons->icon(iconFile); });
        row->appendSubItem(1, pkgTexto(lang, registries.readEntry(id, QStringLiteral("Name"), QString())));
        if (AppDirs::onCard(registries.readEntry(id, QStringLiteral("Directory"), QString())))
            row->appendSubItem(1, cardText, false, &cardPicture);
        else
            row->appendSubItem(1, phoneText, false, &phonePicture);
        listaApps->insertItem(row);
    }
    Shell::run(QStringLiteral("rm %1/TempApps"), progDir);
    Shell::run(QStringLiteral("rm %1/TempApps2"), progDir);
    listaApps->sort(true);
    listaApps->setCurrentItem(0);
}

bool Vardel::pkgCurrentApp(QString* name, QString* registry)
{
    if (!listaApps)
        return false;
    const ZListBoxItem* row = listaApps->item(listaApps->currentItem());
    if (!row)
        return false;
    *name = row->getSubItemText(1, 0);
    const ZConfig lang(langFile, false);
    const bool phone = row->getSubItemText(1, 1) == text(lang, "INSTALL_PHONE");
    *registry = QString::fromLatin1(phone ? AppRecord::phoneRegistry : AppRecord::cardRegistry);
    return true;
}

void Vardel::appClicked(ZListBoxItem* /*item*/)
{
    if (optMenu)
        optMenu->hide();
    QApplication::processEvents();
    if (!listaApps || listaApps->currentItem() < 0)
        return;
    EjecutarMPKG();
}

void Vardel::EjecutarMPKG()
{
    QString name;
    QString registry;
    if (!pkgCurrentApp(&name, &registry))
        return;
    // The scratch file is shared with other Vardels: it is read under the
    // lock, the applications are started without it (one may run long).
    QStringList ids;
    if (!oneAtATime([&] {
            listIds(progDir);
            ids = Shell::readLines(progDir + "/TempApps");
            Shell::run(QStringLiteral("rm %1/TempApps"), progDir);
        }))
        return;
    const ZConfig lang(langFile, false);
    const ZConfig apps(registry, false);
    // Every application of that name, in registry order; the folder is
    // resolved against "/", so the start works from any directory.
    for (const QString& id : ids) {
        if (pkgTexto(lang, apps.readEntry(id, QStringLiteral("Name"), QString())) != name)
            continue;
        const QString folder = AppDirs::resolve(apps.readEntry(id, QStringLiteral("Directory"), QString()));
        const QString command = AppDirs::startCommand(folder, apps.readEntry(id, QStringLiteral("Exec"), QString()));
        if (!command.isEmpty())
            Shell::run(command);
    }
}

void Vardel::pkgRemoveDirectory(const QString& directory)
{
    const QString folder = AppDirs::resolve(directory);
    QString base;
    if (!AppDirs::removable(folder, &base) || passesThroughLink(base, folder))
        return;
    History::willChange(folder);
    Shell::run(QStringLiteral("rm -f -r %1"), folder);
}

void Vardel::pkgRemoveStartupEntries(const QString& directory)
{
    // Only once the folder is gone; an unreadable script is left alone, and
    // one without such entries is not rewritten.
    const QString folder = AppDirs::resolve(directory);
    if (!AppDirs::removable(folder) || Paths::exists(folder))
        return;
    const std::optional<QStringList> lines = StartupScript::read();
    if (!lines)
        return;
    const QStringList kept = StartupScript::withEntriesFromRemoved(*lines, folder);
    if (kept != *lines && !StartupScript::rewrite(kept)) {
        const ZConfig lang(langFile, false);
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "AUTORUN_NOTWRITTEN"));
    }
}

bool Vardel::pkgRemovesThisProgram(const QString& name, const QString& registry)
{
    const ZConfig lang(langFile, false);
    const ZConfig apps(registry, false);
    for (const QString& line : Shell::readLines(registry)) {
        if (!line.startsWith(u'[') || !line.endsWith(u']'))
            continue;
        const QString id = line.mid(1, line.size() - 2);
        if (pkgTexto(lang, apps.readEntry(id, QStringLiteral("Name"), QString())) == name
            && holdsThisProgram(apps.readEntry(id, QStringLiteral("Directory"), QString())))
            return true;
    }
    return false;
}

bool Vardel::pkgRemoveRecord(const QString& registry, const QString& id)
{
    // A registry that cannot be read is never replaced.
    const std::optional<QStringList> lines =
        Paths::exists(registry) ? Shell::readLinesIfReadable(registry, Shell::CarriageReturn::Kept) : std::nullopt;
    const std::optional<QString> text = lines ? RegistryText::withoutSection(*lines, id) : std::nullopt;
    return text && Shell::writeThenMove(AppRecord::ofRegistry(registry).registryTemp, registry, *text);
}

// The menu tree loses the application's ID, written whole through a
// sibling of a fixed name: a kill leaves the old tree or the new one, and at
// most that sibling, which the next removal clears. The tree keeps its mode
// and owner. One that is not a readable file is left alone.
bool Vardel::pkgRemoveMenuId(const QString& appId)
{
    const QString tree = QString::fromLatin1(AppRecord::menuTree);
    const std::optional<QByteArray> bytes = Shell::readBytesIfReadable(tree);
    if (!bytes)
        return false;
    const QByteArray without = AppRecord::menuTreeWithout(*bytes, appId);
    if (without == *bytes)
        return true;
    struct stat info {};
    const bool known = ::stat(Paths::toBytes(tree).constData(), &info) == 0;
    const auto keepModes = [&](const QString& sibling) {
        if (!known)
            return;
        Shell::run(QStringLiteral("chown %1 %2"), QStringLiteral("%1:%2").arg(info.st_uid).arg(info.st_gid), sibling);
        Shell::run(QStringLiteral("chmod %1 %2"), QString::number(info.st_mode & 07777, 8), sibling);
    };
    return Shell::writeBytesThenMove(tree + QStringLiteral(".new"), tree, without, keepModes);
}

void Vardel::BorrarMPKG()
{
    if (optMenu)
        optMenu->hide();
    QApplication::processEvents();
    QString name;
    QString registry;
    if (!pkgCurrentApp(&name, &registry))
        return;
    // Removing this program itself would take the guard with it.
    if (guardOn() && pkgRemovesThisProgram(name, registry) && !passwordAccepted())
        return;
    const ZConfig lang(langFile, false);
    if (message(text(lang, "UNINSTALL_MSG") + u' ' + name + u'?', ZMessageDlg::TypeChoose) == 0)
        return;
    History::Scope change(historyDescription("MENU_UNINSTALL", name));

    listIds(progDir);
    const QStringList ids = Shell::readLines(progDir + "/TempApps");
    int removed = 0;
    std::optional<ZConfig> apps(std::in_place, registry, false);
    for (const QString& id : ids) {
        const QString storedName = apps->readEntry(id, QStringLiteral("Name"), QString());
        if (pkgTexto(lang, storedName) != name)
            continue;
        const QString appId = apps->readEntry(id, QStringLiteral("AppID"), QString());
        const QString directory = apps->readEntry(id, QStringLiteral("Directory"), QString());
        // An empty ID would match every line of the registry and every ";"
        // of the menu tree.
        if (QString(appId).remove(u'{').remove(u'}').isEmpty())
            continue;
        // The record goes first, exactly its own section; only once the
        // registry is written without it do its menu entry and folder go.
        const QString marker = markForRemoval(directory);
        if (!pkgRemoveRecord(registry, id)) {
            if (!marker.isEmpty())
                Shell::run(QStringLiteral("rm -f %1"), marker);
            continue;
        }
        pkgRemoveMenuId(appId);
        pkgRemoveDirectory(directory);
        pkgRemoveStartupEntries(directory);
        LimpiarCR();
        ++removed;
        // Later IDs see the registry as this removal left it.
        apps.emplace(registry, false);
    }
    Shell::run(QStringLiteral("rm %1/TempApps"), progDir);
    QApplication::processEvents();

    if (removed > 0) {
        timedNotice(ZNoticeDlg::Other, 8000, name + u' ' + text(lang, "UNINSTALL_SUCCESS"));
    }
    emptyList(listaApps);
    CargarListaApps();
    // Its start-up entries may have gone with it.
    refillList(listaAutorun, &Vardel::CargarListaAutorun, Highlight::Kept);
}
