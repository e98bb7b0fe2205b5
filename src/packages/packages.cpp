// Packages: unpacking and checking a package, installing an application,
// the package search, the registry clean-up and the package type's handler.

#include "vardel.h"

#include <QApplication>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZMessageDlg.h>
#include <ZNoticeDlg.h>
#include <ZOptionsMenu.h>
#include <ZSingleSelectDlg.h>

#include "autorun/startupscript.h"
#include "packages/desktopcheck.h"
#include "packages/listing.h"
#include "packages/record.h"
#include "packages/registrytext.h"
#include "packages/unpackedtree.h"
#include "shell/paths.h"
#include "shell/shellrun.h"

void Vardel::pkgRefuse()
{
    {
        const ZConfig lang(langFile, false);
        message(text(lang, "INSTALL_ERROR"), ZMessageDlg::TypeInformation);
    }
    Shell::run(QStringLiteral("rm -f %1/tempdesktop"), progDir);
    Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
}

bool Vardel::pkgUnpackedAccepted(const ZConfig& desktop, const PackageListing::Result& listing)
{
    const QString entry = QStringLiteral("Desktop Entry");
    const bool theme = !desktop.readEntry(entry, QStringLiteral("ThemeName"), QString()).isEmpty();
    if (!DesktopCheck::isPlain(desktop) || (theme && listing.links))
        return false;
    if (!UnpackedTree::isSafe(QString::fromLatin1(AppRecord::workDir) + u'/' + listing.topDirectory,
                              theme ? UnpackedTree::Links::None : UnpackedTree::Links::LeadingInside))
        return false;
    const QString name = desktop.readEntry(entry, QStringLiteral("Name"), QString());
    return name.isEmpty()
        || PackageListing::directoryFits(desktop.readEntry(entry, QStringLiteral("Directory"), QString()),
                                         listing.topDirectory);
}

bool Vardel::pkgDesktopCopied(const QString& topDirectory)
{
    // The copy is whole when it holds as many bytes as the desktop files it
    // joined (the shell's */*.desktop: no hidden names).
    const QString top = QString::fromLatin1(AppRecord::workDir) + u'/' + topDirectory;
    QStringList names;
    if (!Paths::listNames(top, &names))
        return false;
    qint64 expected = 0;
    for (const QString& name : names) {
        if (name.startsWith(u'.') || !name.endsWith(QLatin1String(".desktop")))
            continue;
        const qint64 size = Paths::fileSize(top + u'/' + name);
        if (size < 0)
            return false;
        expected += size;
    }
    return Paths::fileSize(progDir + "/tempdesktop") == expected;
}

void Vardel::Instalar(const QString& path)
{
    // Nothing new enters the phone past the guard without the password.
    if (guardOn() && !passwordAccepted())
        return;
    {
        const ZConfig lang(langFile, false);
        message(text(lang, "INSTALL_READING") + u'\n' + text(lang, "INSTALL_WAIT"), ZMessageDlg::TypeWait);
    }
    Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
    Shell::run(QStringLiteral("mkdir /mmc/mmca1/.system/tempmpkg"));
    // No card, a read-only card or an old work folder that cannot be
    // cleared: nothing can be unpacked.
    QStringList left;
    if (!Paths::listNames(QString::fromLatin1(AppRecord::workDir), &left) || !left.isEmpty()) {
        pkgRefuse();
        return;
    }

    // The package is listed before anything is unpacked: one that cannot be
    // read to its end, or that would put files outside its own folder, is
    // refused. The listing is taken byte for byte, carriage returns and all.
    const int listed = Shell::run(
        QStringLiteral("busybox gzip -c -d %1 > /dev/null && busybox gzip -c -d %2 | busybox tar -tv -f - > %3/mpkglist"),
        path, path, progDir);
    const PackageListing::Result listing =
        PackageListing::check(Shell::readLines(progDir + "/mpkglist", Shell::CarriageReturn::Kept));
    Shell::run(QStringLiteral("rm %1/mpkglist"), progDir);
    if (listed != 0 || !listing.safe) {
        pkgRefuse();
        return;
    }

    // A card that fills up leaves some of the files unpacked: refused, never
    // installed incomplete. So is a desktop copy that could not be written
    // whole (a nearly full phone memory cut it, and with it keys the
    // installers read), or a package without one.
    if (Shell::run(QStringLiteral("busybox gzip -c -d %1 | busybox tar -xv -f - -C /mmc/mmca1/.system/tempmpkg/"),
                   path)
            != 0
        || Shell::run(QStringLiteral("cat /mmc/mmca1/.system/tempmpkg/*/*.desktop > %1/tempdesktop"), progDir) != 0
        || !pkgDesktopCopied(listing.topDirectory)) {
        pkgRefuse();
        return;
    }

    const QString entry = QStringLiteral("Desktop Entry");
    // Read once: the checks below and the installer use this very value,
    // whatever the scratch file holds later.
    const ZConfig desktop(progDir + "/tempdesktop", false);
    const AppRecord::DesktopEntry checked = AppRecord::read(desktop);
    const QString& name = checked.name;
    const QString themeName = desktop.readEntry(entry, QStringLiteral("ThemeName"), QString());

    // Refused as well: a package that is neither an application nor a
    // theme; a control character in a value the installers use; a theme
    // holding a link (its files move one folder up, where the link would
    // lead elsewhere); an unpacked tree that holds what the listing did not
    // show; an application whose Directory is not its top-level folder,
    // under which name it is installed.
    if ((name.isEmpty() && themeName.isEmpty()) || !pkgUnpackedAccepted(desktop, listing)) {
        pkgRefuse();
        return;
    }

    // Installed already: an application of the same whole name is in one of
    // the registries.
    bool installed = false;
    if (!name.isEmpty()) {
        Shell::run(QStringLiteral("sed -n -e '/^Name =/p' %1 %2 > %3/TempApps"),
                   Shell::readableOrNothing(QString::fromLatin1(AppRecord::cardRegistry)),
                   Shell::readableOrNothing(QString::fromLatin1(AppRecord::phoneRegistry)), progDir);
        for (const QString& line : Shell::readLines(progDir + "/TempApps")) {
            if (RegistryText::nameOnLine(line) == name)
                installed = true;
        }
        Shell::run(QStringLiteral("rm %1/TempApps"), progDir);
    }
    if (installed) {
        const ZConfig lang(langFile, false);
        message(text(lang, "INSTALL_INSTALLED"), ZMessageDlg::TypeInformation);
        Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
        Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
        return;
    }

    if (!name.isEmpty())
        InstalarApp(path, checked);
    if (!themeName.isEmpty()) {
        if (checkBrenik() == QLatin1String("Brenik"))
            InstalarSkinBrenik(path, themeName);
        else
            InstalarSkin(path, themeName);
    }
}

void Vardel::BuscarMPKG()
{
    const ZConfig lang(langFile, false);
    message(text(lang, "INSTALL_SEARCH") + u'\n' + text(lang, "INSTALL_WAIT"), ZMessageDlg::TypeWait);
    auto* dialog = new ZSingleSelectDlg(QStringLiteral("Vardel"), QString(), nullptr, "ZSingleSelectDlg", true);

    Shell::run(QStringLiteral("find /ezxlocal/download/mystuff -name \"*.mpkg\" > %1/mpkgtemp"), progDir);
    Shell::run(QStringLiteral("find /mmc/mmca1 -name \"*.mpkg\" >> %1/mpkgtemp"), progDir);
    QStringList names;
    for (const QString& path : Shell::readLines(progDir + "/mpkgtemp"))
        names << getFileName(path);

    if (names.isEmpty()) {
        delete dialog;
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "INSTALL_NOTHING"));
        return;
    }

    dialog->addItemsList(names);
    if (dialog->exec() == 1) {
        const int chosen = dialog->getCheckedItemIndex();
        const QStringList paths = Shell::readLines(progDir + "/mpkgtemp");
        if (chosen >= 0 && chosen < paths.size())
            Instalar(paths.at(chosen));
        // The application just installed is the current row.
        if (listaApps)
            refillList(listaApps, &Vardel::CargarListaApps, Highlight::Added);
    }
    delete dialog;
    Shell::run(QStringLiteral("rm %1/mpkgtemp"), progDir);
}

void Vardel::InstalarDesdeMenu()
{
    if (optMenu)
        optMenu->hide();
    QApplication::processEvents();

    // The search reloads the applications list after an installation; a
    // package may also have brought a theme or a start-up entry.
    BuscarMPKG();
    if (listaSkins)
        refillList(listaSkins, &Vardel::CargarListaSkins, Highlight::Added);
    if (listaAutorun)
        refillList(listaAutorun, &Vardel::CargarListaAutorun, Highlight::Added);
}

bool Vardel::pkgCleanRegistry(const QString& registry, const QString& temp, const std::optional<QByteArray>& read)
{
    // A missing registry reads as empty and comes back holding one empty
    // line, unless its folder is missing too (no card): then there is
    // nothing to tidy. One that cannot be read is never replaced, and one
    // that is tidy already is not written again.
    const bool exists = Paths::exists(registry);
    if (!exists && !Paths::isDirectory(registry.left(registry.lastIndexOf(u'/'))))
        return true;
    const std::optional<QByteArray> bytes =
        read ? read : exists ? Shell::readBytesIfReadable(registry) : std::optional<QByteArray>(QByteArray());
    if (!bytes)
        return true;
    const QByteArray text = RegistryText::cleanedBytes(*bytes);
    if (exists && *bytes == text + '\n')
        return true;
    return Shell::writeThenMove(temp, registry, QString::fromLatin1(text));
}

bool Vardel::LimpiarCR()
{
    // Both are tried; a registry that could not be rewritten keeps its old
    // text, and the user is told once.
    bool written = true;
    for (const AppRecord::Place& place : {AppRecord::card(), AppRecord::phone()})
        written = pkgCleanRegistry(place.registry, place.registryTemp) && written;
    if (written)
        return true;
    const ZConfig lang(langFile, false);
    timedNotice(ZNoticeDlg::Other, 3000, text(lang, "INSTALL_NOTWRITTEN"));
    return false;
}

bool Vardel::AsociarMPKGs()
{
    const QString mime = QString::fromLatin1(RegistryText::userMime);
    const std::optional<QStringList> lines =
        Paths::exists(mime) ? Shell::readLinesIfReadable(mime) : std::optional<QStringList>(QStringList());
    if (lines && Shell::writeThenMove(mime + QStringLiteral("Temp"), mime, RegistryText::withMpkgHandler(*lines)))
        return true;
    const ZConfig lang(langFile, false);
    timedNotice(ZNoticeDlg::Other, 3000, text(lang, "INSTALL_NOTWRITTEN"));
    return false;
}
