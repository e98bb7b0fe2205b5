#pragma once

#include <QString>

#include <array>

// The rows of the phone-settings list: what each one shows and where its
// value comes from. The editors select their row again by these indexes.
namespace SettingsRows {

enum Index { Alarm = 0, Bluetooth, Contacts, EmptySms, Slider, Sidebar, Equalizer, Font };

struct Row {
    const char* icon;     // file of the program's images folder
    const char* labelId;  // text ID of the label line
};

inline constexpr std::array<Row, 8> rows = {{
    {"alarm.png", "CONFIG_ALARM"},
    {"bluetooth.png", "CONFIG_BLUETOOTH"},
    {"contacts.png", "CONFIG_CONTACTS"},
    {"sms.png", "CONFIG_EMPTYSMS"},
    {"calls.png", "CONFIG_SLIDER"},
    {"sidebar.png", "CONFIG_ORANGEBAR"},
    {"music.png", "CONFIG_EQUALIZER"},
    {"font.png", "CONFIG_FONT"},
}};

// The picture of every value line.
inline constexpr char valueIcon[] = "null.png";

// What the list reads when a phone file or key is missing.
inline constexpr int missingNumber = 5;

// An on/off setting as its stored value shows it; Unknown for a value that
// stands for neither (the row then has no value line).
enum class OnOff { Unknown, On, Off };

// The equalizer's master switch: 1 on, 0 off.
OnOff equalizerState(int switchValue);

// The value line of a numeric row: the number, a blank, its unit.
QString numberLine(int value, const QString& unit);

// The value line of the font row: "NO" stands for the system font (its text
// given), anything else is a path shown by its file name.
QString fontLine(const QString& stored, const QString& systemFontText);

// The program's settings file and the keys that record the chosen font on
// either firmware.
inline constexpr char settingsSection[] = "Vardel";
inline constexpr char fontKey[] = "Font";
inline constexpr char fontKeyBrenik[] = "FontBrenik";
inline constexpr char systemFontValue[] = "NO";

} // namespace SettingsRows
