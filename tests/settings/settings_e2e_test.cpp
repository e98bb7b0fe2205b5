// The settings tab end to end: the built program on the demo phone inside
// the phone sandbox, answered by automation scripts, on both firmware
// variants.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <sys/stat.h>

#include "demophone.h"
#include "expected_script.h"

namespace {

const QString setup = "/ezxlocal/download/appwrite/setup/";

class SettingsPhone : public DemoPhone {
protected:
    // The bytes with the one line "key = old" made "key = value".
    static QByteArray withLine(QByteArray bytes, const QByteArray& key, const QByteArray& value)
    {
        const qsizetype at = bytes.indexOf("\n" + key + " = ") + 1;
        EXPECT_GT(at, 0) << key.constData();
        const qsizetype end = bytes.indexOf('\n', at);
        return bytes.replace(at, end - at, key + " = " + value);
    }

    // The entry as the language file stores it.
    QByteArray storedText(const QByteArray& id) const
    {
        for (const QByteArray& line : read(programDir + "languages/en.lng").split('\n')) {
            if (line.startsWith(id + " = "))
                return line.mid(id.size() + 3);
        }
        return QByteArray();
    }

    QJsonArray lastDump() const
    {
        const auto dumps = eventsOf("dump");
        return dumps.isEmpty() ? QJsonArray() : dumps.last()["rows"].toArray();
    }
};

TEST_F(SettingsPhone, AlarmSidebarEqualizerAndCardFont)
{
    const QStringList files = {setup + "ezx_system.cfg", setup + "ezx_bluetooth.cfg", setup + "ezx_addressbook.cfg",
                               setup + "ezx_flexbit.cfg", setup + "ezx_mp.cfg", programDir + "Vardel.cfg"};
    QMap<QString, QByteArray> before;
    for (const QString& f : files)
        before[f] = read(f);

    const auto result = run({program}, {"tab 2", "dump", "activate 0", "number 8", "activate 5", "check 0",
                                        "activate 6", "check 0", "check 7 10", "activate 7", "check 1",
                                        "check 1", "dump"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty());

    // Only the chosen values changed; every other key and section stays.
    QMap<QString, QByteArray> after = before;
    after[setup + "ezx_system.cfg"] = withLine(before[setup + "ezx_system.cfg"], "AlertTime", "8");
    after[setup + "ezx_flexbit.cfg"] = withLine(before[setup + "ezx_flexbit.cfg"], "6", "2013069311");
    after[setup + "ezx_mp.cfg"] = withLine(before[setup + "ezx_mp.cfg"], "EqSettingPop", "1");
    after[programDir + "Vardel.cfg"] = withLine(before[programDir + "Vardel.cfg"], "Font", "/mmc/mmca1/fonts/big.ttf");
    for (const QString& f : files)
        EXPECT_EQ(read(f), after[f]) << f.toStdString();
    // Rock was on already; every other preset stays off.
    EXPECT_TRUE(after[setup + "ezx_mp.cfg"].contains("\nEqSettingRock = 1\n"));
    EXPECT_EQ(after[setup + "ezx_mp.cfg"].count(" = 1\n"), 3);

    EXPECT_EQ(read(programDir + "ChangeFont"), expectedFontScript("/mmc/mmca1/fonts/big.ttf", storedText("CHANGE_FONT")));
    EXPECT_EQ(read(programDir + "fonttemp"), "<missing>");

    const auto lists = eventsOf("dialog", "ZSingleSelectDlg");
    ASSERT_EQ(lists.size(), 4);
    EXPECT_EQ(lists[3]["entries"].toArray(), (QJsonArray{"Rounded.ttf", "big.ttf", "CONDENSED.TTF"}));

    const auto dumps = eventsOf("dump");
    ASSERT_EQ(dumps.size(), 2);
    EXPECT_EQ(dumps[0]["rows"].toArray()[0].toArray(), (QJsonArray{"Alarm alert time", "3 min"}));
    EXPECT_EQ(dumps[0]["rows"].toArray()[5].toArray(), (QJsonArray{"Sidebar", "Disabled"}));
    EXPECT_EQ(dumps[1]["rows"].toArray(),
              (QJsonArray{QJsonArray{"Alarm alert time", "8 min"}, QJsonArray{"Bluetooth visibility", "5 min"},
                          QJsonArray{"Caller ID matching", "7 digits"}, QJsonArray{"Send empty SMS", "Enabled"},
                          QJsonArray{"Phone slider", "Enabled"}, QJsonArray{"Sidebar", "Enabled"},
                          QJsonArray{"Music equalizer", "Enabled"}, QJsonArray{"Phone font", "big.ttf"}}));
    EXPECT_EQ(dumps[1]["current"].toInt(), 7);
}

// The firmware variant copies the font over its own font files, quoted
// whatever the path holds, and leaves the start-up script alone.
TEST_F(SettingsPhone, BrenikFirmwareCopiesTheFontAndRestoresTheSystemFont)
{
    const QString font = "/ezxlocal/download/mystuff/my fonts/$HOME \"x\" 'y' `z`.TTF";
    write(font, "odd font");
    write(programDir + "ChangeFont", "left as it was\n");
    write("/usr/language/fonts/AMCSL1.TTF", "earlier font");
    write("/usr/language/fonts/NUMBER1.TTF", "earlier font");
    // The ordinary firmware's key is not consulted here.
    const QByteArray settings = withLine(read(programDir + "Vardel.cfg"), "Font", "/mmc/mmca1/fonts/big.ttf");
    write(programDir + "Vardel.cfg", settings);

    // The row shows the system font, which the editor pre-checks; taking it
    // restores the copies kept beside the program.
    auto result = run({program}, {"tab 2", "dump", "activate 7", "accept"}, {"--brenik"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_TRUE(eventsOf("error").isEmpty());
    ASSERT_EQ(eventsOf("dump").size(), 1);
    EXPECT_EQ(eventsOf("dump")[0]["rows"].toArray()[7].toArray(), (QJsonArray{"Phone font", "System font"}));
    const auto lists = eventsOf("dialog", "ZSingleSelectDlg");
    ASSERT_EQ(lists.size(), 1);
    EXPECT_EQ(lists[0]["checked"].toArray(), QJsonArray{0});
    EXPECT_EQ(read(programDir + "Vardel.cfg"), withLine(settings, "FontBrenik", "NO"));
    ASSERT_NE(read(programDir + "AMCSL.TTF1"), read(programDir + "NUMBER.TTF1"));
    EXPECT_EQ(read("/usr/language/fonts/AMCSL1.TTF"), read(programDir + "AMCSL.TTF1"));
    EXPECT_EQ(read("/usr/language/fonts/NUMBER1.TTF"), read(programDir + "NUMBER.TTF1"));
    const QString dir = "'" + programDir + "'";
    EXPECT_EQ(commands().mid(commands().indexOf("cp " + dir + "/AMCSL.TTF1 /usr/language/fonts/AMCSL1.TTF"), 4),
              (QStringList{"cp " + dir + "/AMCSL.TTF1 /usr/language/fonts/AMCSL1.TTF",
                           "cp " + dir + "/NUMBER.TTF1 /usr/language/fonts/NUMBER1.TTF",
                           "chown ezx:ezx /usr/language/fonts/*", "chmod 755 /usr/language/fonts/*"}));

    // Choose the file: the second of the phone-memory fonts.
    result = run({program}, {"tab 2", "activate 7", "check 1", "check 1", "dump"}, {"--brenik"});
    ASSERT_EQ(result.exitCode, 0) << result.output.constData();
    EXPECT_EQ(eventsOf("dialog", "ZSingleSelectDlg").value(1)["entries"].toArray(),
              (QJsonArray{"Rounded.ttf", "$HOME \"x\" 'y' `z`.TTF", "big.ttf", "CONDENSED.TTF"}));
    EXPECT_EQ(read("/usr/language/fonts/AMCSL1.TTF"), "odd font");
    EXPECT_EQ(read("/usr/language/fonts/NUMBER1.TTF"), "odd font");
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(hostPath("/usr/language/fonts/AMCSL1.TTF")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(read(programDir + "Vardel.cfg"), withLine(settings, "FontBrenik", font.toUtf8()));
    EXPECT_TRUE(commands().contains("cp '/ezxlocal/download/mystuff/my fonts/$HOME \"x\" '\\''y'\\'' `z`.TTF' "
                                    "/usr/language/fonts/AMCSL1.TTF"));
    EXPECT_EQ(lastDump()[7].toArray(), (QJsonArray{"Phone font", "$HOME \"x\" 'y' `z`.TTF"}));

    // The start-up script of the ordinary firmware is neither written nor
    // removed.
    EXPECT_EQ(read(programDir + "ChangeFont"), "left as it was\n");
    for (const QString& c : commands())
        EXPECT_FALSE(c.contains("ChangeFont")) << c.toStdString();
}

} // namespace
