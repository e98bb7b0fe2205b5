// Installing an unpacked application package: its folder, its ID in the
// menu tree, its start-up entry and its registry record. Each step is
// checked; when one fails, what the installation did is taken back in
// reverse order and the user is told. Success is claimed only for a whole
// installation.

#include "vardel.h"

#include <QRegularExpression>

#include <ZConfig.h>
#include <ZMessageDlg.h>
#include <ZSingleSelectDlg.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "autorun/startupscript.h"
#include "packages/appdirs.h"
#include "packages/listing.h"
#include "packages/record.h"
#include "packages/registrytext.h"
#include "packages/staging.h"
#include "shell/paths.h"
#include "history/recorder.h"
#include "shell/shellrun.h"

namespace {

// What an installation did so far, to be taken back when a later step
// fails: the latest first.
class Undo
{
public:
    void add(std::function<void()> step) { steps.prepend(std::move(step)); }
    void run()
    {
        for (const auto& step : steps)
            step();
        steps.clear();
    }

private:
    QList<std::function<void()>> steps;
};

// A registry's bytes: a missing one (no card, no application yet) is empty,
// one that cannot be read is nothing.
std::optional<QByteArray> readRegistry(const QString& path)
{
    return Paths::entryAt(path).kind == Paths::Entry::Missing ? std::optional<QByteArray>(QByteArray())
                                                              : Shell::readBytesIfReadable(path);
}

bool isStamp(const QString& stamp)
{
    if (stamp.size() != 12)
        return false;
    for (QChar c : stamp) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool gone(const QString& path)
{
    return Paths::entryAt(path).kind == Paths::Entry::Missing;
}

} // namespace

void Vardel::InstalarApp(const QString& /*package*/, const AppRecord::DesktopEntry& desktop)
{
    const QString& name = desktop.name;
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
    History::Scope change(historyDescription("MENU_INSTALL", name));

    if (!pkgInstallApp(place, desktop)) {
        pkgRefuse();
        return;
    }

    Shell::run(QStringLiteral("rm %1/tempdesktop"), progDir);
    Shell::run(QStringLiteral("rm -r /mmc/mmca1/.system/tempmpkg"));
    change.finish();

    message(texto(name.toLatin1()) + u' ' + text(lang, "INSTALL_SUCCESS"), ZMessageDlg::TypeInformation);
    Shell::run(QStringLiteral("busybox killall am"));
}

bool Vardel::pkgInstallApp(const AppRecord::Place& place, const AppRecord::DesktopEntry& desktop)
{
    if (!PackageListing::directoryFits(desktop.directory, desktop.directory))
        return false;
    const QString workFolder = QString::fromLatin1(AppRecord::workDir) + u'/' + desktop.directory;
    const QString folder = place.base + u'/' + desktop.directory;
    const QString staging = Staging::partial(place.base, desktop.directory);
    const QString marker = QString::fromLatin1(Staging::marker);

    // Each file is read once: for the folders in use, the ID and the new
    // registry text. One that exists but cannot be read is never replaced.
    const std::optional<QByteArray> phoneRegistry = readRegistry(QString::fromLatin1(AppRecord::phoneRegistry));
    const std::optional<QByteArray> cardRegistry = readRegistry(QString::fromLatin1(AppRecord::cardRegistry));
    const std::optional<QByteArray> menuTree = readRegistry(QString::fromLatin1(AppRecord::menuTree));
    if (!phoneRegistry || !cardRegistry || !menuTree)
        return false;

    // Only what an interrupted installation of ours left is cleared: the
    // staging folder, unless a record names it, and a B/D that still holds
    // our marker and that no record names. Any other B/D (an installed
    // program whose record was lost, a folder copied there by hand) is
    // someone's, and refuses the installation before anything changed.
    const QStringList named = RegistryText::directories(*phoneRegistry) + RegistryText::directories(*cardRegistry);
    if (AppDirs::named(named, staging))
        return false;
    if (!gone(folder)) {
        if (AppDirs::named(named, folder) || Paths::entryAt(folder).kind != Paths::Entry::Folder
            || Paths::entryAt(folder + u'/' + marker).kind != Paths::Entry::File)
            return false;
        Shell::run(QStringLiteral("rm -rf %1"), folder);
    }
    if (!gone(staging))
        Shell::run(QStringLiteral("rm -rf %1"), staging);
    // The card's registry lives in a folder a new card may not have yet.
    if (place.card) {
        History::willCreate(QStringLiteral("/mmc/mmca1/.system/java"));
        Shell::run(QStringLiteral("mkdir -p /mmc/mmca1/.system/java"));
        if (!Paths::isDirectory(QStringLiteral("/mmc/mmca1/.system/java")))
            return false;
    }
    // A missing base would make the move rename the package's folder to it.
    if (!Paths::isDirectory(place.base)) {
        History::willCreate(place.base);
        Shell::run(QStringLiteral("mkdir %1"), place.base);
    }
    if (!gone(folder) || !gone(staging) || !Paths::isDirectory(place.base))
        return false;

    // The files move (from the card to phone memory: a copy, which may stop
    // half way) under a name of our own, and only once all of them are
    // there are they renamed into place, within one file system.
    Undo undo;
    // Modes are set before the rename, so that the folder never appears
    // under its name without them: the new application's own files only,
    // every other program's files (this one's, its password among them)
    // keep theirs. The unpacked tree was checked, so a link among them
    // leads inside the folder.
    undo.add([&] { Shell::run(QStringLiteral("rm -rf %1"), staging); });
    if (Shell::run(QStringLiteral("mv %1 %2"), workFolder, staging) != 0 || !Paths::isDirectory(staging)
        || !gone(workFolder)) {
        undo.run();
        return false;
    }
    // The marker says whose the folder is until the record names it.
    if (!gone(staging + u'/' + marker))
        Shell::run(QStringLiteral("rm -rf %1"), staging + u'/' + marker);
    if (!Shell::writeFile(staging + u'/' + marker, QString())) {
        undo.run();
        return false;
    }
    Shell::run(QStringLiteral("chmod 777 %1/*"), staging);
    History::willChange(folder);
    if (Shell::run(QStringLiteral("mv %1 %2"), staging, folder) != 0 || !Paths::isDirectory(folder)
        || !gone(staging)) {
        undo.run();
        return false;
    }
    undo.add([&] { Shell::run(QStringLiteral("rm -rf %1"), folder); });

    // The ID: the time stamp, or the next one free when an application
    // installed in the same second holds it. Without a stamp (the scratch
    // file could not be written) there is no ID to give.
    Shell::run(QStringLiteral("date +'%y%m%d%H%M%S' > %1/tempID"), progDir);
    const QString stamp = Shell::readLines(progDir + "/tempID").value(0);
    Shell::run(QStringLiteral("rm %1/tempID"), progDir);
    if (!isStamp(stamp)) {
        undo.run();
        return false;
    }
    const QString id = AppRecord::chooseId(stamp, [&](const QString& candidate) {
        return RegistryText::mentions(*phoneRegistry, candidate) || RegistryText::mentions(*cardRegistry, candidate)
            || RegistryText::mentions(*menuTree, candidate);
    });

    {
        ZConfig menu(QString::fromLatin1(AppRecord::menuTree), true);
        const QString group = QString::fromLatin1(AppRecord::menuFolder);
        const QString key = QString::fromLatin1(AppRecord::menuItems);
        // Every ID already there stays, also one no registry names now: it
        // may be an application of a card that is not in the phone.
        const QString items = menu.readEntry(group, key, QString());
        if (!menu.writeEntry(group, key, id + u';' + items)) {
            undo.run();
            return false;
        }
        undo.add([group, key, items] {
            ZConfig(QString::fromLatin1(AppRecord::menuTree), true).writeEntry(group, key, items);
        });
    }

    if (!desktop.autorun.isEmpty()) {
        // A script that exists but cannot be read cannot take the entry; a
        // missing one is made with it. An interrupted installation of this
        // package may have left the very entry: it is not added twice.
        const QString script = QString::fromLatin1(StartupScript::path);
        const bool existed = !gone(script);
        const std::optional<QByteArray> before = readRegistry(script);
        const std::optional<QStringList> lines = StartupScript::read();
        if (!before || !lines) {
            undo.run();
            return false;
        }
        // Its first word is the program inside the folder, the others its
        // arguments ("daemon.sh start"), each written as one word.
        QStringList words = desktop.autorun.split(QRegularExpression(QStringLiteral("[ \\t]+")), Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            undo.run();
            return false;
        }
        words.first() = folder + u'/' + words.first();
        const QList<StartupScript::Entry> present = StartupScript::entries(*lines);
        const bool held = std::any_of(present.begin(), present.end(), [&](const StartupScript::Entry& e) {
            return e.name == desktop.name && StartupScript::words(e.command.mid(e.enabled() ? 0 : 1)) == words;
        });
        if (!held
            && !StartupScript::rewrite(StartupScript::withEntryAdded(*lines, desktop.name, u'#' + words.first(),
                                                                     words.mid(1)))) {
            undo.run();
            return false;
        }
        if (!held)
            undo.add([existed, old = *before, script] {
                // Its very bytes again, a last line without its line feed
                // included.
                if (existed)
                    Shell::writeBytesThenMove(script + QStringLiteral(".new"), script, old);
                else
                    Shell::run(QStringLiteral("rm -f %1"), script);
            });
    }

    // The record, appended and the registry tidied in one replacement of the
    // file: the registry is either the old one or the new one, never cut.
    const QString imeiLine = place.card ? Shell::readLines(progDir + "/IMEI").value(0) : QString();
    const QByteArray& old = place.card ? *cardRegistry : *phoneRegistry;
    const QByteArray text =
        RegistryText::cleanedBytes(old + AppRecord::record(place, desktop, id, imeiLine).toLatin1() + '\n');
    if (!Shell::writeThenMove(place.registryTemp, place.registry, QString::fromLatin1(text))) {
        undo.run();
        return false;
    }

    // The record names the folder now: it is an installed application's.
    Shell::run(QStringLiteral("rm -f %1"), folder + u'/' + marker);

    // The other registry is tidied as every installation does.
    const AppRecord::Place other = place.card ? AppRecord::phone() : AppRecord::card();
    pkgCleanRegistry(other.registry, other.registryTemp, place.card ? phoneRegistry : cardRegistry);
    return true;
}
