// Packages end to end: the real program on the demo phone, started the way
// the phone starts it for a package, then as the window, answered by
// automation scripts.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "demophone.h"
#include "qtprint.h"

namespace {

const QString packages = "/ezxlocal/download/mystuff/Packages/";
const QString cardRegistry = "/mmc/mmca1/.system/java/CardRegistry";
const QString phoneRegistry = "/ezxlocal/download/appwrite/am/UserRegistry";
const QString menuTree = "/ezxlocal/download/appwrite/am/UserMenuTree";

using PackagesOnDemoPhone = DemoPhone;

TEST_F(PackagesOnDemoPhone, InstallsListsAndRemovesAnApplication)
{
    const QByteArray card = read(cardRegistry);
    const QByteArray phoneApps = read(phoneRegistry);
    const QByteArray menu = read(menuTree);
    const QByteArray script = read("/ezxlocal/download/mystuff/.autorun.csh");

    // A new application, to the card.
    auto result = run({program, "x", packages + "OrbitSnake.mpkg"}, {"check 1", "accept"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    QByteArray id;
    for (const QByteArray& line : read(menuTree).split('\n')) {
        if (line.startsWith("Items = ") && !menu.contains(line))
            id = line.mid(8, 36);
    }
    ASSERT_EQ(id.size(), 36) << read(menuTree).constData();
    const QByteArray dir = "/mmc/mmca1/.system/QTDownLoad/OrbitSnake/";
    // No IMEI file yet (no window was ever opened): its empty line went with the clean-up.
    EXPECT_EQ(read(cardRegistry),
              card + "\n[" + id + "]\nAppID = {" + id + "}\nAniIcon = " + dir + "snake_ani.png\nArgs = \n"
              "Attribute = 1\nBigIcon = " + dir + "snake_big.png\nDaemon = 0\n"
              "Directory = ../../mmc/mmca1/.system/QTDownLoad/OrbitSnake\nExec = orbitsnake\n"
              "FixedAllPosition = 0\nFixedPosition = 0\nGroupID = ezx\nIcon = " + dir + "snake_usr.png\n"
              "LockEnabled = 0\nMassStorageStatus = 1\nName = Orbit Snake\nType = 2\nUserID = root\nVisible = 0\n");
    EXPECT_EQ(read(phoneRegistry), phoneApps);
    EXPECT_EQ(read("/ezxlocal/download/mystuff/.autorun.csh"),
              script + "#Orbit Snake\n#" + dir + "autostart.sh\n\n");
    EXPECT_NE(read(dir + "orbitsnake"), "<missing>");
    EXPECT_FALSE(QFile::exists(hostPath("/mmc/mmca1/.system/tempmpkg")));
    EXPECT_TRUE(commands().contains("busybox killall am"));
    const QByteArray afterInstall = read(cardRegistry);

    // Installed already; a package cut short.
    const struct {
        QString package;
        QString text;
    } refused[] = {
        {packages + "PocketNotes.mpkg", "This application is already installed."},
        {"/mmc/mmca1/mpkg/Broken.mpkg", "This package cannot be installed. Nothing was changed."},
    };
    for (const auto& r : refused) {
        result = run({program, "x", r.package}, {"accept"});
        ASSERT_EQ(result.exitCode, 0) << result.output.constData();
        ASSERT_EQ(eventsOf("dialog").size(), 1) << r.package.toStdString();
        EXPECT_EQ(eventsOf("dialog")[0]["text"].toString(), r.text);
        EXPECT_EQ(read(cardRegistry), afterInstall);
        EXPECT_FALSE(QFile::exists(hostPath("/mmc/mmca1/.system/tempmpkg")));
    }

    // The window lists it on the card; removing it leaves the registries
    // and the menu tree as they were before.
    result = run({program}, {"dump", "current 2", "menu 0", "yes", "dump"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    const auto dumps = eventsOf("dump");
    ASSERT_EQ(dumps.size(), 2);
    EXPECT_EQ(dumps[0]["rows"].toArray()[2].toArray(), (QJsonArray{"Orbit Snake", "Memory card"}));
    EXPECT_EQ(dumps[0]["current"].toInt(), 0);
    EXPECT_EQ(dumps[1]["rows"].toArray().size(), dumps[0]["rows"].toArray().size() - 1);
    EXPECT_EQ(eventsOf("notice")[0]["text"].toString(), "Orbit Snake has been removed.");
    EXPECT_EQ(read(cardRegistry), card);
    EXPECT_EQ(read(phoneRegistry), phoneApps);
    EXPECT_EQ(read(menuTree), menu);
    EXPECT_FALSE(QFile::exists(hostPath(dir)));
}

// Two packages tapped one after the other: two installs at the same moment,
// each with its own transcript. Each is told what happened to its own
// package, and both are installed.
TEST_F(PackagesOnDemoPhone, TwoInstallsAtOnceEachInstallTheirOwnPackage)
{
    const QString a = work.filePath("a.jsonl"), b = work.filePath("b.jsonl");
    const auto result = run({"/bin/sh", "-c",
                             "cd /tmp && busybox gzip -c -d \"$1\" | busybox tar -x -f - && mv OrbitSnake OrbitTwin && "
                             "sed -i 's/^Name = .*/Name = Orbit Twin/; s/^Directory = .*/Directory = OrbitTwin/' "
                             "OrbitTwin/*.desktop && busybox tar -c -f - OrbitTwin | busybox gzip > \"$2\" || exit 9\n"
                             "EZX_TRANSCRIPT=\"$3\" \"$0\" x \"$1\" & EZX_TRANSCRIPT=\"$4\" \"$0\" x \"$2\" & wait",
                             program, packages + "OrbitSnake.mpkg", packages + "OrbitTwin.mpkg", a, b},
                            {"check 0"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    for (const auto& [transcript, name] : {std::pair{a, QString("Orbit Snake")}, std::pair{b, QString("Orbit Twin")}}) {
        QFile f(transcript);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray told = f.readAll();
        EXPECT_TRUE(told.contains("\"" + name.toLatin1() + " installed successfully.\"")) << told.constData();
        EXPECT_FALSE(told.contains("Nothing was changed.")) << told.constData();
        EXPECT_TRUE(read(phoneRegistry).contains("Name = " + name.toLatin1() + "\n"));
        EXPECT_TRUE(read("/ezxlocal/download/mystuff/.autorun.csh").contains("#" + name.toLatin1() + "\n"));
    }
}

// The install entry of the applications and themes menus: the search offers
// the demo phone's packages, and the lists show what the chosen one brought.
// Every operation leaves the lists it can change as a fresh start builds them,
// with the row the user was on, or the one just added ("*"), current.
TEST_F(PackagesOnDemoPhone, EachOperationReloadsTheListsItChangesWithTheHighlightWhereTheUserWas)
{
    const struct {
        int tab;
        QString package;
        QList<std::pair<int, QString>> shown; // tab, first line of a row it must show ("-": must not)
        QStringList steps = {"menu 1", "check %1", "check 0"};
    } cases[] = {
        {0, "OrbitSnake.mpkg", {{0, "*Orbit Snake"}, {1, "*Orbit Snake"}}}, // with its start-up entry
        {4, "Lagoon.mpkg", {{4, "*Lagoon"}}},
        {0, "", {{0, "-Radio Log"}, {1, "-Radio Log"}}, {"current 3", "menu 0", "yes"}}, // its start-up entry too
        {1, "", {{1, "*Zed"}}, {"menu 0", "file /ezxlocal/download/mystuff/scripts/swap.sh", "text Zed"}},
        {1, "", {{0, "*Pocket Notes"}, {1, "*Radio Log"}}, // a language chosen
         {"tab 0", "current 2", "tab 1", "current 4", "menu 3", "check 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.package.toStdString() + " from tab " + std::to_string(c.tab) + ": "
                     + c.steps.join(", ").toStdString());
        ASSERT_TRUE(QDir(phone).removeRecursively());
        SetUp(); // a fresh demo phone
        auto result = run({program}, {"menu 1", "reject"});
        ASSERT_EQ(result.exitCode, 0) << result.output.constData();
        ASSERT_EQ(eventsOf("dialog", "ZSingleSelectDlg").size(), 1);
        const QJsonArray offered = eventsOf("dialog", "ZSingleSelectDlg")[0]["entries"].toArray();
        const int index = int(offered.toVariantList().indexOf(c.package));
        ASSERT_TRUE(index >= 0 || c.package.isEmpty()) << "not offered";

        const QStringList script = QStringList{QString("tab %1").arg(c.tab)}
                                   + QStringList(c.steps).replaceInStrings("%1", QString::number(index));
        QStringList looks;
        for (const auto& [tab, row] : c.shown)
            looks << QString("tab %1").arg(tab) << "dump";
        result = run({program}, script + looks);
        ASSERT_EQ(result.exitCode, 0) << result.output.constData();
        EXPECT_TRUE(eventsOf("error").isEmpty()) << result.output.constData();
        const auto dumps = eventsOf("dump");
        ASSERT_EQ(dumps.size(), c.shown.size());
        run({program}, looks);
        for (int i = 0; i < dumps.size(); ++i) {
            EXPECT_EQ(dumps[i]["rows"], eventsOf("dump").value(i)["rows"]) << "tab " << c.shown[i].first;
            QStringList firstLines;
            for (const QJsonValue& row : dumps[i]["rows"].toArray())
                firstLines << row.toArray()[0].toString();
            const QString row = c.shown[i].second.mid(1);
            EXPECT_EQ(firstLines.contains(row), c.shown[i].second[0] != u'-') << firstLines.join(", ").toStdString();
            if (c.shown[i].second[0] == u'*') {
                EXPECT_EQ(firstLines.value(dumps[i]["current"].toInt()), row);
            }
        }
    }
}

} // namespace
