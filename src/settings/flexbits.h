#pragma once

#include <QtGlobal>

#include <optional>

#include "settings/settingsrows.h"

// Three on/off settings kept as bits of the phone's flag table. The table's
// values are 32-bit words written in decimal; only the six words below are
// known, and they are recognised and replaced as whole words, never by
// testing or setting single bits of some other word.
//
//   key "10": 0x2CFFD85C slider on, 0x24FFD85C slider off (bit 27)
//   key "6":  0x77FCFFFF sidebar on,  empty messages on
//             0x77FCFBFF sidebar on,  empty messages off
//             0x67FCFFFF sidebar off, empty messages on
//             0x67FCFBFF sidebar off, empty messages off
//             (sidebar bit 28, empty messages bit 10)
namespace FlexBits {

inline constexpr char file[] = "/ezxlocal/download/appwrite/setup/ezx_flexbit.cfg";
inline constexpr char section[] = "SYS_FLEX_TABLE";

// What an editor reads for a missing key (the list reads
// SettingsRows::missingNumber); neither stands for a known word.
inline constexpr int missingInEditor = 12;

enum class Switch { EmptySms, Slider, Sidebar };

struct Editor {
    const char* key;
    const char* titleId;
    int row;  // row of the settings list
};

const Editor& editorOf(Switch which);

// What the word stands for, for this setting.
SettingsRows::OnOff stateOf(Switch which, qint32 word);

// The word to store when the user chooses on (or off) while the key holds
// current; nothing when nothing is to be written. The slider always gets
// its fixed word. The sidebar and the empty-message setting change only a
// known word that stands for the other state, keeping the other setting's
// bit.
std::optional<qint32> wordFor(Switch which, bool on, qint32 current);

} // namespace FlexBits
