#pragma once

#include <array>

#include "settings/settingsrows.h"

// The settings kept as small whole numbers in the phone applications' own
// files, each edited with a number picker within its bounds.
namespace NumericSettings {

struct Setting {
    const char* file;
    const char* section;
    const char* key;
    int min;
    int max;
    const char* titleId;  // picker title
    const char* labelId;  // label above the number
    const char* unitId;   // unit after the number in the settings list
    int row;              // row of the settings list
};

enum Index { Alarm = 0, Bluetooth, Contacts };

inline constexpr std::array<Setting, 3> all = {{
    {"/ezxlocal/download/appwrite/setup/ezx_system.cfg", "ALARMCLOCK", "AlertTime", 1, 10,
     "ALARM_MSG1", "ALARM_MSG2", "CONFIG_MIN", SettingsRows::Alarm},
    // The Bluetooth picker shares the alarm's label text.
    {"/ezxlocal/download/appwrite/setup/ezx_bluetooth.cfg", "Bluetooth Setup", "DiscoverablePeriod", 1,
     20, "BLUETOOTH_MSG1", "ALARM_MSG2", "CONFIG_MIN", SettingsRows::Bluetooth},
    {"/ezxlocal/download/appwrite/setup/ezx_addressbook.cfg", "ADDRBK_PRELOAD_GROUP",
     "NUMBER_MATCH_MINLEN", 6, 12, "CONTACTS_MSG1", "CONTACTS_MSG2", "CONFIG_DIGITS",
     SettingsRows::Contacts},
}};

// What both the list and the pickers read when the file or key is missing.
inline constexpr int missing = 5;

} // namespace NumericSettings
