#include "settings/flexbits.h"

#include <span>

namespace FlexBits {

namespace {

using SettingsRows::OnOff;

// A known word, the state it stands for, and the word for the other state
// with every other bit kept.
struct Word {
    qint32 word;
    bool on;
    qint32 flipped;
};

constexpr Word emptySmsWords[] = {
    {0x67FCFFFF, true, 0x67FCFBFF},
    {0x77FCFFFF, true, 0x77FCFBFF},
    {0x67FCFBFF, false, 0x67FCFFFF},
    {0x77FCFBFF, false, 0x77FCFFFF},
};

constexpr Word sliderWords[] = {
    {0x2CFFD85C, true, 0x24FFD85C},
    {0x24FFD85C, false, 0x2CFFD85C},
};

constexpr Word sidebarWords[] = {
    {0x77FCFFFF, true, 0x67FCFFFF},
    {0x77FCFBFF, true, 0x67FCFBFF},
    {0x67FCFFFF, false, 0x77FCFFFF},
    {0x67FCFBFF, false, 0x77FCFBFF},
};

struct Table {
    Editor editor;
    std::span<const Word> words;
    bool fixedWords;  // writes its word for the chosen state whatever the key held
};

const Table& tableOf(Switch which)
{
    static const Table emptySms{{"6", "EMPTYSMS_MSG1", SettingsRows::EmptySms}, emptySmsWords, false};
    static const Table slider{{"10", "SLIDER_MSG1", SettingsRows::Slider}, sliderWords, true};
    static const Table sidebar{{"6", "ORANGEBAR_MSG1", SettingsRows::Sidebar}, sidebarWords, false};
    switch (which) {
    case Switch::EmptySms:
        return emptySms;
    case Switch::Slider:
        return slider;
    case Switch::Sidebar:
        break;
    }
    return sidebar;
}

const Word* find(const Table& table, qint32 word)
{
    for (const Word& known : table.words) {
        if (known.word == word)
            return &known;
    }
    return nullptr;
}

} // namespace

const Editor& editorOf(Switch which)
{
    return tableOf(which).editor;
}

OnOff stateOf(Switch which, qint32 word)
{
    const Word* known = find(tableOf(which), word);
    if (!known)
        return OnOff::Unknown;
    return known->on ? OnOff::On : OnOff::Off;
}

std::optional<qint32> wordFor(Switch which, bool on, qint32 current)
{
    const Table& table = tableOf(which);
    if (table.fixedWords) {
        for (const Word& known : table.words) {
            if (known.on == on)
                return known.word;
        }
        return std::nullopt;
    }
    const Word* known = find(table, current);
    if (!known || known->on == on)
        return std::nullopt;
    return known->flipped;
}

} // namespace FlexBits
