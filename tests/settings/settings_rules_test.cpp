// The settings' plain rules, checked without a window or a shell: what the
// flag-table words stand for and what each switch writes, the font row's
// value line and the font script's exact text.

#include <gtest/gtest.h>

#include <QStringList>

#include <optional>

#include "expected_script.h"
#include "hostile.h"
#include "qtprint.h"
#include "settings/flexbits.h"
#include "settings/fontscript.h"
#include "settings/settingsrows.h"

using FlexBits::Switch;
using SettingsRows::OnOff;

namespace {

constexpr qint32 smsOnBarOff = 1744633855;   // 0x67FCFFFF
constexpr qint32 smsOnBarOn = 2013069311;    // 0x77FCFFFF
constexpr qint32 smsOffBarOff = 1744632831;  // 0x67FCFBFF
constexpr qint32 smsOffBarOn = 2013068287;   // 0x77FCFBFF
constexpr qint32 sliderOn = 754964572;       // 0x2CFFD85C
constexpr qint32 sliderOff = 620746844;      // 0x24FFD85C

// Words no setting knows: bit 10 set but another bit changed, the defaults
// of list and editor, zero, a negative word, and each switch's words read
// under the other key.
constexpr qint32 unknownWords[] = {1744633854, 5, 12, 0, -1, 0x7FFFFFFF};

const char* name(Switch s)
{
    return s == Switch::EmptySms ? "empty messages" : s == Switch::Slider ? "slider" : "sidebar";
}

} // namespace

// One row per known word and setting: the state shown (and pre-checked),
// and what choosing on and off writes (nullopt: nothing).
TEST(FlagTable, EveryKnownWordAndEveryChoice)
{
    const struct {
        Switch which;
        qint32 word;
        OnOff state;
        std::optional<qint32> on;
        std::optional<qint32> off;
    } table[] = {
        {Switch::EmptySms, smsOnBarOff, OnOff::On, std::nullopt, smsOffBarOff},
        {Switch::EmptySms, smsOnBarOn, OnOff::On, std::nullopt, smsOffBarOn},
        {Switch::EmptySms, smsOffBarOff, OnOff::Off, smsOnBarOff, std::nullopt},
        {Switch::EmptySms, smsOffBarOn, OnOff::Off, smsOnBarOn, std::nullopt},
        {Switch::Sidebar, smsOnBarOff, OnOff::Off, smsOnBarOn, std::nullopt},
        {Switch::Sidebar, smsOffBarOff, OnOff::Off, smsOffBarOn, std::nullopt},
        {Switch::Sidebar, smsOnBarOn, OnOff::On, std::nullopt, smsOnBarOff},
        {Switch::Sidebar, smsOffBarOn, OnOff::On, std::nullopt, smsOffBarOff},
        // The slider writes its fixed word whatever the key held.
        {Switch::Slider, sliderOn, OnOff::On, sliderOn, sliderOff},
        {Switch::Slider, sliderOff, OnOff::Off, sliderOn, sliderOff},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(std::string(name(row.which)) + " " + std::to_string(row.word));
        EXPECT_EQ(FlexBits::stateOf(row.which, row.word), row.state);
        EXPECT_EQ(FlexBits::wordFor(row.which, true, row.word), row.on);
        EXPECT_EQ(FlexBits::wordFor(row.which, false, row.word), row.off);
    }

    // Words are recognised whole: any other word shows nothing, and only
    // the slider writes anything for it.
    for (const Switch which : {Switch::EmptySms, Switch::Sidebar, Switch::Slider}) {
        QList<qint32> others(std::begin(unknownWords), std::end(unknownWords));
        others << (which == Switch::Slider ? QList<qint32>{smsOnBarOff, smsOffBarOn}
                                           : QList<qint32>{sliderOn, sliderOff});
        for (const qint32 word : others) {
            SCOPED_TRACE(std::string(name(which)) + " " + std::to_string(word));
            EXPECT_EQ(FlexBits::stateOf(which, word), OnOff::Unknown);
            const bool slider = which == Switch::Slider;
            EXPECT_EQ(FlexBits::wordFor(which, true, word), slider ? std::optional(sliderOn) : std::nullopt);
            EXPECT_EQ(FlexBits::wordFor(which, false, word), slider ? std::optional(sliderOff) : std::nullopt);
        }
    }

    // Keys, titles and rows of the three editors.
    EXPECT_STREQ(FlexBits::editorOf(Switch::EmptySms).key, "6");
    EXPECT_STREQ(FlexBits::editorOf(Switch::Sidebar).key, "6");
    EXPECT_STREQ(FlexBits::editorOf(Switch::Slider).key, "10");
    EXPECT_EQ(FlexBits::editorOf(Switch::EmptySms).row, 3);
    EXPECT_EQ(FlexBits::editorOf(Switch::Slider).row, 4);
    EXPECT_EQ(FlexBits::editorOf(Switch::Sidebar).row, 5);
}

TEST(SettingsRows, FontRowShowsTheFileNameOrTheSystemFont)
{
    const struct {
        QString stored;
        QString shown;
    } fonts[] = {
        {"/mmc/mmca1/fonts/big.ttf", "big.ttf"},
        {"NO", "System font"},
        {"no", ""},  // only the exact word means the system font
        {"", ""},
        {"/mmc/mmca1/my fonts/a $b \"c\".ttf", "a $b \"c\".ttf"},
    };
    for (const auto& f : fonts)
        EXPECT_EQ(SettingsRows::fontLine(f.stored, "System font"), f.shown) << f.stored.toStdString();
}

namespace {

// The script as written: the text and the writer's line feed.
QByteArray written(const QString& script)
{
    return script.toLatin1() + '\n';
}

} // namespace

TEST(FontScript, BothVariantsReadAsTheTwentySevenLines)
{
    const QString font = FontScript::withFont("/mmc/mmca1/fonts/big.ttf", "Applying");
    EXPECT_EQ(written(font), expectedFontScript("/mmc/mmca1/fonts/big.ttf", "Applying"));
    EXPECT_EQ(font.count('\n'), 27);
    EXPECT_EQ(written(FontScript::withSystemFont("Applying")), expectedFontScript("\"NO\"", "Applying"));
}

// The notice goes in byte for byte, the path once: a path holding "%2" or
// "$FONT" does not pull the notice (or anything else) in. An ordinary path
// stands as it is; any other is quoted for the shell (what the shell then
// reads is checked in the phone sandbox).
TEST(FontScript, PathAndNoticeArePutInAsTheyAre)
{
    const Hostile::Canary canary;
    for (const Hostile::Value& v : Hostile::values(canary)) {
        SCOPED_TRACE(v.label);
        const QByteArray bytes = v.text.toLatin1();
        const QString path = "/mmc/mmca1/" + v.text + ".ttf";
        const QByteArray script = written(FontScript::withFont(path, "N%1"));
        EXPECT_EQ(script, expectedFontScript(fontValueOf(script), "N%1"));
        EXPECT_EQ(written(FontScript::withFont("/a.ttf", v.text)), expectedFontScript("/a.ttf", bytes));
        EXPECT_EQ(written(FontScript::withSystemFont(v.text)), expectedFontScript("\"NO\"", bytes));
    }
    for (const char* path : {"/mmc/mmca1/fonts/big.ttf", "/ezxlocal/download/mystuff/fonts/Rounded.ttf",
                             "/mmc/mmca1/a-b_c.d+e,f:g@h%i=j/CONDENSED.TTF"})
        EXPECT_EQ(fontValueOf(written(FontScript::withFont(path, "N"))), path);
    EXPECT_EQ(fontValueOf(written(FontScript::withFont("/mmc/my font.ttf", "N"))), "'/mmc/my font.ttf'");
    EXPECT_EQ(fontValueOf(written(FontScript::withFont("/mmc/it's.ttf", "N"))), "'/mmc/it'\\''s.ttf'");
}
