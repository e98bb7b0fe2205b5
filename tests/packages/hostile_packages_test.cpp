// The hostile-package table: each row a package made by the tar helper or by
// busybox tar, installed by the real program on the demo phone ("vardel x
// PACKAGE", dialogs answered by a script), and what must hold: refused with
// INSTALL_ERROR and every entry of the phone unchanged (bytes, mode, owner,
// link target), or installed with nothing changed but its own folders and
// the registrations. No canary outside the phone may appear.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QProcess>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#include "demophone.h"
#include "hostile.h"
#include "mpkg.h"
#include "qtprint.h"

namespace {

using TestMpkg::Member;
const QString package = "/mmc/mmca1/hostile.mpkg";
const QString refused = "This package cannot be installed. Nothing was changed.";
const QByteArray nul(1, '\0');
const QString phoneApps = "/ezxlocal/download/mystuff/.system/QTDownLoad/";
const QString registrations[] = {"/ezxlocal/download/appwrite/am/UserRegistry", "/mmc/mmca1/.system/java/CardRegistry",
                                 "/ezxlocal/download/appwrite/am/UserMenuTree", "/ezxlocal/download/mystuff/.autorun.csh"};

Member folder(const QByteArray& name) { return TestMpkg::folder(name); }
Member file(const QByteArray& name) { return TestMpkg::file(name, "x"); }
Member link(const QByteArray& name, const QByteArray& target) { return {name, {}, '2', target, 0777}; }
Member hard(const QByteArray& name, const QByteArray& target) { return {name, {}, '1', target, 0644}; }
Member special(const QByteArray& name, char type) { return {name, {}, type, {}, 0644}; }

// An application in folder top; its run script logs how it was started.
// The extra desktop lines come first, so they win over the defaults.
QList<Member> app(const QByteArray& name, const QByteArray& extra = "", const QList<Member>& more = {},
                  const QByteArray& top = "A")
{
    return QList<Member>{folder(top + "/"),
                         TestMpkg::file(top + "/a.desktop", "[Desktop Entry]\n" + extra + "Name = " + name +
                                                                "\nDirectory = " + top + "\nExec = run\n"),
                         TestMpkg::file(top + "/run", "#!/bin/sh\necho \"$0 $*\" >> /ezxlocal/started.log\n", 0755)} +
           more;
}

QList<Member> theme(const QByteArray& name, const QByteArray& skin, const QByteArray& extra = "",
                    const QList<Member>& more = {}, const QByteArray& top = "T")
{
    return QList<Member>{folder(top + "/"),
                         TestMpkg::file(top + "/t.desktop", "[Desktop Entry]\n" + extra + "ThemeName = " + name +
                                                                "\nFolder = " + skin + "\nWallPaper = w.png\n"),
                         folder(top + "/skin/"), TestMpkg::file(top + "/skin/w.png", "png")} +
           more;
}

// Shell for the rows packed by busybox tar: desk FOLDER NAME makes an
// application folder.
const char deskFunction[] = "desk() { mkdir -p \"$1\"; printf '[Desktop Entry]\\nName = %s\\nDirectory = %s\\nExec = run\\n' "
                            "\"$2\" \"$1\" > \"$1/a.desktop\"; printf '#!/bin/sh\\n' > \"$1/run\"; chmod 755 \"$1/run\"; }; ";

enum Outcome { Refused, Installed };

struct Row {
    const char* label;
    QList<Member> members;  // packed by the tar helper, or
    const char* recipe;     // a script making the package's folder here, packed by busybox tar
    Outcome outcome;
    QStringList answers = {};  // none: the place dialog's first entry
    QStringList changed = {};  // Installed: the new folders and files (and all below them)
};

// Every entry below the phone's root: kind and mode, owner, then the
// content's hash or the link's target.
using Snapshot = QMap<QString, QPair<QByteArray, QByteArray>>;
Snapshot snapshot(const QString& root)
{
    Snapshot entries;
    for (const auto& e : std::filesystem::recursive_directory_iterator(QFile::encodeName(root).toStdString())) {
        const QByteArray path = QByteArray::fromStdString(e.path().native());
        struct stat st {};
        ::lstat(path.constData(), &st);
        QByteArray content;
        if (S_ISLNK(st.st_mode))
            content = QByteArray::fromStdString(std::filesystem::read_symlink(e.path()).native());
        else if (S_ISREG(st.st_mode)) {
            QFile f(QFile::decodeName(path));
            content = f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5) : "?";
        }
        const QByteArray meta = QByteArray::number(st.st_mode, 8) + " " + QByteArray::number(st.st_uid) + ":" +
                                QByteArray::number(st.st_gid);
        entries.insert(QString::fromLatin1(path.mid(QFile::encodeName(root).size())), {meta, content});
    }
    return entries;
}

class HostilePackages : public DemoPhone {
protected:
    const Hostile::Canary canary;
    const QByteArray canaryPath = canary.path().toLatin1();

    void runTable(const QList<Row>& rows, const QStringList& options = {})
    {
        int count[2] = {0, 0};
        for (const Row& row : rows) {
            SCOPED_TRACE(row.label);
            // A folder A an earlier row should not have installed must not
            // hide what this row does.
            for (const QString& base : {phoneApps, QString("/mmc/mmca1/.system/QTDownLoad/")})
                std::filesystem::remove_all(QFile::encodeName(hostPath(base + "A")).toStdString());
            make(row);
            Snapshot before = snapshot(phone);
            const auto result = run({program, "x", package}, row.answers.isEmpty() ? QStringList{"check 0", "accept"} : row.answers, options);
            ASSERT_EQ(result.exitCode, 0) << result.output.constData();
            Snapshot after = snapshot(phone);
            const auto dialogs = eventsOf("dialog");
            EXPECT_EQ(!dialogs.isEmpty() && dialogs.last()["text"].toString() == refused, row.outcome == Refused);
            ++count[row.outcome];
            for (const QString& path : row.changed)
                EXPECT_TRUE(after.contains(path)) << path.toStdString();
            // Registrations change in content, never in mode or owner; what
            // lies in the new folders is new.
            if (row.outcome == Installed) {
                for (const QString& path : registrations)
                    before[path].second = after[path].second = "";
            }
            for (const QString& key : (before.keys() + after.keys())) {
                const bool isNew = std::any_of(row.changed.begin(), row.changed.end(), [&](const QString& p) {
                    return key == p || key.startsWith(p + "/") || key == "/themesetup.log" ||
                           key.contains("/QTDownLoad/vardel/history");
                });
                EXPECT_TRUE((row.outcome == Installed && isNew) || before.value(key) == after.value(key))
                    << "changed: " << key.toStdString();
            }
            EXPECT_FALSE(canary.fired());
        }
        std::cout << "hostile packages: " << rows.size() << " tried, " << count[Refused] << " refused, "
                  << count[Installed] << " installed harmlessly, canaries touched: " << int(canary.fired()) << "\n";
    }

    void make(const Row& row)
    {
        const QString host = hostPath(package);
        if (!row.recipe) {
            ASSERT_TRUE(TestMpkg::write(QFile::encodeName(host), row.members));
            return;
        }
        QTemporaryDir dir;
        QProcess sh;
        sh.setWorkingDirectory(dir.path());
        sh.start("/bin/busybox", {"sh", "-ec", deskFunction + QString(row.recipe) +
                                                   "; busybox tar -cf - * | busybox gzip -c > \"$0\"", host});
        ASSERT_TRUE(sh.waitForFinished() && sh.exitCode() == 0) << sh.readAllStandardError().constData();
    }
};

TEST_F(HostilePackages, ControlBytesInMemberNames)
{
    runTable({
        {"CR hides a link to the start-up script", app("Cr", "", {link("A/f", "/ezxlocal/download/mystuff/.autorun.csh"), file("A/f\r")}), nullptr, Refused},
        {"CR in a theme hides a link to the anti-theft settings", theme("Cr", "Cr", "", {link("T/skin/f", "/ezxlocal/download/appwrite/setup/ezx_zwardlex.cfg"), file("T/skin/f\r")}), nullptr, Refused},
        {"CR in a name (busybox tar)", {}, "desk A Cr; ln -s /ezxlocal/download/mystuff/.autorun.csh A/f; echo x > \"$(printf 'A/f\\r')\"", Refused},
        {"tab in a name (busybox tar)", {}, "desk A Tab; echo x > \"$(printf 'A/t\\tx')\"", Refused},
        {"escape sequence in a name", app("Esc", "", {file("A/\x1b[2Kx")}), nullptr, Refused},
        {"DEL in a name", app("Del", "", {file("A/d\x7f")}), nullptr, Refused},
        {"line feed in a name", app("Lf", "", {file("A/l\n-rw-r--r-- root/root 1 2026-03-01 10:00:00 A/x")}), nullptr, Refused},
        {"control byte in a link target", app("Tgt", "", {link("A/l", "run\r")}), nullptr, Refused},
    });
}

TEST_F(HostilePackages, ControlBytesInDesktopValues)
{
    runTable({
        {"Name Vardel NUL", app("Vardel" + nul + "x"), nullptr, Refused},
        {"Name Pocket Notes NUL", app("Pocket Notes" + nul + "x"), nullptr, Refused},
        {"Directory with NUL", app("Dir", "Directory = A" + nul + "x\n"), nullptr, Refused},
        {"Exec with NUL", app("Exec", "Exec = run" + nul + "; touch /ezxlocal/ran\n"), nullptr, Refused},
        {"Icon with CR", app("Icon", "Icon = i\rpng\n"), nullptr, Refused},
        {"BigIcon with tab", app("Big", "BigIcon = b\tpng\n"), nullptr, Refused},
        {"AniIcon with escape", app("Ani", "AniIcon = a\x1bpng\n"), nullptr, Refused},
        {"Autorun with NUL", app("Auto", "Autorun = go.sh" + nul + " x\n"), nullptr, Refused},
        {"ThemeName Autumn NUL", theme("Autumn" + nul + "x", "NewSkin"), nullptr, Refused},
        {"Folder with DEL", theme("Del", "F\x7f"), nullptr, Refused},
        {"Author with a control byte", theme("Auth", "Auth", "Author = Ana\x01\n"), nullptr, Refused},
        {"event value with NUL", theme("Ev", "Ev", "MsgAlert = m.png" + nul + "../../x\n"), nullptr, Refused},
    });
}

TEST_F(HostilePackages, ThemeLinksAndTakenPlaces)
{
    runTable({
        {"skin link to the anti-theft settings after the move", theme("Setup", "Setup", "", {link("setup/skin/msg.png", "../../setup/ezx_zwardlex.cfg"), file("setup/ezx_zwardlex.cfg")}, "setup"), nullptr, Refused},
        {"skin link to the menu tree after the move", theme("Am", "Am", "", {link("am/skin/t.png", "../../am/UserMenuTree"), file("am/UserMenuTree")}, "am"), nullptr, Refused},
        {"skin hard link", theme("Hard", "Hard", "", {hard("T/skin/b.png", "T/skin/w.png")}), nullptr, Refused},
        {"skin link to its own picture (busybox tar)", {}, "mkdir -p T/skin; printf '[Desktop Entry]\\nThemeName = L\\nFolder = L\\n' > T/t.desktop; echo p > T/skin/w.png; ln -s w.png T/skin/l.png", Refused},
        {"application and theme with a link", app("Both", "ThemeName = Both\nFolder = Both\n", {link("A/l", "run")}), nullptr, Refused},
        {"Folder of the card's Autumn, to the card", theme("Evil", "Autumn"), nullptr, Refused, {"check 1", "accept"}},
        {"ThemeName of an installed theme", theme("Ocean Blue", "NewBlue"), nullptr, Refused},
        {"Folder Autumn, to phone memory, where it is free", theme("Evil", "Autumn"), nullptr, Installed, {},
         {"/ezxlocal/download/appwrite/skins/Autumn", "/ezxlocal/download/appwrite/setuptheme/Evil.chm"}},
    });
}

TEST_F(HostilePackages, BrenikThemePlaces)
{
    write("/usr/data_resource/brenik.tmp", "");
    runTable({
        {"Folder Alkali", theme("Evil", "Alkali"), nullptr, Refused, {"yes", "accept"}},
        {"Folder Graphite", theme("Evil", "Graphite"), nullptr, Refused, {"yes", "accept"}},
        {"skin link", theme("Link", "Link", "", {link("T/skin/l", "w.png")}), nullptr, Refused, {"yes", "accept"}},
        {"a new folder", theme("Fresh", "Fresh"), nullptr, Installed, {"yes", "accept"},
         {"/usr/data_resource/skin/Fresh", "/usr/data_resource/theme/Fresh.phm"}},
    }, {"--brenik"});
}

TEST_F(HostilePackages, WhatAlreadyHeld)
{
    runTable({
        {"absolute member", app("Abs", "", {file(canaryPath)}), nullptr, Refused},
        {"dot-dot member", app("Dots", "", {file("A/../../../../../.." + canaryPath)}), nullptr, Refused},
        {"absolute link", app("AbsLink", "", {link("A/l", "/ezxlocal/download/appwrite/setup")}), nullptr, Refused},
        {"link chain out (busybox tar)", {}, "desk A Chain; ln -s b A/a; ln -s ../.. A/b", Refused},
        {"link made through a link", app("Through", "", {link("A/s", "."), link("A/t", "s/..")}), nullptr, Refused},
        {"file written through a link", app("Via", "", {link("A/s", "../../ezxlocal"), file("A/s/x")}), nullptr, Refused},
        {"hard link to a link", app("HardLink", "", {folder("A/d/"), link("A/d/s", "../run"), hard("A/h", "A/d/s")}), nullptr, Refused},
        {"hard link to nothing", app("HardNone", "", {hard("A/h", "A/missing")}), nullptr, Refused},
        {"FIFO", app("Fifo", "", {special("A/p", '6')}), nullptr, Refused},
        {"FIFO (busybox tar)", {}, "desk A Fifo; mkfifo A/p", Refused},
        {"device", app("Dev", "", {special("A/d", '3')}), nullptr, Refused},
        {"two top-level folders", app("Two") + QList<Member>{file("B/x")}, nullptr, Refused},
        {"Directory not the folder", app("NotDir", "Directory = PocketNotes\n"), nullptr, Refused},
        {"Directory empty", app("NoDir", "Directory = \n"), nullptr, Refused},
        {"cut short", {}, "desk A Cut; busybox tar -cf - A | busybox gzip -c | head -c 100 > \"$0\"; exit 0", Refused},
        {"not gzip", {}, "desk A Plain; busybox tar -cf \"$0\" A; exit 0", Refused},
    });
}

TEST_F(HostilePackages, HarmlessPackagesInstall)
{
    runTable({
        {"links inside its folder (busybox tar)", {}, "desk L Linked; ln -s run L/start; mkdir L/d; ln -s ../run L/d/r; ln L/run L/run2", Installed, {}, {phoneApps + "L"}},
        {"to the card", app("Card App"), nullptr, Installed, {"check 1", "accept"}, {"/mmc/mmca1/.system/QTDownLoad/A"}},
        {"Latin-1 and UTF-8 bytes in the name", app("Jos\xe9 \xc3\xa9", "", {}, "J"), nullptr, Installed, {}, {phoneApps + "J"}},
    });
}

} // namespace

namespace {

class HostileRecords : public HostilePackages {
protected:
    // The row of the applications list showing the name, by the window's dump.
    int rowOf(const QString& name)
    {
        run({program}, {"dump"});
        const QJsonArray rows = eventsOf("dump").value(0)["rows"].toArray();
        for (int i = 0; i < rows.size(); ++i) {
            if (rows[i].toArray()[0].toString() == name)
                return i;
        }
        return -1;
    }
    void removeApp(const QString& name, const QStringList& sandboxOptions = {})
    {
        const int row = rowOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        run({program}, {"current " + QString::number(row), "menu 0", "yes"}, sandboxOptions);
    }
};

TEST_F(HostileRecords, StartAndRemovalTakeExactlyTheirRecord)
{
    const QString& phoneRegistry = registrations[0];
    const QString& cardRegistry = registrations[1];
    // Exec with arguments: one word each, none of them run.
    ASSERT_TRUE(TestMpkg::write(QFile::encodeName(hostPath(package)),
                                app("Args", "Exec = run -f $HOME ; `touch " + canaryPath + "`\n", {}, "Args")));
    run({program, "x", package}, {"check 0", "accept"});
    run({program}, {"activate " + QString::number(rowOf("Args"))});
    EXPECT_EQ(read("/ezxlocal/started.log"), phoneApps.toLatin1() + "Args/run -f $HOME ; `touch " + canaryPath + "`\n");

    // A Name holding "Visible" leaves nothing behind.
    const QByteArray registries = read(phoneRegistry) + read(cardRegistry) + read(registrations[2]);
    ASSERT_TRUE(TestMpkg::write(QFile::encodeName(hostPath(package)), app("Visible Man", "", {}, "Vis")));
    run({program, "x", package}, {"check 0", "accept"});
    removeApp("Visible Man");
    EXPECT_EQ(read(phoneRegistry) + read(cardRegistry) + read(registrations[2]), registries);

    // A record without its Visible line: the next one stays whole.
    const QByteArray card = read(cardRegistry);
    const qsizetype tile = card.indexOf("[", card.indexOf("Name = Sky Atlas"));
    const QByteArray tileRecord = card.mid(tile, card.indexOf("\n[", tile) - tile);
    write(cardRegistry, QByteArray(card).remove(card.indexOf("Visible", card.indexOf("Name = Sky Atlas")), 12));
    removeApp("Sky Atlas");
    EXPECT_FALSE(read(cardRegistry).contains("Sky Atlas"));
    EXPECT_TRUE(read(cardRegistry).contains(tileRecord)) << read(cardRegistry).constData();

    // A record named "Vardel" and a NUL is another row; removing it leaves
    // the program's own record and folder.
    write(phoneApps + "Evil/run", "#!/bin/sh\n");
    write(phoneRegistry, read(phoneRegistry) + "\n[10000000-0000-0000-0000-990101000000]\nAppID = "
                         "{10000000-0000-0000-0000-990101000000}\nDirectory = ../../" + phoneApps.toLatin1() +
                         "Evil\nExec = run\nName = Vardel" + nul + "x\nVisible = 0\n");
    EXPECT_NE(rowOf("Vardel"), rowOf(QStringLiteral("Vardel") + QChar(0) + "x"));
    removeApp(QStringLiteral("Vardel") + QChar(0) + "x");
    EXPECT_FALSE(read(phoneRegistry).contains("Vardel" + nul));
    EXPECT_TRUE(read(phoneRegistry).contains("\nName = Vardel\n"));
    EXPECT_NE(read(program), "<missing>");
    EXPECT_EQ(read(phoneApps + "Evil/run"), "<missing>");

    // A registry that cannot be written (a full card) is not reported removed.
    const QByteArray fullCard = read(cardRegistry);
    removeApp("Radio Log", {"--card-free", "0"});
    EXPECT_TRUE(eventsOf("notice").isEmpty());
    EXPECT_EQ(read(cardRegistry), fullCard);
    EXPECT_NE(read("/mmc/mmca1/.system/QTDownLoad/RadioLog/radiolog"), "<missing>");
    EXPECT_FALSE(canary.fired());
}

} // namespace
