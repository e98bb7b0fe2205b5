// Installation, the applications list, start and removal on a small phone
// inside the phone sandbox: real busybox, packages made by the tests, every
// dialog answered by an automation script, files checked byte for byte.

#include <gtest/gtest.h>

#include <functional>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

#include <ZApplication.h>
#include <ZAutomation.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>

#include "autorun/startupscript.h"
#include "hostile.h"
#include "mpkg.h"
#include "packages/desktopcheck.h"
#include "programtests.h"
#include "sandbox.h"
#include "shell/paths.h"
#include "shell/shellquote.h"
#include "vardel.h"

namespace {

QString programDir;
QString scratch;  // the scripts and transcripts of the tests

const QString phoneReg = "/ezxlocal/download/appwrite/am/UserRegistry";
const QString cardReg = "/mmc/mmca1/.system/java/CardRegistry";
const QString menuTree = "/ezxlocal/download/appwrite/am/UserMenuTree";
const QString userMime = "/ezxlocal/download/appwrite/am/UserMime";
const QString script = "/ezxlocal/download/mystuff/.autorun.csh";
const QString workDir = "/mmc/mmca1/.system/tempmpkg";
const QString phoneBase = "/ezxlocal/download/mystuff/.system/QTDownLoad";
const QString cardBase = "/mmc/mmca1/.system/QTDownLoad";
const QByteArray package = "/mmc/mmca1/pk/test.mpkg";

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

// A registry record in the tidy form, as the installer leaves it.
QByteArray record(const QByteArray& id, const QByteArray& name, const QByteArray& directory,
                  const QByteArray& exec = "run", const QByteArray& bigIcon = "")
{
    return "[" + id + "]\nAppID = {" + id + "}\nBigIcon = " + bigIcon + "\nDirectory = " + directory +
           "\nExec = " + exec + "\nName = " + name + "\nVisible = 0\n";
}

QByteArray desktop(const QByteArray& name, const QByteArray& directory, const QByteArray& extra = "")
{
    return "[Desktop Entry]\nName = " + name + "\nDirectory = " + directory + "\nExec = run\nIcon = usr.png\n"
           "BigIcon = big.png\n" + extra;
}

// An application package in folder `directory`, its Directory value that
// folder unless given.
QList<TestMpkg::Member> application(const QByteArray& name, const QByteArray& directory,
                                    const QByteArray& extra = "", const QByteArray& value = QByteArray())
{
    const QByteArray d = value.isNull() ? directory : value;
    return {TestMpkg::folder(directory + "/"), TestMpkg::file(directory + "/app.desktop", desktop(name, d, extra)),
            TestMpkg::file(directory + "/run", "#!/bin/sh\n", 0755), TestMpkg::file(directory + "/usr.png", "png")};
}

// Every file and folder of the phone's writable areas with its content.
QMap<QString, QByteArray> phoneFiles()
{
    QMap<QString, QByteArray> files;
    for (const QString& area : {QString("/ezxlocal"), QString("/mmc/mmca1")}) {
        QDirIterator it(area, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info = it.nextFileInfo();
            if (!info.filePath().startsWith(workDir))
                files.insert(info.filePath(), info.isDir() ? QByteArray("<dir>") : readBytes(info.filePath()));
        }
    }
    return files;
}

class Packages : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSandbox::inside());
        for (const QString& area : {QString("/ezxlocal"), QString("/mmc/mmca1")}) {
            for (const QFileInfo& e : QDir(area).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                e.isDir() && !e.isSymLink() ? (void)QDir(e.filePath()).removeRecursively() : (void)QFile::remove(e.filePath());
        }
        for (const QString& dir : {phoneBase, cardBase, QString("/mmc/mmca1/.system/java")})
            QDir().mkpath(dir);
        writeBytes(phoneReg, record("10000000-0000-0000-0000-260114093012", "Pocket Notes",
                                    "../../ezxlocal/download/mystuff/.system/QTDownLoad/PocketNotes"));
        writeBytes(cardReg, record("10000000-0000-0000-0000-260105080000", "My Tool",
                                   "../../mmc/mmca1/.system/QTDownLoad/MyTool"));
        writeBytes(menuTree, "[2a58c0d6-05c6-45aa-8938-63059d41a4e9]\nName = Apps\nItems = A;B;\n");
        writeBytes(script, "#Clock\n/bin/clock\n\n");
        writeBytes(programDir + "IMEI", "IMEI = 356938035643809\n");
        window = std::make_unique<Vardel>(QString(), nullptr, nullptr, 0);
    }

    void TearDown() override
    {
        window.reset();
        qunsetenv("EZX_AUTOMATION");
        qunsetenv("EZX_TRANSCRIPT");
        ZAutomation::reset();
    }

    // The answers the next dialogs take; the transcript starts afresh.
    void answer(const QStringList& lines)
    {
        writeBytes(scratch + "/script", lines.join('\n').toUtf8() + "\n");
        QFile::remove(scratch + "/transcript");
        qputenv("EZX_AUTOMATION", (scratch + "/script").toUtf8());
        qputenv("EZX_TRANSCRIPT", (scratch + "/transcript").toUtf8());
        ZAutomation::reset();
    }

    QList<QJsonObject> events(const QString& kind) const
    {
        QList<QJsonObject> found;
        for (const QByteArray& line : readBytes(scratch + "/transcript").split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            if (e["event"].toString() == kind)
                found << e;
        }
        return found;
    }
    QStringList dialogTexts() const
    {
        QStringList texts;
        for (const QJsonObject& e : events("dialog"))
            texts << e["text"].toString();
        return texts;
    }
    QStringList commands() const
    {
        QStringList list;
        for (const QJsonObject& e : events("command"))
            list << e["command"].toString();
        return list;
    }
    QStringList rows() const
    {
        QStringList list;
        for (int i = 0; i < window->listaApps->count(); ++i)
            list << window->listaApps->item(i)->getSubItemText(1, 0) + " | " +
                        window->listaApps->item(i)->getSubItemText(1, 1);
        return list;
    }
    void select(const QString& name)
    {
        for (int i = 0; i < window->listaApps->count(); ++i) {
            if (window->listaApps->item(i)->getSubItemText(1, 0) == name)
                window->listaApps->setCurrentItem(i);
        }
    }
    void reload()
    {
        Vardel::emptyList(window->listaApps);
        window->CargarListaApps();
    }

    std::unique_ptr<Vardel> window;
};

TEST_F(Packages, InstallsToPhoneAndToCard)
{
    const struct {
        int place;
        QString base, registry, other, relative;
        QByteArray imei;
    } places[] = {
        {0, phoneBase, phoneReg, cardReg, "../../ezxlocal/download/mystuff/.system/QTDownLoad", ""},
        {1, cardBase, cardReg, phoneReg, "../../mmc/mmca1/.system/QTDownLoad", "IMEI = 356938035643809\n"},
    };
    for (const auto& p : places) {
        SetUp();
        const QByteArray before = readBytes(p.registry);
        const QByteArray untouched = readBytes(p.other);
        ASSERT_TRUE(TestMpkg::write(package, application("Snake App", "Snake", "Autorun = go.sh\n")));
        answer({QString("check %1").arg(p.place), "accept"});
        window->Instalar(package);

        const QByteArray items = readBytes(menuTree).split('\n').value(2);
        ASSERT_TRUE(items.startsWith("Items = 10000000-0000-0000-0000-")) << items.constData();
        const QByteArray id = items.mid(8, 36);
        EXPECT_EQ(items, "Items = " + id + ";A;B;");
        const QByteArray folder = p.base.toLatin1() + "/Snake/";
        EXPECT_EQ(readBytes(p.registry),
                  before + "\n[" + id + "]\nAppID = {" + id + "}\nAniIcon = " + folder + "\nArgs = \nAttribute = 1\n"
                  "BigIcon = " + folder + "big.png\nDaemon = 0\nDirectory = " + p.relative.toLatin1() +
                  "/Snake\nExec = run\n" + p.imei + "FixedAllPosition = 0\nFixedPosition = 0\nGroupID = ezx\n"
                  "Icon = " + folder + "usr.png\nLockEnabled = 0\nMassStorageStatus = 1\nName = Snake App\n"
                  "Type = 2\nUserID = root\nVisible = 0\n");
        EXPECT_EQ(readBytes(p.other), untouched);
        EXPECT_EQ(readBytes(script), "#Clock\n/bin/clock\n#Snake App\n#" + folder + "go.sh\n\n");
        EXPECT_EQ(QFileInfo(p.base + "/Snake/run").permissions() & QFile::ExeOther, QFile::ExeOther);
        EXPECT_EQ(QFileInfo(p.base + "/Snake/usr.png").permissions() & QFile::WriteOther, QFile::WriteOther);
        EXPECT_FALSE(QFileInfo::exists(workDir));
        EXPECT_FALSE(QFileInfo::exists(programDir + "tempdesktop"));
        EXPECT_EQ(dialogTexts(), (QStringList{"Where to install Snake App?", "Snake App installed successfully."}));
        EXPECT_EQ(commands().last(), "busybox killall am");
    }
}

TEST_F(Packages, RefusedPackagesChangeNothing)
{
    Hostile::Canary canary;
    const QByteArray outside = canary.path().toLatin1();
    using TestMpkg::file;
    using TestMpkg::folder;
    const TestMpkg::Member link{"A/l", {}, '2', "/tmp", 0777};
    const QString refused = "This package cannot be installed. Nothing was changed.";
    const struct {
        const char* what;
        QList<TestMpkg::Member> members;
        QString dialog;      // the one dialog shown
        bool workDirStays;
    } cases[] = {
        {"absolute member", {folder("A/"), file("A/a.desktop", desktop("A", "A")), file(outside, "x")}, refused, false},
        {"dot-dot member", {folder("A/"), file("A/a.desktop", desktop("A", "A")), file("A/../../../../../.." + outside, "x")},
         refused, false},
        {"link out", {folder("A/"), file("A/a.desktop", desktop("A", "A")), link}, refused, false},
        {"two folders", {file("A/a.desktop", desktop("A", "A")), file("B/x", "x")}, refused, false},
        {"device", {folder("A/"), file("A/a.desktop", desktop("A", "A")), {"A/dev", {}, '3', {}, 0644}}, refused, false},
        {"Directory not the folder", application("A", "A", "", "B"), refused, false},
        {"Directory empty", application("A", "A", "", ""), refused, false},
        {"installed, whole name", application("Pocket Notes", "PN"), "This application is already installed.", false},
        {"first word of an installed name", application("My", "My"), "Where to install My?", true},
        {"cancelled", application("New", "New"), "Where to install New?", true},
    };
    for (const auto& c : cases) {
        SetUp();
        ASSERT_TRUE(TestMpkg::write(package, c.members));
        const auto before = phoneFiles();
        answer({"reject"});
        window->Instalar(package);
        EXPECT_EQ(dialogTexts(), QStringList{c.dialog}) << c.what;
        EXPECT_EQ(phoneFiles(), before) << c.what;
        EXPECT_EQ(QFileInfo::exists(workDir), c.workDirStays) << c.what;
        EXPECT_FALSE(canary.fired()) << c.what;
    }

    // Cut short: it cannot be read to its end.
    SetUp();
    ASSERT_TRUE(TestMpkg::write(package, application("A", "A")));
    writeBytes(package, readBytes(package).left(60));
    const auto before = phoneFiles();
    answer({});
    window->Instalar(package);
    EXPECT_EQ(dialogTexts(), QStringList{refused});
    EXPECT_EQ(phoneFiles(), before);
    EXPECT_FALSE(QFileInfo::exists(workDir));
}

TEST_F(Packages, AFailedMoveRegistersNothing)
{
    QDir(cardBase).removeRecursively();
    writeBytes(cardBase, "not a folder");
    ASSERT_TRUE(TestMpkg::write(package, application("A", "A", "Autorun = go.sh\n")));
    const auto before = phoneFiles();
    answer({"check 1", "accept"});
    window->Instalar(package);
    EXPECT_EQ(dialogTexts(), (QStringList{"Where to install A?", "This package cannot be installed. Nothing was changed."}));
    EXPECT_EQ(phoneFiles(), before);
    EXPECT_FALSE(QFileInfo::exists(workDir));
    EXPECT_FALSE(commands().contains("busybox killall am"));
}

TEST_F(Packages, HostileNamesArriveUnchangedAndLeaveAgain)
{
    Hostile::Canary canary;
    int tried = 0;
    for (const Hostile::Value& v : Hostile::fileNames(canary)) {
        const QByteArray name = v.text.toLatin1();
        // What a desktop entry line can carry, in a folder name tar keeps;
        // control characters are refused (the hostile package table).
        if (v.text.trimmed() != v.text || DesktopCheck::hasControlCharacter(v.text) || name.contains("..")
            || name.size() > 90)
            continue;
        ++tried;
        ASSERT_TRUE(TestMpkg::write(package, application(name, name, "Autorun = go " + name + "\n")));
        answer({"check 0", "accept"});
        window->Instalar(package);
        const QByteArray registry = readBytes(phoneReg);
        EXPECT_TRUE(registry.contains("\nName = " + name + "\n")) << v.label;
        EXPECT_TRUE(registry.contains("\nDirectory = ../../ezxlocal/download/mystuff/.system/QTDownLoad/" + name + "\n"))
            << v.label;
        // Its start-up entry runs exactly that path, the value's words its
        // arguments (each quoted where the shell would read it otherwise).
        QString entryCommand = StartupScript::commandFor(phoneBase + "/" + v.text + "/go");
        for (const QString& word : v.text.split(QRegularExpression("[ \t]+"), Qt::SkipEmptyParts))
            entryCommand += ' ' + Shell::literalWord(word);
        EXPECT_TRUE(readBytes(script).endsWith("#" + name + "\n#" + entryCommand.toLatin1() + "\n\n")) << v.label;
        EXPECT_TRUE(Paths::exists(QString::fromLatin1(phoneBase.toLatin1() + "/" + name + "/run"))) << v.label;

        reload();
        select(window->texto(name));
        answer({"yes"});
        window->BorrarMPKG();
        EXPECT_FALSE(readBytes(phoneReg).contains(name)) << v.label;
        EXPECT_FALSE(Paths::exists(QString::fromLatin1(phoneBase.toLatin1() + "/" + name))) << v.label;
        // The removal took its start-up entry too.
        EXPECT_FALSE(readBytes(script).contains("\n#" + entryCommand.toLatin1() + "\n")) << v.label;
        EXPECT_TRUE(readBytes(menuTree).endsWith("Items = A;B;\n")) << v.label;
        EXPECT_FALSE(canary.fired()) << v.label;
    }
    EXPECT_GT(tried, 15);
}

TEST_F(Packages, ThemePackagesAreHandedToTheThemeInstaller)
{
    ASSERT_TRUE(TestMpkg::write(package, {TestMpkg::folder("Lagoon/"),
                                          TestMpkg::file("Lagoon/t.desktop",
                                                         "[Desktop Entry]\nThemeName = Lagoon\nFolder = Lagoon\n"),
                                          TestMpkg::file("Lagoon/skin/w.png", "png")}));
    // The theme installer asks where to install; cancelled, it leaves the
    // package unpacked.
    answer({});
    window->Instalar(package);
    EXPECT_TRUE(commands().contains("touch /usr/data_resource/brenik.tmp"));
    EXPECT_TRUE(QFileInfo::exists(workDir + "/Lagoon/skin/w.png"));
    EXPECT_EQ(dialogTexts(), QStringList{"Where to install theme Lagoon?"});
}

TEST_F(Packages, SearchOffersPhonePackagesFirstAndInstallsTheChosenOne)
{
    answer({});
    window->BuscarMPKG();
    ASSERT_EQ(events("notice").size(), 1);
    EXPECT_EQ(events("notice")[0]["text"].toString(), "No packages (.mpkg) found.");

    ASSERT_TRUE(TestMpkg::write("/mmc/mmca1/x/Card.mpkg", application("Card App", "CardApp")));
    ASSERT_TRUE(TestMpkg::write("/ezxlocal/download/mystuff/in/Phone.mpkg", application("Phone App", "PhoneApp")));
    answer({"reject"});
    window->BuscarMPKG();
    EXPECT_TRUE(readBytes(phoneReg).indexOf("Card App") < 0);
    EXPECT_FALSE(QFileInfo::exists(programDir + "mpkgtemp"));

    answer({"check 1", "check 0", "accept"});
    window->BuscarMPKG();
    ASSERT_FALSE(events("dialog").isEmpty());
    EXPECT_EQ(events("dialog")[0]["entries"].toVariant().toStringList(), (QStringList{"Phone.mpkg", "Card.mpkg"}));
    EXPECT_TRUE(readBytes(phoneReg).contains("\nName = Card App\n"));
    EXPECT_TRUE(rows().contains("Card App | Phone memory"));
    EXPECT_FALSE(QFileInfo::exists(programDir + "mpkgtemp"));
}

TEST_F(Packages, ListShowsIconsAndLocationsSorted)
{
    QImage(16, 16, QImage::Format_RGB32).save("/ezxlocal/small.png");
    QImage(40, 20, QImage::Format_RGB32).save("/ezxlocal/wide.png");
    writeBytes(phoneReg, record("P1", "b small", "../../ezxlocal/x", "run", "/ezxlocal/small.png") + "\n" +
                             record("P2", "d no exec", "../../ezxlocal/x", "") + "\n" +
                             record("P3", "c missing icon", "/mmc/mmca1/x", "run", "/ezxlocal/none.png") + "\n" +
                             record("BOTH", "phone copy", "../../ezxlocal/x") + "\n" +
                             record("P4", "e shares small", "../../ezxlocal/y", "run", "/ezxlocal/small.png") + "\n" +
                             record("P5", "f missing too", "../../ezxlocal/y", "run", "/ezxlocal/gone.png"));
    writeBytes(cardReg, record("C1", "a wide", "../../mmc/mmca1/.system/QTDownLoad/w", "run", "/ezxlocal/wide.png") +
                            "\n" + record("BOTH", "card copy", "../../mmc/mmca1/y"));
    reload();
    // Both rows of an ID in both registries read the first copy, the card's.
    EXPECT_EQ(rows(), (QStringList{"a wide | Memory card", "b small | Phone memory", "c missing icon | Phone memory",
                                   "card copy | Memory card", "card copy | Memory card", "e shares small | Phone memory",
                                   "f missing too | Phone memory"}));
    EXPECT_EQ(window->listaApps->currentItem(), 0);
    EXPECT_EQ(window->listaApps->item(0)->pixmap(0).size(), QSize(19, 19));
    EXPECT_EQ(window->listaApps->item(1)->pixmap(0).size(), QSize(16, 16));
    const QPixmap fallback(programDir + "images/apps.png");
    const QSize apps = fallback.height() > 19 ? QSize(19, 19) : fallback.size();
    EXPECT_EQ(window->listaApps->item(2)->pixmap(0).size(), apps);
    // Rows naming one file, and rows falling back to apps.png, share one
    // decoded picture.
    EXPECT_EQ(window->listaApps->item(5)->pixmap(0).cacheKey(), window->listaApps->item(1)->pixmap(0).cacheKey());
    EXPECT_EQ(window->listaApps->item(6)->pixmap(0).cacheKey(), window->listaApps->item(2)->pixmap(0).cacheKey());
    EXPECT_FALSE(window->listaApps->item(6)->pixmap(0).isNull());
    EXPECT_FALSE(QFileInfo::exists(programDir + "TempApps"));
    EXPECT_FALSE(QFileInfo::exists(programDir + "TempApps2"));
}

TEST_F(Packages, StartAndRemovalTakeEveryApplicationOfTheName)
{
    const QByteArray log = "/ezxlocal/launched.log";
    auto app = [&](const QByteArray& folder) {
        writeBytes(phoneBase + "/" + folder + "/run", "#!/bin/sh\necho " + folder + " >> " + log + "\n");
        QFile::setPermissions(phoneBase + "/" + folder + "/run", QFile::ExeOwner | QFile::ReadOwner);
        return "../../ezxlocal/download/mystuff/.system/QTDownLoad/" + folder;
    };
    QDir().mkpath("/ezxlocal/keep");
    writeBytes(phoneReg, record("T1", "Twin", app("One")) + "\n" + record("K", "Keep", app("Keep")) + "\n" +
                             record("T2", "Twin", app("Two")) + "\n" + record("T3", "Twin", "../../ezxlocal/keep"));
    QDir().mkpath(cardBase + "/Card");
    writeBytes(cardReg, record("T4", "Twin", "../../mmc/mmca1/.system/QTDownLoad/Card"));
    // The IDs stand everywhere, among them the last line of a file of odd length.
    writeBytes(menuTree, "[2a58c0d6-05c6-45aa-8938-63059d41a4e9]\nName = Apps\nItems = T1;K;T2;\n[f]\nItems = T3;T1;");
    reload();
    QDir::setCurrent("/mmc");

    select("Twin");
    ASSERT_EQ(window->listaApps->item(window->listaApps->currentItem())->getSubItemText(1, 1), "Phone memory");
    answer({});
    window->EjecutarMPKG();
    EXPECT_EQ(readBytes(log), "One\nTwo\n");

    answer({"no"});
    const auto before = phoneFiles();
    window->BorrarMPKG();
    EXPECT_EQ(phoneFiles(), before);
    EXPECT_TRUE(commands().isEmpty());

    answer({"yes"});
    window->BorrarMPKG();
    EXPECT_EQ(readBytes(phoneReg), record("K", "Keep", app("Keep"))) << commands().join("\n").toStdString();
    EXPECT_EQ(readBytes(menuTree), "[2a58c0d6-05c6-45aa-8938-63059d41a4e9]\nName = Apps\nItems = K;\n[f]\nItems = ");
    EXPECT_FALSE(QFileInfo::exists(phoneBase + "/One"));
    EXPECT_FALSE(QFileInfo::exists(phoneBase + "/Two"));
    EXPECT_TRUE(QFileInfo::exists("/ezxlocal/keep"));       // outside the install bases
    EXPECT_TRUE(QFileInfo::exists(cardBase + "/Card"));      // the card's Twin is another row
    ASSERT_EQ(events("notice").size(), 1);
    EXPECT_EQ(events("notice")[0]["text"].toString(), "Twin has been removed.");
    EXPECT_EQ(rows(), (QStringList{"Keep | Phone memory", "Twin | Memory card"}));

    // A row whose records are gone already: nothing removed, nothing claimed.
    writeBytes(cardReg, "");
    select("Twin");
    answer({"yes"});
    window->BorrarMPKG();
    EXPECT_TRUE(events("notice").isEmpty());
    EXPECT_EQ(rows(), QStringList{"Keep | Phone memory"});
}

TEST_F(Packages, CleanUpKeepsLargeFilesAndNeverReplacesUnreadableOnes)
{
    QByteArray messy;
    QByteArray tidy;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray r = record("10000000-0000-0000-0000-" + QByteArray::number(250101000000LL + i),
                                    "App $HOME `id` \"" + QByteArray::number(i) + "\" \\",
                                    "../../ezxlocal/download/mystuff/.system/QTDownLoad/A" + QByteArray::number(i));
        messy += "\n\n" + QByteArray(r).replace("Exec", "\nExec");
        tidy += (i ? "\n" : "") + r;
    }
    ASSERT_GT(messy.size(), 128 * 1024);
    writeBytes(phoneReg, messy);
    QFile::remove(cardReg);
    answer({});
    window->LimpiarCR();
    EXPECT_TRUE(readBytes(phoneReg) == tidy);
    EXPECT_EQ(readBytes(cardReg), "\n");
    window->LimpiarCR();
    EXPECT_TRUE(readBytes(phoneReg) == tidy);

    // UserMime of more than 128 KiB gets its handler lines.
    const QByteArray filler = QByteArray("[x/y]\nAppID = {1}\nAppList = {1}\n").repeated(5000);
    writeBytes(userMime, filler + "[test/x-mpkg]\nAppID = {2}\nAppList = {2}\n" + filler);
    window->AsociarMPKGs();
    EXPECT_TRUE(readBytes(userMime) == filler + "[test/x-mpkg]\nAppID = {fdcc1e4f-0c31-4f50-92fe-f333e7d16622}\n"
                                            "AppList = {fdcc1e4f-0c31-4f50-92fe-f333e7d16622}\n" + filler + "\n");

    // What cannot be read is left as it is.
    QFile::remove(phoneReg);
    QFile::remove(userMime);
    QDir().mkpath(phoneReg);
    QDir().mkpath(userMime);
    window->LimpiarCR();
    window->AsociarMPKGs();
    EXPECT_TRUE(QFileInfo(phoneReg).isDir());
    EXPECT_TRUE(QFileInfo(userMime).isDir());

    // A place that cannot be written (a read-only card or phone memory; here
    // a read-only folder in its place): told, and the caller learns it.
    const QString told = "An application list of the phone could not be rewritten. It was left as it was.";
    const struct {
        const char* folder;
        std::function<bool()> call;
        QString notice;
    } readOnly[] = {
        {"/mmc/mmca1/.system/java", [&] { return window->LimpiarCR(); }, told},
        {"/ezxlocal/download/appwrite/am", [&] { return window->LimpiarCR(); }, told},
        {"/ezxlocal/download/appwrite/am", [&] { return window->AsociarMPKGs(); }, told},
        {"/ezxlocal/download/mystuff", [&] { window->EntradaAutorun("Clock", 2, "SI"); return false; },
         "The start-up script could not be written. It was left as it was."},
    };
    for (const auto& c : readOnly) {
        SCOPED_TRACE(c.folder);
        const QString folder = QString::fromLatin1(c.folder);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QFile::link("/etc", folder));
        answer({"check 1"});
        EXPECT_FALSE(c.call());
        ASSERT_EQ(events("notice").size(), 1);
        EXPECT_EQ(events("notice")[0]["text"].toString(), c.notice);
        QFile::remove(folder);
        QDir().mkpath(folder);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = ProgramTests::start(argc, argv); status >= 0)
        return status;
    qunsetenv("EZX_AUTOMATION");
    qunsetenv("EZX_TRANSCRIPT");

    QTemporaryDir dir;
    programDir = dir.path() + "/prog/";
    scratch = dir.path();
    ProgramTests::installBuiltFolders(programDir, {"languages", "images"});
    QFile settings(programDir + "Vardel.cfg");
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[Vardel]\nLanguage = en.lng\n");
    settings.close();

    return ProgramTests::runAsProgram(argc, argv, QFile::encodeName(programDir + "vardel"), app);
}
