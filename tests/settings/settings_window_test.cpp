// The phone-settings tab in the window: the list read from the phone's
// files, the dispatch of an activated row and every editor, answered by
// automation scripts. Runs inside the phone sandbox on an empty phone tree
// (ordinary firmware), since the editors run commands.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <ZApplication.h>
#include <ZAutomation.h>
#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>
#include <ZNavTabWidget.h>
#include <ZNumPickerDlg.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <optional>

#include "expected_script.h"
#include "hostile.h"
#include "qtprint.h"
#include "programtests.h"
#include "sandbox.h"
#include "shell/paths.h"
#include "shell/textids.h"
#include "vardel.h"

namespace {

QString programDir;  // ends in "/"

const QString setupDir = "/ezxlocal/download/appwrite/setup/";
const QString flexFile = setupDir + "ezx_flexbit.cfg";
const QString mpFile = setupDir + "ezx_mp.cfg";

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.left(path.lastIndexOf('/')));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A file named by its bytes (Latin-1 form), as find will report it.
// What the phone's shell puts into FONT when it runs the script's
// assignment line.
QByteArray fontSeenByShell(const QByteArray& script)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("assignment"));
    if (!file.open(QIODevice::WriteOnly))
        return "<no file>";
    file.write("FONT=" + fontValueOf(script) + "\nprintf '%s' \"$FONT\"\n");
    file.close();
    QProcess shell;
    shell.start("/bin/sh", {file.fileName()});
    shell.waitForFinished();
    return shell.readAllStandardOutput();
}

void createByBytes(const QString& path)
{
    const int fd = ::open(Paths::toBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::write(fd, "font", 4), 4);
    ::close(fd);
}

// Every text reads as its own ID, but for the units and switch words.
QByteArray languageFile(const QList<QPair<QByteArray, QByteArray>>& overrides = {})
{
    QByteArray text = "[VARDEL]\n";
    for (const char* id : TextIds::all) {
        QByteArray value = id;
        for (const auto& o : overrides) {
            if (o.first == id)
                value = o.second;
        }
        if (value == "CONFIG_MIN")
            value = "min";
        else if (value == "CONFIG_DIGITS")
            value = "digits";
        else if (value == "OPTIONS_ENABLED")
            value = "On";
        else if (value == "OPTIONS_DISABLED")
            value = "Off";
        else if (value == "FONT_SYSTEM")
            value = "System font";
        text += QByteArray(id) + " = " + value + "\n";
    }
    return text;
}

// Every text line of each row.
QList<QStringList> rowsOf(ZListBox* list)
{
    QList<QStringList> rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->allTexts();
    return rows;
}

class SettingsTab : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSandbox::inside());
        stopAnswering();
        resetPhone();
    }

    void TearDown() override { stopAnswering(); }

    // An empty phone but for the settings folder; the test language and the
    // settings file choosing it.
    void resetPhone()
    {
        for (const char* dir : {"/ezxlocal/download", "/mmc/mmca1"})
            QDir(dir).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(setupDir));
        ASSERT_TRUE(QDir().mkpath("/ezxlocal/download/mystuff"));
        ASSERT_TRUE(QDir().mkpath("/mmc/mmca1"));
        for (const char* f : {"Vardel.cfg", "ChangeFont", "fonttemp"})
            QFile::remove(programDir + f);
        setLanguage(languageFile());
        writeBytes(programDir + "Vardel.cfg", "[Vardel]\nLanguage = test.lng\n");
    }

    static void stopAnswering()
    {
        qunsetenv("EZX_AUTOMATION");
        qunsetenv("EZX_TRANSCRIPT");
        ZAutomation::reset();
    }

    void setLanguage(const QByteArray& content) { writeBytes(programDir + "languages/test.lng", content); }

    std::unique_ptr<Vardel> open()
    {
        auto window = std::make_unique<Vardel>(QString(), nullptr, nullptr, 0);
        QApplication::processEvents();
        window->tabWidget->setCurrentPage(2);
        return window;
    }

    // The next dialogs take these answers; the transcript starts afresh.
    void answer(const QStringList& lines)
    {
        writeBytes(scratch.filePath("script"), lines.join('\n').toUtf8() + '\n');
        QFile::remove(scratch.filePath("transcript"));
        qputenv("EZX_AUTOMATION", QFile::encodeName(scratch.filePath("script")));
        qputenv("EZX_TRANSCRIPT", QFile::encodeName(scratch.filePath("transcript")));
        ZAutomation::reset();
    }

    QList<QJsonObject> events(const QString& kind) const
    {
        QList<QJsonObject> found;
        for (const QByteArray& line : readBytes(scratch.filePath("transcript")).split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            if (e["event"].toString() == kind)
                found << e;
        }
        return found;
    }

    QStringList commands() const
    {
        QStringList list;
        for (const QJsonObject& e : events("command"))
            list << e["command"].toString();
        return list;
    }

    // Activates a row of the settings list as Enter does.
    static void activate(Vardel& w, int row)
    {
        w.listaConfig->setCurrentItem(row);
        w.listaConfig->activateCurrent();
    }

    static void rebuild(Vardel& w)
    {
        Vardel::emptyList(w.listaConfig);
        w.CargarListaConfig();
    }

    QTemporaryDir scratch;
};

TEST_F(SettingsTab, RowsShowEachSettingFromItsFile)
{
    const QByteArray system = "[SYS_SYSTEM_SET]\nLanguage = en\n\n[ALARMCLOCK]\nAlertTime = 7\n";
    const QByteArray bluetooth = "[Bluetooth Setup]\nDiscoverablePeriod = 20\n";
    const QByteArray contacts = "[ADDRBK_PRELOAD_GROUP]\nNUMBER_MATCH_MINLEN = 12\n";
    const struct {
        const char* what;
        QList<QPair<QString, QByteArray>> files;
        QList<QStringList> rows;
    } cases[] = {
        {"no files",
         {},
         {{"CONFIG_ALARM", "5 min"}, {"CONFIG_BLUETOOTH", "5 min"}, {"CONFIG_CONTACTS", "5 digits"},
          {"CONFIG_EMPTYSMS"}, {"CONFIG_SLIDER"}, {"CONFIG_ORANGEBAR"}, {"CONFIG_EQUALIZER"}, {"CONFIG_FONT", ""}}},
        {"files without the keys or with unknown words; only Font counts on this firmware",
         {{"ezx_system.cfg", "[ALARMCLOCK]\nSnoozeTime = 9\n[X]\nAlertTime = 9\n"},
          {"ezx_flexbit.cfg", "[SYS_FLEX_TABLE]\n5 = 1744633855\n6 = 1744633854\n10 = 1744633855\n"},
          {"ezx_mp.cfg", "[MediaControlItem]\nEqualizerFeature = x\n"},
          {"/Vardel.cfg", "[Vardel]\nLanguage = test.lng\nFontBrenik = /mmc/mmca1/a.ttf\n"}},
         {{"CONFIG_ALARM", "5 min"}, {"CONFIG_BLUETOOTH", "5 min"}, {"CONFIG_CONTACTS", "5 digits"},
          {"CONFIG_EMPTYSMS"}, {"CONFIG_SLIDER"}, {"CONFIG_ORANGEBAR"}, {"CONFIG_EQUALIZER"}, {"CONFIG_FONT", ""}}},
        {"values",
         {{"ezx_system.cfg", system},
          {"ezx_bluetooth.cfg", bluetooth},
          {"ezx_addressbook.cfg", contacts},
          {"ezx_flexbit.cfg", "[SYS_FLEX_TABLE]\n6 = 1744633855\n10 = 754964572\n"},
          {"ezx_mp.cfg", "[MediaControlItem]\nEqualizerFeature = 0\n"},
          {"/Vardel.cfg", "[Vardel]\nLanguage = test.lng\nFont = /mmc/mmca1/fonts/big.ttf\nFontBrenik = NO\n"}},
         {{"CONFIG_ALARM", "7 min"}, {"CONFIG_BLUETOOTH", "20 min"}, {"CONFIG_CONTACTS", "12 digits"},
          {"CONFIG_EMPTYSMS", "On"}, {"CONFIG_SLIDER", "On"}, {"CONFIG_ORANGEBAR", "Off"},
          {"CONFIG_EQUALIZER", "Off"}, {"CONFIG_FONT", "big.ttf"}}},
        {"system font",
         {{"ezx_flexbit.cfg", "[SYS_FLEX_TABLE]\n6 = 2013068287\n10 = 620746844\n"},
          {"ezx_mp.cfg", "[MediaControlItem]\nEqualizerFeature = 1\n"},
          {"/Vardel.cfg", "[Vardel]\nLanguage = test.lng\nFont = NO\n"}},
         {{"CONFIG_ALARM", "5 min"}, {"CONFIG_BLUETOOTH", "5 min"}, {"CONFIG_CONTACTS", "5 digits"},
          {"CONFIG_EMPTYSMS", "Off"}, {"CONFIG_SLIDER", "Off"}, {"CONFIG_ORANGEBAR", "On"},
          {"CONFIG_EQUALIZER", "On"}, {"CONFIG_FONT", "System font"}}},
    };
    auto w = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        resetPhone();
        for (const auto& [file, bytes] : c.files)
            writeBytes(file.startsWith('/') ? programDir + file.mid(1) : setupDir + file, bytes);
        rebuild(*w);
        EXPECT_EQ(rowsOf(w->listaConfig), c.rows);
    }

    // Each row's icon; every value line carries the one null picture.
    const char* icons[] = {"alarm", "bluetooth", "contacts", "sms", "calls", "sidebar", "music", "font"};
    const QImage null = Paths::loadPixmap(programDir + "images/null.png").toImage();
    ASSERT_FALSE(null.isNull());
    for (int row = 0; row < 8; ++row) {
        const ZListBoxItem* item = w->listaConfig->item(row);
        EXPECT_EQ(item->pixmap(0).toImage(),
                  Paths::loadPixmap(programDir + "images/" + icons[row] + ".png").toImage())
            << icons[row];
        EXPECT_TRUE(item->subItemPixmap(1, 0).isNull()) << row;
        EXPECT_EQ(item->subItemPixmap(1, 1).toImage(), null) << row;
    }
}

TEST_F(SettingsTab, EveryOperationWhoseTextMatchesRunsInTableOrder)
{
    // Alarm and Bluetooth share a label: both pickers run, the second after
    // the first has rebuilt the list under the activated row.
    setLanguage(languageFile({{"CONFIG_ALARM", "Same"}, {"CONFIG_BLUETOOTH", "Same"},
                              {"CONFIG_EMPTYSMS", "Twice"}, {"CONFIG_SLIDER", "Twice"}}));
    auto w = open();
    answer({"number 8", "number 20"});
    activate(*w, 0);
    auto dialogs = events("dialog");
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[0]["title"].toString(), "ALARM_MSG1");
    EXPECT_EQ(dialogs[1]["title"].toString(), "BLUETOOTH_MSG1");
    EXPECT_EQ(ZConfig(setupDir + "ezx_system.cfg", false).readNumEntry("ALARMCLOCK", "AlertTime", 0), 8);
    EXPECT_EQ(ZConfig(setupDir + "ezx_bluetooth.cfg", false).readNumEntry("Bluetooth Setup", "DiscoverablePeriod", 0),
              20);
    EXPECT_EQ(w->listaConfig->currentItem(), 1);

    // The slider row is above the empty-message editor's in the list, but
    // the dispatch order puts the empty-message editor first.
    answer({"reject", "reject"});
    activate(*w, 4);
    dialogs = events("dialog");
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[0]["title"].toString(), "EMPTYSMS_MSG1");
    EXPECT_EQ(dialogs[1]["title"].toString(), "SLIDER_MSG1");
    EXPECT_EQ(w->listaConfig->currentItem(), 4);

    // A label that no longer matches any text does nothing.
    setLanguage(languageFile());
    answer({"number 3"});
    activate(*w, 0);
    EXPECT_TRUE(events("dialog").isEmpty());
    EXPECT_EQ(ZConfig(setupDir + "ezx_system.cfg", false).readNumEntry("ALARMCLOCK", "AlertTime", 0), 8);
}

TEST_F(SettingsTab, PickersHoldTheirBoundsAndWriteOnlyWhenConfirmed)
{
    const QByteArray otherSection = "\n[Other]\nAlertTime = 1\n";
    const struct {
        int row;
        QString file;
        QByteArray before;  // with "%" where the key's line goes
        QByteArray keyLine;
        const char* title;
        const char* label;
        int min, max, opensAt;
        QString answer;
        QByteArray afterLine;  // "" when nothing is written
        QString shown;
    } cases[] = {
        {0, "ezx_system.cfg", "[ALARMCLOCK]\n%SnoozeTime = 5\n" + otherSection, "AlertTime = 3\n", "ALARM_MSG1",
         "ALARM_MSG2", 1, 10, 3, "number 8", "AlertTime = 8\n", "8 min"},
        {0, "ezx_system.cfg", "[ALARMCLOCK]\n%SnoozeTime = 5\n" + otherSection, "AlertTime = 3\n", "ALARM_MSG1",
         "ALARM_MSG2", 1, 10, 3, "number 11", "AlertTime = 10\n", "10 min"},
        {0, "ezx_system.cfg", "[ALARMCLOCK]\n%SnoozeTime = 5\n" + otherSection, "AlertTime = 3\n", "ALARM_MSG1",
         "ALARM_MSG2", 1, 10, 3, "reject", "", "3 min"},
        {1, "ezx_bluetooth.cfg", "[Bluetooth Setup]\nName = Phone\n%\n[X]\nY = 1\n", "", "BLUETOOTH_MSG1",
         "ALARM_MSG2", 1, 20, 5, "number 21", "DiscoverablePeriod = 20\n", "20 min"},
        {1, "ezx_bluetooth.cfg", "[Bluetooth Setup]\n%", "DiscoverablePeriod = 2\n", "BLUETOOTH_MSG1",
         "ALARM_MSG2", 1, 20, 2, "number 0", "DiscoverablePeriod = 1\n", "1 min"},
        {2, "ezx_addressbook.cfg", "[ADDRBK_PRELOAD_GROUP]\n%", "NUMBER_MATCH_MINLEN = 7\n", "CONTACTS_MSG1",
         "CONTACTS_MSG2", 6, 12, 7, "number 13", "NUMBER_MATCH_MINLEN = 12\n", "12 digits"},
        {2, "ezx_addressbook.cfg", "[ADDRBK_PRELOAD_GROUP]\n%", "NUMBER_MATCH_MINLEN = 7\n", "CONTACTS_MSG1",
         "CONTACTS_MSG2", 6, 12, 7, "number 5", "NUMBER_MATCH_MINLEN = 6\n", "6 digits"},
        {2, "ezx_addressbook.cfg", "[ADDRBK_PRELOAD_GROUP]\n%", "NUMBER_MATCH_MINLEN = 9\n", "CONTACTS_MSG1",
         "CONTACTS_MSG2", 6, 12, 9, "reject", "", "9 digits"},
    };
    auto w = open();
    for (const auto& c : cases) {
        SCOPED_TRACE((c.file + " " + c.answer).toStdString());
        QByteArray before = c.before;
        writeBytes(setupDir + c.file, before.replace("%", c.keyLine));
        rebuild(*w);
        const ZListBoxItem* firstRow = w->listaConfig->item(0);
        answer({c.answer});
        activate(*w, c.row);

        const auto dialogs = events("dialog");
        ASSERT_EQ(dialogs.size(), 1);
        EXPECT_EQ(dialogs[0]["class"].toString(), "ZNumPickerDlg");
        EXPECT_EQ(dialogs[0]["title"].toString(), c.title);
        EXPECT_EQ(dialogs[0]["text"].toString(), c.label);
        EXPECT_EQ(dialogs[0]["min"].toInt(), c.min);
        EXPECT_EQ(dialogs[0]["max"].toInt(), c.max);

        QByteArray after = c.before;
        after.replace("%", c.afterLine.isEmpty() ? c.keyLine : c.afterLine);
        EXPECT_EQ(readBytes(setupDir + c.file), after);
        // Confirmed: the list was built again, already reading the new number.
        // Cancelled: the list is the one it was.
        EXPECT_EQ(w->listaConfig->item(0) != firstRow, !c.afterLine.isEmpty());
        EXPECT_EQ(rowsOf(w->listaConfig)[c.row].value(1), c.shown);
        EXPECT_EQ(w->listaConfig->currentItem(), c.row);
        EXPECT_EQ(w->numPickerDlg->getNumValue(), c.answer == "reject" ? c.opensAt : c.shown.split(' ')[0].toInt());
    }
}

// Each editor over its words, with each of its answers: what it pre-checks,
// what it writes, and that it selects its row again whatever happened.
TEST_F(SettingsTab, FlagEditorsWriteOnlyTheWordsOfTheirTable)
{
    const char* unchanged = "";
    const struct {
        int row;
        const char* key;
        const char* word;  // nullptr: key missing
        int prechecked;    // -1: none
        const char* on;    // word written for "enabled"; "" nothing
        const char* off;
    } table[] = {
        {3, "6", "1744633855", 0, unchanged, "1744632831"},
        {3, "6", "2013069311", 0, unchanged, "2013068287"},
        {3, "6", "1744632831", 1, "1744633855", unchanged},
        {3, "6", "2013068287", 1, "2013069311", unchanged},
        {3, "6", "0", -1, unchanged, unchanged},
        {3, "6", nullptr, -1, unchanged, unchanged},
        {5, "6", "1744633855", 1, "2013069311", unchanged},
        {5, "6", "1744632831", 1, "2013068287", unchanged},
        {5, "6", "2013069311", 0, unchanged, "1744633855"},
        {5, "6", "2013068287", 0, unchanged, "1744632831"},
        {5, "6", "1744633854", -1, unchanged, unchanged},
        {5, "6", nullptr, -1, unchanged, unchanged},
        // The slider writes its word even when the key holds it already.
        {4, "10", "754964572", 0, "754964572", "620746844"},
        {4, "10", "620746844", 1, "754964572", "620746844"},
        {4, "10", nullptr, -1, "754964572", "620746844"},
    };
    const char* titles[] = {"", "", "", "EMPTYSMS_MSG1", "SLIDER_MSG1", "ORANGEBAR_MSG1"};
    auto w = open();
    for (const auto& t : table) {
        for (const QString choice : {"check 0", "check 1", "check", "reject"}) {
            SCOPED_TRACE(QString("row %1 key %2 = %3, %4").arg(t.row).arg(t.key, t.word ? t.word : "-", choice)
                             .toStdString());
            // The other key and the other lines stay as they are.
            const QByteArray other = t.key == QByteArray("6") ? "10 = 754964572" : "6 = 1744633855";
            const auto file = [&](const char* word) {
                QByteArray f = "[SYS_FLEX_TABLE]\n0 = 16777215\n" + other + "\n";
                if (word)
                    f += QByteArray(t.key) + " = " + word + "\n";
                return f + "\n[Other]\n" + t.key + " = 1\n";
            };
            writeBytes(flexFile, file(t.word));
            rebuild(*w);
            const ZListBoxItem* firstRow = w->listaConfig->item(0);
            answer({choice});
            activate(*w, t.row);

            const auto dialogs = events("dialog");
            ASSERT_EQ(dialogs.size(), 1);
            EXPECT_EQ(dialogs[0]["title"].toString(), titles[t.row]);
            EXPECT_EQ(dialogs[0]["entries"].toArray(), (QJsonArray{"On", "Off"}));
            const char* written = choice == "check 0" ? t.on : choice == "check 1" ? t.off : unchanged;
            const bool writes = written != unchanged;
            EXPECT_EQ(readBytes(flexFile), file(writes ? written : t.word));
            EXPECT_EQ(w->listaConfig->item(0) != firstRow, writes);
            EXPECT_EQ(w->listaConfig->currentItem(), t.row);
            if (choice == "reject") {
                // The dialog opened with the entry the word stands for.
                const QJsonArray checked = dialogs[0]["checked"].toArray();
                EXPECT_EQ(checked, t.prechecked < 0 ? QJsonArray{} : QJsonArray{t.prechecked});
            }
        }
    }
}

TEST_F(SettingsTab, EqualizerWritesTheSwitchAndEveryPreset)
{
    const QStringList keys = {"BassBoost", "Classical", "Country", "Dance", "HipHop", "Latin",
                              "Oldies", "Pop", "RBSoul", "Reggae", "Rock", "SmallSpeaker",
                              "SpokenWord", "Techno", "TrebleBoost", "VocalBooster", "VocalReducer"};
    // The switch, then the presets with the given ones on, in table order.
    const auto presets = [&](const char* feature, const QStringList& on) {
        QByteArray f = QByteArray("EqualizerFeature = ") + feature + "\n";
        for (const QString& k : keys)
            f += "EqSetting" + k.toLatin1() + " = " + (on.contains(k) ? "1" : "0") + "\n";
        return f;
    };
    auto w = open();

    // Disabling a missing file writes eighteen "0" in table order.
    answer({"check 1"});
    activate(*w, 6);
    EXPECT_EQ(readBytes(mpFile), "[MediaControlItem]\n" + presets("0", {}));
    EXPECT_EQ(rowsOf(w->listaConfig)[6], (QStringList{"CONFIG_EQUALIZER", "Off"}));
    EXPECT_EQ(w->listaConfig->currentItem(), 6);

    // The switch opens on "disabled"; enabling again shows every preset off,
    // and cancelling the presets writes nothing, not even the switch.
    // (A transcript shows the checks a dialog was left with: answers that
    // keep them show what it opened with.)
    answer({"reject"});
    activate(*w, 6);
    EXPECT_EQ(events("dialog").value(0)["checked"].toArray(), QJsonArray{1});
    answer({"check 0", "reject"});
    activate(*w, 6);
    auto dialogs = events("dialog");
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[1]["class"].toString(), "ZMultiSelectDlg");
    EXPECT_EQ(dialogs[1]["title"].toString(), "EQUALIZER_MSG1");
    EXPECT_EQ(dialogs[1]["entries"].toArray().size(), 17);
    EXPECT_EQ(dialogs[1]["checked"].toArray(), QJsonArray{});
    EXPECT_EQ(readBytes(mpFile), "[MediaControlItem]\n" + presets("0", {}));
    EXPECT_EQ(w->listaConfig->currentItem(), 6);

    // Only a preset holding 1 is on (not 2, not a key of another section);
    // confirming rewrites every preset key.
    QByteArray before = "[MediaControlItem]\nVolume = 5\n" + presets("1", {"Rock"}) + "\n[MediaPlayList]\nEqSettingPop = 1\n";
    before.replace("EqSettingDance = 0", "EqSettingDance = 2").replace("EqSettingPop = 0\n", "");
    writeBytes(mpFile, before);
    answer({"reject"});
    activate(*w, 6);
    EXPECT_EQ(events("dialog").value(0)["checked"].toArray(), QJsonArray{0});
    answer({"check 0", "reject"});
    activate(*w, 6);
    EXPECT_EQ(events("dialog").value(1)["checked"].toArray(), QJsonArray{10});
    EXPECT_EQ(readBytes(mpFile), before);
    answer({"check 0", "check 7 10"});
    activate(*w, 6);
    QByteArray after = "[MediaControlItem]\nVolume = 5\n" + presets("1", {"Rock"});
    after.replace("EqSettingPop = 0\n", "");
    after += "EqSettingPop = 1\n\n[MediaPlayList]\nEqSettingPop = 1\n";
    EXPECT_EQ(readBytes(mpFile), after);
    EXPECT_EQ(rowsOf(w->listaConfig)[6], (QStringList{"CONFIG_EQUALIZER", "On"}));

    // A switch that is neither 1 nor 0 checks nothing; confirming nothing,
    // or cancelling, writes nothing.
    before = "[MediaControlItem]\nEqualizerFeature = 2\nEqSettingRock = 1\n";
    writeBytes(mpFile, before);
    for (const QString choice : {"check", "reject"}) {
        answer({choice});
        activate(*w, 6);
        dialogs = events("dialog");
        ASSERT_EQ(dialogs.size(), 1) << choice.toStdString();
        EXPECT_EQ(dialogs[0]["checked"].toArray(), QJsonArray{});
        EXPECT_EQ(readBytes(mpFile), before);
        EXPECT_EQ(w->listaConfig->currentItem(), 6);
    }
}

class FontEditor : public SettingsTab {
protected:
    const QString vardelCfg = programDir + "Vardel.cfg";
    void storeFont(const QByteArray& value)
    {
        writeBytes(vardelCfg, "[Vardel]\nLanguage = test.lng\nFont = " + value + "\nFontBrenik = NO\n");
    }
    QByteArray storedFont() const
    {
        return ZConfig(vardelCfg, false).readEntry("Vardel", "Font", "<none>").toLatin1();
    }
    QStringList dialogEntries(int index) const
    {
        QStringList entries;
        for (const QJsonValue& e : events("dialog").value(index)["entries"].toArray())
            entries << e.toString();
        return entries;
    }
};

TEST_F(FontEditor, SearchChoiceAndSystemFontOnOrdinaryFirmware)
{
    for (const char* f : {"/ezxlocal/download/mystuff/fonts/Rounded.ttf", "/ezxlocal/download/mystuff/UP.TTF",
                          "/mmc/mmca1/fonts/big.ttf", "/mmc/mmca1/old/big.ttf", "/mmc/mmca1/CONDENSED.TTF"})
        writeBytes(f, "font");
    storeFont("/mmc/mmca1/fonts/big.ttf");
    auto w = open();
    EXPECT_EQ(rowsOf(w->listaConfig)[7], (QStringList{"CONFIG_FONT", "big.ttf"}));

    // The row's file name pre-checks "choose a file" (taken as it stands),
    // and in the list the later of two files of that name.
    answer({"accept", "reject"});
    activate(*w, 7);
    auto dialogs = events("dialog");
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[0]["title"].toString(), "FONT_MSG1");
    EXPECT_EQ(dialogEntries(0), (QStringList{"FONT_MSG2", "FONT_MSG3"}));
    EXPECT_EQ(dialogs[0]["checked"].toArray(), QJsonArray{1});
    ASSERT_EQ(events("wait").size(), 1);
    EXPECT_EQ(events("wait")[0]["text"].toString(), "FONT_SEARCH\nINSTALL_WAIT");
    EXPECT_EQ(dialogs[1]["title"].toString(), "FONT_MSG3");
    EXPECT_EQ(dialogEntries(1), (QStringList{"Rounded.ttf", "UP.TTF", "big.ttf", "big.ttf", "CONDENSED.TTF"}));
    EXPECT_EQ(dialogs[1]["checked"].toArray(), QJsonArray{3});
    const QString dir = "'" + programDir + "'";
    EXPECT_EQ(commands(), (QStringList{
                              "find /ezxlocal/download/mystuff  -name \"*.ttf\" > " + dir + "/fonttemp",
                              "find /ezxlocal/download/mystuff  -name \"*.TTF\" >> " + dir + "/fonttemp",
                              "find /mmc/mmca1 -name \"*.ttf\" >> " + dir + "/fonttemp",
                              "find /mmc/mmca1 -name \"*.TTF\" >> " + dir + "/fonttemp",
                              "rm " + dir + "/fonttemp",
                              "touch /usr/data_resource/brenik.tmp",
                          }));
    EXPECT_EQ(storedFont(), "/mmc/mmca1/fonts/big.ttf");
    EXPECT_FALSE(QFile::exists(programDir + "ChangeFont"));
    EXPECT_FALSE(QFile::exists(programDir + "fonttemp"));
    EXPECT_EQ(w->listaConfig->currentItem(), 7);

    // A file chosen: recorded, and the script binds it.
    answer({"check 1", "check 0"});
    activate(*w, 7);
    EXPECT_EQ(storedFont(), "/ezxlocal/download/mystuff/fonts/Rounded.ttf");
    EXPECT_EQ(readBytes(programDir + "ChangeFont"),
              expectedFontScript("/ezxlocal/download/mystuff/fonts/Rounded.ttf", "CHANGE_FONT"));
    EXPECT_FALSE(QFile::exists(programDir + "fonttemp"));
    EXPECT_EQ(rowsOf(w->listaConfig)[7], (QStringList{"CONFIG_FONT", "Rounded.ttf"}));
    EXPECT_EQ(w->listaConfig->currentItem(), 7);

    // Back to the system font: the script is replaced by the one that keeps it.
    answer({"check 0"});
    activate(*w, 7);
    EXPECT_EQ(storedFont(), "NO");
    EXPECT_EQ(readBytes(programDir + "ChangeFont"), expectedFontScript("\"NO\"", "CHANGE_FONT"));
    EXPECT_EQ(rowsOf(w->listaConfig)[7], (QStringList{"CONFIG_FONT", "System font"}));

    // Cancelled: the system font pre-checked, nothing written, the list still
    // built again and row 7 selected.
    const QByteArray settings = readBytes(vardelCfg);
    const ZListBoxItem* firstRow = w->listaConfig->item(0);
    w->listaConfig->setCurrentItem(0);
    answer({"reject"});
    activate(*w, 7);
    EXPECT_EQ(events("dialog")[0]["checked"].toArray(), QJsonArray{0});
    EXPECT_EQ(readBytes(vardelCfg), settings);
    EXPECT_EQ(readBytes(programDir + "ChangeFont"), expectedFontScript("\"NO\"", "CHANGE_FONT"));
    EXPECT_NE(w->listaConfig->item(0), firstRow);
    EXPECT_EQ(w->listaConfig->currentItem(), 7);

    // A script that cannot be replaced (a folder in its place): told, and
    // the choice is not recorded, so the row keeps the font in effect.
    QFile::remove(programDir + "ChangeFont");
    ASSERT_TRUE(QDir().mkpath(programDir + "ChangeFont/kept"));
    answer({"check 1", "check 0"});
    activate(*w, 7);
    ASSERT_EQ(events("notice").size(), 1);
    EXPECT_EQ(events("notice")[0]["text"].toString(), "FONT_NOTSAVED");
    EXPECT_EQ(readBytes(vardelCfg), settings);
    EXPECT_TRUE(QFileInfo(programDir + "ChangeFont/kept").isDir());
    EXPECT_FALSE(QFile::exists(programDir + "ChangeFont.new"));
    EXPECT_EQ(rowsOf(w->listaConfig)[7], (QStringList{"CONFIG_FONT", "System font"}));
    QDir(programDir + "ChangeFont").removeRecursively();
}

TEST_F(FontEditor, NothingFoundTellsSoAndWritesNothing)
{
    storeFont("NO");
    writeBytes("/mmc/mmca1/fonts/readme.txt", "no fonts");
    const QByteArray settings = readBytes(vardelCfg);
    auto w = open();
    answer({"check 1"});
    activate(*w, 7);
    ASSERT_EQ(events("notice").size(), 1);
    EXPECT_EQ(events("notice")[0]["text"].toString(), "FONT_NOTHING");
    EXPECT_EQ(events("notice")[0]["time"].toInt(), 3000);
    EXPECT_EQ(events("dialog").size(), 1);
    EXPECT_EQ(w->noticeDlg, nullptr);
    EXPECT_EQ(readBytes(programDir + "fonttemp"), "");
    EXPECT_FALSE(commands().contains("rm '" + programDir + "'/fonttemp"));
    EXPECT_EQ(readBytes(vardelCfg), settings);
    EXPECT_FALSE(QFile::exists(programDir + "ChangeFont"));
    EXPECT_EQ(w->listaConfig->currentItem(), 7);
}

// Whatever a found file is called and whatever the notice says, both reach
// the script unchanged and nothing runs.
TEST_F(FontEditor, HostilePathsAndNoticesReachTheScriptUnchanged)
{
    const Hostile::Canary canary;
    const QString folder = "/mmc/mmca1/my $HOME \"fonts\" 'x' `y`";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray notice = "say \"hi\" $HOME `x` \\ 'q' %1";
    setLanguage(languageFile({{"CHANGE_FONT", notice}}));
    auto w = open();
    for (const Hostile::Value& v : Hostile::fileNames(canary)) {
        // find reports one path per line.
        if (v.text.contains('\n'))
            continue;
        SCOPED_TRACE(v.label);
        const QString path = folder + "/" + v.text + ".ttf";
        createByBytes(path);
        storeFont("NO");
        answer({"check 1", "check 0"});
        activate(*w, 7);
        ::unlink(Paths::toBytes(path).constData());
        ASSERT_EQ(dialogEntries(1), QStringList{v.text + ".ttf"});
        const QByteArray script = readBytes(programDir + "ChangeFont");
        EXPECT_EQ(script, expectedFontScript(fontValueOf(script), notice));
        EXPECT_EQ(fontSeenByShell(script), Paths::toBytes(path));
        // A name the settings file cannot hold on one line is not recorded.
        EXPECT_EQ(storedFont(), v.text.contains('\r') ? "NO" : Paths::toBytes(path));
        EXPECT_EQ(rowsOf(w->listaConfig)[7].value(1), v.text.contains('\r') ? "System font" : v.text + ".ttf");
    }

    for (const Hostile::Value& v : Hostile::values(canary)) {
        // The language file holds one line per text, stripped at both ends.
        static const QString blanks = " \t\r\v\f";
        if (v.text.contains('\n') || v.text.contains('\r') || v.text.isEmpty() || blanks.contains(v.text.front())
            || blanks.contains(v.text.back()))
            continue;
        SCOPED_TRACE(v.label);
        setLanguage(languageFile({{"CHANGE_FONT", v.text.toLatin1()}}));
        answer({"check 0"});
        activate(*w, 7);
        EXPECT_EQ(readBytes(programDir + "ChangeFont"), expectedFontScript("\"NO\"", v.text.toLatin1()));
    }
    EXPECT_FALSE(canary.fired());
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = ProgramTests::start(argc, argv); status >= 0)
        return status;

    QTemporaryDir dir;
    programDir = dir.path() + "/prog/";
    // The program's pictures, as installed beside it.
    ProgramTests::installBuiltFolders(programDir, {"images"});
    return ProgramTests::runAsProgram(argc, argv, QFile::encodeName(programDir + "vardel"), app);
}
