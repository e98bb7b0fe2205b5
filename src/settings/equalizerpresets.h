#pragma once

#include <array>

// The media player's equalizer: a master switch and one on/off key per
// preset, in the media player's own file.
namespace EqualizerPresets {

inline constexpr char file[] = "/ezxlocal/download/appwrite/setup/ezx_mp.cfg";
inline constexpr char section[] = "MediaControlItem";
inline constexpr char switchKey[] = "EqualizerFeature";

// Read for a missing master switch by the editor (nothing is checked then)
// and for a missing preset key (the preset is off).
inline constexpr int switchMissingInEditor = 12;
inline constexpr int presetMissing = 5;

struct Preset {
    const char* name;  // shown as it stands, in every language
    const char* key;
};

// In the order of the preset list.
inline constexpr std::array<Preset, 17> presets = {{
    {"Bass Boost", "EqSettingBassBoost"},
    {"Classical", "EqSettingClassical"},
    {"Country", "EqSettingCountry"},
    {"Dance", "EqSettingDance"},
    {"Hip Hop", "EqSettingHipHop"},
    {"Latin", "EqSettingLatin"},
    {"Oldies", "EqSettingOldies"},
    {"Pop", "EqSettingPop"},
    {"RB Soul", "EqSettingRBSoul"},
    {"Reggae", "EqSettingReggae"},
    {"Rock", "EqSettingRock"},
    {"Small Speaker", "EqSettingSmallSpeaker"},
    {"Spoken Word", "EqSettingSpokenWord"},
    {"Techno", "EqSettingTechno"},
    {"Treble Boost", "EqSettingTrebleBoost"},
    {"Vocal Booster", "EqSettingVocalBooster"},
    {"Vocal Reducer", "EqSettingVocalReducer"},
}};

} // namespace EqualizerPresets
