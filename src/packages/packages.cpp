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

void Vardel::Instalar(const QString& path)
{
    {
        const ZConfig lang(langFile, false);
        message(text(lang, "INSTALL_READING") + u'\n' + text(lang, "INSTALL_WAIT"), ZMessageDlg::TypeWait);
    }
    Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
    Shell::run(QStringLiteral("mkdir /mmc/mmca1/.system/tempmpkg"));

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

    Shell::run(QStringLiteral("busybox gzip -c -d %1 | busybox tar -xv -f - -C /mmc/mmca1/.system/tempmpkg/"), path);
    Shell::run(QStringLiteral("cat /mmc/mmca1/.system/tempmpkg/*/*.desktop > %1/tempdesktop"), progDir);

    const QString entry = QStringLiteral("Desktop Entry");
    const ZConfig desktop(progDir + "/tempdesktop", false);
    const QString name = desktop.readEntry(entry, QStringLiteral("Name"), QString());
    const QString themeName = desktop.readEntry(entry, QStringLiteral("ThemeName"), QString());

    // Refused as well: a control character in a value the installers use; a
    // theme holding a link (its files move one folder up, where the link
    // would lead elsewhere); an unpacked tree that holds what the listing
    // did not show; an application whose Directory is not its top-level
    // folder, under which name it is installed.
    if (!pkgUnpackedAccepted(desktop, listing)) {
        Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
        pkgRefuse();
        return;
    }

    // Installed already: an application of the same whole name is in one of
    // the registries.
    bool installed = false;
    if (!name.isEmpty()) {
        Shell::run(QStringLiteral("sed -n -e '/^Name =/p' /mmc/mmca1/.system/java/CardRegistry "
                                  "/ezxlocal/download/appwrite/am/UserRegistry > %1/TempApps"),
                   progDir);
        for (const QString& line : Shell::readLines(progDir + "/TempApps")) {
            if (RegistryText::nameOnLine(line) == name)
                installed = true;
        }
        Shell::run(QStringLiteral("rm %1/TempApps"), progDir);
    }
    if (installed) {
        const ZConfig lang(langFile, false);
        message(text(lang, "INSTALL_INSTALLED"), ZMessageDlg::TypeInformation);
        Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
        return;
    }

    if (!name.isEmpty())
        InstalarApp(path, name);
    if (!themeName.isEmpty()) {
        if (checkBrenik() == QLatin1String("Brenik"))
            InstalarSkinBrenik(path, themeName);
        else
            InstalarSkin(path, themeName);
    }
}

void Vardel::InstalarApp(const QString& /*package*/, const QString& name)
{
    const ZConfig lang(langFile, false);
    auto* dialog = new ZSingleSelectDlg(QStringLiteral("Vardel"),
                                        text(lang, "INSTALL_PLACE_APP") + u' ' + name + u'?', nullptr,
                                        "ZSingleSelectDlg", true);
    dialog->addItemsList({text(lang, "INSTALL_PHONE"), text(lang, "INSTALL_SD")});
    const int result = dialog->exec();
    const int checked = dialog->getCheckedItemIndex();
    delete dialog;
    if (result != 1 || (checked != 0 && checked != 1))
        return;
    const AppRecord::Place place = checked == 0 ? AppRecord::phone() : AppRecord::card();

    message(text(lang, "INSTALL_INSTALLING") + u'\n' + text(lang, "INSTALL_WAIT"), ZMessageDlg::TypeWait);

    const AppRecord::DesktopEntry desktop = AppRecord::read(ZConfig(progDir + "/tempdesktop", false));
    const QString workFolder = QString::fromLatin1(AppRecord::workDir) + u'/' + desktop.directory;
    const QString installFolder = place.base + u'/' + desktop.directory;

    // Both bases are made when missing: moving into a missing one would
    // rename the package's folder to the base itself.
    if (place.card) {
        Shell::run(QStringLiteral("mkdir /mmc/mmca1/.system/QTDownLoad"));
        Shell::run(QStringLiteral("mv /mmc/mmca1/.system/tempmpkg/* /mmc/mmca1/.system/QTDownLoad/"));
    } else {
        Shell::run(QStringLiteral("mkdir /ezxlocal/download/mystuff/.system/QTDownLoad"));
        Shell::run(QStringLiteral("mv /mmc/mmca1/.system/tempmpkg/* /ezxlocal/download/mystuff/.system/QTDownLoad/"));
    }

    // Nothing is registered for files that did not arrive.
    if (!PackageListing::directoryFits(desktop.directory, desktop.directory)
        || !Paths::isDirectory(installFolder) || Paths::exists(workFolder)) {
        Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
        Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
        message(text(lang, "INSTALL_ERROR"), ZMessageDlg::TypeInformation);
        return;
    }

    // The ID: the time stamp, or the next one free when an application
    // installed in the same second holds it.
    Shell::run(QStringLiteral("date +'%y%m%d%H%M%S' > %1/tempID"), progDir);
    const QString stamp = Shell::readLines(progDir + "/tempID").value(0);
    Shell::run(QStringLiteral("rm %1/tempID"), progDir);
    const QStringList inUse[] = {
        Shell::readLines(QString::fromLatin1(AppRecord::phoneRegistry)),
        Shell::readLines(QString::fromLatin1(AppRecord::cardRegistry)),
        Shell::readLines(QString::fromLatin1(AppRecord::menuTree)),
    };
    const QString id = AppRecord::chooseId(stamp, [&](const QString& candidate) {
        for (const QStringList& lines : inUse) {
            if (RegistryText::mentions(lines, candidate))
                return true;
        }
        return false;
    });

    {
        ZConfig menu(QString::fromLatin1(AppRecord::menuTree), true);
        const QString folder = QString::fromLatin1(AppRecord::menuFolder);
        const QString items = QString::fromLatin1(AppRecord::menuItems);
        menu.writeEntry(folder, items, id + u';' + menu.readEntry(folder, items, QString()));
    }

    const QString imeiLine = place.card ? Shell::readLines(progDir + "/IMEI").value(0) : QString();
    const QString record = AppRecord::record(place, desktop, id, imeiLine);

    if (!desktop.autorun.isEmpty()) {
        // A script that exists but cannot be read is left alone; a missing
        // one is made with the entry.
        if (const auto lines = StartupScript::read()) {
            StartupScript::rewrite(StartupScript::withEntryAdded(
                *lines, desktop.name, u'#' + place.base + u'/' + desktop.directory + u'/' + desktop.autorun));
        }
    }

    Shell::writeFile(place.registry, record, Shell::WriteMode::Append);
    // The new application's own files only: every other program's files
    // (this one's, its password among them) keep their modes. The unpacked
    // tree was checked, so a link among them leads inside the folder.
    Shell::run(QStringLiteral("chmod 777 %1/*"), installFolder);
    Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
    Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
    LimpiarCR();

    message(texto((name + u' ' + lang.readEntry(QStringLiteral("VARDEL"), QStringLiteral("INSTALL_SUCCESS"),
                                                   QString())).toLatin1()),
               ZMessageDlg::TypeInformation);
    Shell::run(QStringLiteral("busybox killall am"));
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
        if (listaApps) {
            emptyList(listaApps);
            CargarListaApps();
        }
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
    if (listaSkins) {
        emptyList(listaSkins);
        CargarListaSkins();
    }
    if (listaAutorun) {
        emptyList(listaAutorun);
        CargarListaAutorun();
    }
}

bool Vardel::pkgCleanRegistry(const QString& registry, const QString& temp)
{
    // A missing registry reads as empty and comes back holding one empty
    // line, unless its folder is missing too (no card): then there is
    // nothing to tidy. One that cannot be read is never replaced.
    if (!Paths::exists(registry) && !Paths::isDirectory(registry.left(registry.lastIndexOf(u'/'))))
        return true;
    const std::optional<QStringList> lines =
        Paths::exists(registry) ? Shell::readLinesIfReadable(registry) : std::optional<QStringList>(QStringList());
    if (!lines)
        return true;
    return Shell::writeThenMove(temp, registry, RegistryText::cleaned(*lines));
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
