// The fault table: each operation of the program under each fault that
// means something for it (a full, nearly full, read-only or missing card, a
// full or nearly full phone memory, its file unreadable, a folder, or not
// replaceable), run by the real program on a fresh demo phone. After each
// run: no success told unless the phone is as a run without the fault
// leaves it; every entry of the phone as before or as that run leaves it;
// once the fault is lifted, a retry leaves the phone as that run does.
// Then the planted-fault cases, each with what must hold.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <iostream>

#include "faultphone.h"
#include "history/journal.h"
#include "mpkg.h"
#include "qtprint.h"
#include "sandbox.h"

namespace {

using namespace Faults;

const QString am = "/ezxlocal/download/appwrite/am/";
const QStringList cardFaults{"full card", "nearly full card", "read-only card", "no card"};
const QStringList phoneFaults{"full phone memory", "nearly full phone memory"};
const QStringList fileFaults{"target unreadable", "target a folder"};
const QString progDir = "/ezxlocal/download/mystuff/.system/QTDownLoad/vardel/", script = "/ezxlocal/download/mystuff/.autorun.csh";
const QString skins = "/ezxlocal/download/appwrite/skins/", setuptheme = "/ezxlocal/download/appwrite/setuptheme/";

class FaultTable : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    int runs = 0, files = 0, falseSuccesses = 0, cut = 0, blocked = 0;

    Operation op(const QString& name)
    {
        for (const Operation& o : operations()) {
            if (o.name == name)
                return o;
        }
        ADD_FAILURE() << "no operation " << name.toStdString();
        return {};
    }

    void table(const QList<QPair<QString, QStringList>>& rows)
    {
        for (const auto& [name, faults] : rows) {
            const Operation o = op(name);
            SCOPED_TRACE(name.toStdString());
            const Phone reference(freshPhone(dir.path(), "reference"));
            if (o.prepare)
                o.prepare(reference);
            const Faults::Run done = run(reference, o);
            ASSERT_TRUE(o.success.isEmpty() || claimed(done, o)) << done.told.join(" | ").toStdString();
            const Snapshot whole = reference.snapshot();
            for (const QString& faultName : faults)
                check(o, fault(faultName), whole);
        }
        std::cout << "fault table: " << runs << " runs, " << files << " files checked, false successes: "
                  << falseSuccesses << ", files emptied or cut: " << cut << ", blocked retries: " << blocked << "\n";
    }

    void check(const Operation& o, const Fault& f, const Snapshot& whole)
    {
        SCOPED_TRACE(f.name.toStdString());
        const Phone phone(freshPhone(dir.path(), "faulty"));
        if (o.prepare)
            o.prepare(phone);
        applyFault(phone, o, f);
        const Snapshot old = phone.snapshot();
        const Faults::Run faulty = run(phone, o, f.options);
        const Snapshot now = phone.snapshot();
        ++runs;
        files += int(now.size());

        const QStringList neither = neitherOldNorNew(old, whole, now);
        cut += int(neither.size());
        EXPECT_TRUE(neither.isEmpty()) << "neither old nor new: " << neither.join(", ").toStdString();
        const QStringList missing = differences(now, whole);
        const bool falseSuccess = claimed(faulty, o) && !missing.isEmpty();
        falseSuccesses += falseSuccess;
        EXPECT_FALSE(falseSuccess) << "told " << faulty.told.join(" | ").toStdString() << "; differs: "
                                   << missing.join(", ").toStdString();
        // No success told: the phone as it was, but for scratch files and the
        // IMEI a start records (else a missing rollback hides behind the retry).
        static const QRegularExpression scratch("^" + progDir + "(tempdesktop|TempApps2?|tempID|skintemp|ltemp|IMEI)$|"
                                                "^/mmc/mmca1/.system/tempmpkg(/|$)");
        QStringList changed = differences(old, now);
        changed.removeIf([](const QString& path) { return scratch.match(path).hasMatch(); });
        EXPECT_TRUE(o.success.isEmpty() || claimed(faulty, o) || changed.isEmpty())
            << "no success told, yet changed: " << changed.join(", ").toStdString();
        if (missing.isEmpty())
            return;

        liftFault(phone, o, f);
        const Faults::Run again = retry(phone, o);
        ++runs;
        const QStringList left = differences(phone.snapshot(), whole);
        blocked += !left.isEmpty();
        EXPECT_TRUE(left.isEmpty()) << "after a retry: " << left.join(", ").toStdString() << "; told "
                                    << again.told.join(" | ").toStdString();
    }
};

TEST_F(FaultTable, Installers)
{
    table({
        {"install to phone memory", cardFaults + phoneFaults + fileFaults + QStringList{"target not replaceable"}},
        {"install to the card", cardFaults + phoneFaults + fileFaults},
        {"theme to phone memory", cardFaults + phoneFaults + QStringList{"target unreadable"}},
        {"theme to the card", cardFaults + phoneFaults + QStringList{"target unreadable"}},
        {"theme on Brenik firmware", cardFaults + phoneFaults},
    });
}

TEST_F(FaultTable, Removals)
{
    table({
        {"remove a phone application", QStringList{"no card"} + phoneFaults + fileFaults + QStringList{"target not replaceable"}},
        {"remove a card application", cardFaults + phoneFaults + fileFaults},
        {"remove a card theme", cardFaults + phoneFaults + QStringList{"target unreadable"}},
    });
}

TEST_F(FaultTable, WindowOperations)
{
    table({
        {"autorun add", phoneFaults + fileFaults},
        {"autorun switch", phoneFaults + fileFaults},
        {"autorun remove", phoneFaults + fileFaults},
        {"picker", phoneFaults + fileFaults},
        {"flag switch", phoneFaults + fileFaults},
        {"equalizer", phoneFaults + fileFaults},
        {"font", phoneFaults + fileFaults},
        {"password", phoneFaults + fileFaults},
        {"guard switch", phoneFaults},
        {"numbers", phoneFaults + fileFaults},
    });
}

// Faults once planted in the program that no test noticed, and two cases
// that held only by luck: each must fail a row here.
TEST_F(FaultTable, PlantedFaults)
{
    const QString base = "/ezxlocal/download/mystuff/.system/QTDownLoad";
    const auto record = [](const QString& id, const QString& name, const QString& directory) {
        return "\n[" + id + "]\nAppID = {" + id + "}\nDirectory = ../.." + directory + "\nExec = run\nName = " + name +
               "\nVisible = 0\n";
    };
    const auto addRecords = [&](const Phone& p, const QString& records) {
        p.write(am + "UserRegistry", p.read(am + "UserRegistry") + records.toLatin1());
    };
    const auto kept = [](const Phone& p, const QString& path) {
        return p.exists(path) ? QString() : path + " was removed";
    };

    Operation outside{"removal outside the bases", {}, {}, {}, {}};
    outside.tab = 0;
    outside.row = "Aaa Outside";
    outside.prepare = [&](const Phone& p) {
        addRecords(p, record("10000000-0000-0000-0000-990101000001", "Aaa Outside", base + "2/Outside"));
        p.write(base + "2/Outside/run", "#!/bin/sh\n");
    };
    outside.check = [&](const Phone& p, const Faults::Run&) { return kept(p, base + "2/Outside/run"); };

    Operation throughLink = outside;
    throughLink.name = "removal through a link";
    throughLink.row = "Aab Linked";
    throughLink.prepare = [&](const Phone& p) {
        addRecords(p, record("10000000-0000-0000-0000-990101000002", "Aab Linked", base + "/Link/Settings"));
        p.write("/ezxlocal/download/appwrite/Settings/keep", "x");
        QFile::link("/ezxlocal/download/appwrite", p.host(base + "/Link"));
    };
    throughLink.check = [&](const Phone& p, const Faults::Run&) { return kept(p, "/ezxlocal/download/appwrite/Settings/keep"); };

    Operation foo = outside;
    foo.name = "Foo removed, Foobar kept";
    foo.row = "Foo";
    foo.prepare = [&](const Phone& p) {
        addRecords(p, record("10000000-0000-0000-0000-99010100000", "Foo", base + "/Foo") +
                          record("10000000-0000-0000-0000-990101000003", "Foobar", base + "/Foobar"));
        for (const char* app : {"Foo", "Foobar"})
            p.write(base + "/" + app + "/run", "#!/bin/sh\n");
        p.write("/ezxlocal/download/mystuff/.autorun.csh",
                ("#Foo\n" + base + "/Foo/run\n#Foobar\n" + base + "/Foobar/run\n").toLatin1());
        const QByteArray menu = p.read(am + "UserMenuTree");
        p.write(am + "UserMenuTree", QByteArray(menu).replace("Items = 10000000", "Items = 10000000-0000-0000-0000-99010100000;"
                                                                                  "10000000-0000-0000-0000-990101000003;10000000"));
    };
    foo.check = [&](const Phone& p, const Faults::Run&) {
        QStringList wrong;
        if (p.read(am + "UserRegistry").contains("\nName = Foo\n"))
            wrong << "Foo's record stayed";
        for (const QByteArray& part : {QByteArray("[10000000-0000-0000-0000-990101000003]\nAppID"), QByteArray("Name = Foobar\n")})
            if (!p.read(am + "UserRegistry").contains(part))
                wrong << "Foobar's record lost " + part;
        if (!p.read("/ezxlocal/download/mystuff/.autorun.csh").contains("#Foobar\n" + (base + "/Foobar/run\n").toLatin1()))
            wrong << "Foobar's start-up entry lost";
        if (!p.read(am + "UserMenuTree").contains("10000000-0000-0000-0000-990101000003;"))
            wrong << "Foobar's menu entry lost";
        wrong << kept(p, base + "/Foobar/run");
        wrong.removeAll(QString());
        return wrong.join("; ");
    };

    Operation cutTar{"a valid gzip around a tar cut short", {"x", "/ezxlocal/download/mystuff/Packages/cut.mpkg"},
                     {"check 0", "accept"}, "installed successfully", {}};
    cutTar.prepare = [](const Phone& p) {
        QByteArray data(64 * 1024, 'd');
        const QByteArray tar = TestMpkg::tar({TestMpkg::folder("Cut/"),
                                              TestMpkg::file("Cut/a.desktop", "[Desktop Entry]\nName = Cut\nDirectory = Cut\nExec = run\n"),
                                              TestMpkg::file("Cut/run", "#!/bin/sh\n", 0755), TestMpkg::file("Cut/data", data)});
        QProcess gzip;
        gzip.setStandardOutputFile(p.host("/ezxlocal/download/mystuff/Packages/cut.mpkg"));
        QDir().mkpath(p.host("/ezxlocal/download/mystuff/Packages"));
        gzip.start("/bin/busybox", {"gzip", "-c"});
        gzip.write(tar.left(tar.size() / 2));
        gzip.closeWriteChannel();
        gzip.waitForFinished();
    };
    cutTar.check = [](const Phone&, const Faults::Run& r) {
        QStringList wrong;
        if (!r.told.contains("This package cannot be installed. Nothing was changed."))
            wrong << "not refused: " + r.told.join(" | ");
        for (const QString& c : r.commands)
            if (c.contains("tar -xv"))
                wrong << "unpacked: " + c;
        return wrong.join("; ");
    };

    Operation imsi{"IMSIs differing after the fifth digit", {"x", "WardLex"}, {}, {}, {}};
    imsi.prepare = [](const Phone& p) {
        p.write("/modem.ini", p.read("/modem.ini").replace("IMSI = 214070123456789", "IMSI = 214079999999999"));
    };
    imsi.check = [](const Phone& p, const Faults::Run&) {
        return p.read("/outbox.sms").size() > 0 && p.read("/outbox.sms") != "<missing>" ? QString()
                                                                                     : QString("no alert sent");
    };

    // What an installation killed half way leaves: its folder under its
    // own name and the staging one, its menu ID and its start-up entry.
    Operation leftovers = operations().first();
    leftovers.name = "an installation over what an interrupted one left";
    leftovers.prepare = [&, big = leftovers.prepare](const Phone& p) {
        big(p);
        p.write(base + "/BigApp/data.bin", "cut");
        p.write(base + "/BigApp/.vardel-installing", "");
        p.write(base + "/.BigApp.partial/data.bin", "cut");
        QFile::remove(p.host("/mmc/mmca1/.system/java/CardRegistry"));  // another card: none of its IDs
        const QByteArray menu = p.read(am + "UserMenuTree");
        p.write(am + "UserMenuTree", QByteArray(menu).replace("Items = 10000000", "Items = 10000000-0000-0000-0000-990101000004;10000000"));
        p.write("/ezxlocal/download/mystuff/.autorun.csh",
                p.read("/ezxlocal/download/mystuff/.autorun.csh") + "#Big App\n#" + (base + "/BigApp/start.sh\n").toLatin1());
    };
    leftovers.check = [&](const Phone& p, const Faults::Run& r) {
        QStringList wrong;
        if (!claimed(r, leftovers))
            wrong << "not installed: " + r.told.join(" | ");
        if (p.read(base + "/BigApp/data.bin").size() < 200 * 1024 || p.exists(base + "/.BigApp.partial"))
            wrong << "the leftovers stayed";
        if (!p.read(am + "UserMenuTree").contains("990101000004;") || !p.read(am + "UserMenuTree").contains("251122201005;"))
            wrong << "a menu ID no registry names was dropped";
        if (p.exists(base + "/BigApp/.vardel-installing"))
            wrong << "the marker stayed";
        if (p.read("/ezxlocal/download/mystuff/.autorun.csh").count("#Big App\n") != 1)
            wrong << "the start-up entry twice";
        return wrong.join("; ");
    };

    Operation handCopied = operations().first();
    handCopied.name = "a folder copied by hand (no record, no marker) where the package goes: refused";
    handCopied.prepare = [&, big = handCopied.prepare](const Phone& p) { big(p); p.write(base + "/BigApp/mine", "own"); };
    handCopied.check = [&](const Phone& p, const Faults::Run& r) {
        return !claimed(r, handCopied) && p.read(base + "/BigApp/mine") == "own" ? QString() : "taken";
    };

    // Skin folders another descriptor names, in another spelling or with a
    // staging name; the firmware's descriptor folder missing.
    const auto themeKept = [&](const QString& name, const QString& skin) {
        Operation o = operations()[2];
        o.name = name;
        const QString kept = QString(skin).replace("//", "/") + "/other.png";
        o.prepare = [skin, kept, lagoon = o.prepare](const Phone& p) {
            lagoon(p), QDir(p.host("/usr/data_resource/theme")).removeRecursively(), p.write(kept, "other");
            p.write(setuptheme + "Other.chm", "[THEME_CONFIG_TABLE]\nThemeName = Other\nSkin = " + skin.toLatin1() + "\n");
        };
        o.check = [o, kept](const Phone& p, const Faults::Run& r) { return !claimed(r, o) && p.read(kept) == "other" ? QString() : "taken"; };
        return o;
    };
    const Operation spelled = themeKept("a skin folder named in another spelling", skins + "/Lagoon/");
    const Operation staged = themeKept("a skin folder of a staging name", skins + ".Lagoon.partial");

    Operation update = operations()[2];
    update.name = "a theme installed again is updated";
    update.prepare = [&, lagoon = update.prepare](const Phone& p) {
        lagoon(p), run(p, operations()[2]), p.write(skins + "Lagoon/old.png", "old");
    };
    update.check = [&](const Phone& p, const Faults::Run& r) {
        return claimed(r, update) && !p.exists(skins + "Lagoon/old.png") && !p.exists(skins + ".Lagoon.previous")
                   ? QString() : "the old folder kept";
    };

    // Files that are not files, and a language file lacking texts (they
    // come from the English one): the window opens all the same.
    Operation notFiles{"registries and script that are no files", {}, {"tab 1", "dump"}, {}, {}};
    notFiles.prepare = [](const Phone& p) {
        QFile::remove(p.host(am + "UserRegistry")), ::mkfifo(QFile::encodeName(p.host(am + "UserRegistry")).constData(), 0644);
        for (const QString& path : {QString("/mmc/mmca1/.system/java/CardRegistry"), script})
            QFile::remove(p.host(path)), QFile::link("/dev/zero", p.host(path));
    };
    notFiles.check = [](const Phone& p, const Faults::Run& r) {
        return r.output.contains("Cron service") && !QFileInfo(p.host(am + "UserRegistry")).isFile() ? QString() : "rows " + r.output;
    };
    Operation language = notFiles;
    language.name = "a language file without the newer texts";
    language.prepare = [np = notFiles.prepare](const Phone& p) {
        np(p), p.write(progDir + "languages/xx.lng", "[VARDEL]\nLANG_NAME = X\n");
        p.write(progDir + "Vardel.cfg", p.read(progDir + "Vardel.cfg").replace("en.lng", "xx.lng"));
    };

    // An Autorun value with arguments runs as the words it holds.
    Operation arguments = operations().first();
    arguments.name = "a start-up entry with arguments";
    arguments.prepare = [](const Phone& p) {
        TestMpkg::write(QFile::encodeName(p.host("/ezxlocal/download/mystuff/Packages/big.mpkg")),
                        {TestMpkg::folder("A/"), TestMpkg::file("A/a.desktop", "[Desktop Entry]\nName = A\nDirectory = A\nAutorun = s go  now\n"),
                         TestMpkg::file("A/s", "#!/bin/sh\necho \"$1 $2\" > /ezxlocal/started\n", 0755)});
    };
    arguments.check = [](const Phone& p, const Faults::Run&) {
        const QByteArray line = p.read(script).split('\n').value(p.read(script).split('\n').indexOf("#A") + 1);
        return (TestSandbox::run(p.root, {"/bin/sh", "-c", QString::fromLatin1(line.mid(1))}, {}, 10000),
                p.read("/ezxlocal/started") == "go now\n") ? QString() : "ran: " + line;
    };

    for (const Operation& o : {outside, throughLink, foo, cutTar, imsi, leftovers, handCopied, spelled, staged, update,
                               notFiles, arguments, language}) {
        SCOPED_TRACE(o.name.toStdString());
        const Phone phone(freshPhone(dir.path(), "planted"));
        o.prepare(phone);
        const Faults::Run r = run(phone, o);
        ++runs;
        EXPECT_EQ(o.check(phone, r), QString()) << r.output.constData();
    }
    std::cout << "planted-fault cases: " << runs << " runs\n";
}

// History: each kind of change, undone through the window, leaves the phone
// byte for byte as it was before (the history folder aside), and the undo
// undone leaves it as after the change. Then what must change nothing: an
// outside edit in between, a wrong password while the guard is on, an entry
// over the limit; the oldest entry going at the limit; a history that cannot
// be kept; a kill during an undo.
TEST_F(FaultTable, Undo)
{
    const QString history = "/ezxlocal/download/mystuff/.system/QTDownLoad/vardel/history/";
    const QString alarm = "/ezxlocal/download/appwrite/setup/ezx_system.cfg";
    const QStringList undo{"menu 4", "check 0", "yes"};
    const auto window = [](const QStringList& script) { return Operation{"history", {}, script}; };
    // A phone with the change made: the state before it and after it.
    const auto changed = [&](const QString& name, const std::function<void(const Phone&)>& prepare = {}) {
        const Operation o = op(name);
        const Phone phone(freshPhone(dir.path(), "history"));
        if (o.prepare)
            o.prepare(phone);
        if (prepare)
            prepare(phone);
        run(phone, window({})); // the IMEI file every start writes
        const Snapshot before = phone.snapshot();
        run(phone, o);
        EXPECT_FALSE(differences(before, phone.snapshot()).isEmpty()) << name.toStdString();
        return std::tuple{phone, before, phone.snapshot()};
    };

    for (const QString name : {"picker", "autorun add", "install to phone memory", "theme to phone memory", "numbers"}) {
        SCOPED_TRACE(name.toStdString());
        const auto [phone, before, after] = changed(name);
        const Faults::Run undone = run(phone, window(undo));
        EXPECT_EQ(differences(before, phone.snapshot()), QStringList()) << undone.told.join(" | ").toStdString();
        run(phone, window(undo));
        EXPECT_EQ(differences(after, phone.snapshot()), QStringList());
    }

    {
        const auto [phone, before, after] = changed("picker");
        phone.write(alarm, phone.read(alarm) + "# edited by hand\n");
        const Snapshot edited = phone.snapshot();
        const Faults::Run refused = run(phone, window(undo));
        EXPECT_TRUE(refused.told.join('\n').contains("Not undone. This file has changed since:\n" + alarm + "\nchanged outside Vardel"))
            << refused.told.join(" | ").toStdString();
        EXPECT_EQ(differences(edited, phone.snapshot()), QStringList());
    }

    {
        const auto guardOn = [](const Phone& p) {
            const QString flag = "/ezxlocal/download/mystuff/.system/QTDownLoad/vardel/zWardlex";
            QFile::rename(p.host(flag + "1"), p.host(flag));
        };
        const auto [phone, before, after] = changed("numbers", guardOn);
        const Faults::Run wrong = run(phone, window({"menu 4", "check 0", "text wrong"}));
        EXPECT_TRUE(wrong.told.contains("Wrong password.")) << wrong.told.join(" | ").toStdString();
        EXPECT_EQ(differences(after, phone.snapshot()), QStringList());
        run(phone, window({"menu 4", "check 0", "text", "yes"}));
        EXPECT_EQ(differences(before, phone.snapshot()), QStringList());
    }

    {
        const Phone phone(freshPhone(dir.path(), "history"));
        QStringList script{"tab 2"};
        for (int i = 0; i < Journal::maxEntries + 1; ++i)
            script << "activate 0" << "number " + QString::number(4 + i % 2);
        run(phone, window(script));
        const QList<Journal::Entry> kept = Journal::parse(phone.read(history + "journal"));
        ASSERT_EQ(kept.size(), Journal::maxEntries);
        EXPECT_EQ(kept.first().id, 2);
        EXPECT_EQ(QDir(phone.host(history)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), Journal::maxEntries);
        // Over the size limit: kept as a change that cannot be undone.
        phone.write(alarm, phone.read(alarm) + "#" + QByteArray(Journal::maxBytes, 'x') + "\n");
        run(phone, window({"tab 2", "activate 0", "number 9"}));
        EXPECT_FALSE(Journal::parse(phone.read(history + "journal")).last().undoable);
        const Snapshot big = phone.snapshot();
        EXPECT_TRUE(run(phone, window(undo)).told.join('\n').contains("(cannot be undone)"));
        EXPECT_EQ(differences(big, phone.snapshot()), QStringList());
    }

    {
        // A history that cannot be kept: the change is made and told as always.
        const Phone plain(freshPhone(dir.path(), "plain"));
        const Faults::Run told = run(plain, op("password"));
        const Phone phone(freshPhone(dir.path(), "history"));
        phone.write(history.chopped(1), "not a folder");
        EXPECT_EQ(run(phone, op("password")).told, told.told);
        EXPECT_EQ(differences(plain.snapshot(), phone.snapshot()), QStringList());
        EXPECT_EQ(phone.read(history.chopped(1)), "not a folder");
    }

    {
        QElapsedTimer timer;
        const auto [reference, before, after] = changed("install to phone memory");
        timer.start();
        run(reference, window(undo));
        const qint64 took = timer.nsecsElapsed() / 1000;
        for (int k = 1; k < 7; ++k) {
            SCOPED_TRACE("undo killed after " + std::to_string(took * k / 7) + " us");
            const auto [phone, old, installed] = changed("install to phone memory");
            run(phone, window(undo), {}, int(took * k / 7));
            QStringList neither = neitherOldNorNew(installed, before, phone.snapshot());
            // Structured bindings are not captured by clang 14's lambdas.
            const Snapshot& was = before;
            const Snapshot& now = installed;
            neither.removeIf([&](const QString& path) { return !now.contains(path) && !was.contains(path); });
            EXPECT_EQ(neither, QStringList());
            EXPECT_FALSE(Journal::parse(phone.read(history + "journal")).isEmpty());
        }
    }
}

} // namespace
