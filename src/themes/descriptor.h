#pragma once

#include <QString>
#include <QStringList>

#include <iterator>

// The theme descriptor: the INI text the phone's theme settings read to find
// a theme's skin directory and its per-event pictures and sounds. It is
// written once, when the theme is installed, and never edited afterwards.
namespace ThemeDescriptor {

// The per-event keys of a theme package's desktop entry, in the order their
// lines appear in a descriptor.
inline constexpr const char* eventKeys[] = {
    "WallPaper",   "CalendarAlarm", "CallAlertLine1", "CallAlertLine2",
    "EmailAlert",  "IMAlert",       "LightAlert",     "MsgAlert",
    "PowerOffScreen", "PowerOnScreen", "ScreenSaver", "VMAlert",
};
inline constexpr int eventKeyCount = int(std::size(eventKeys));

// The descriptor's two sections, as their header lines read.
inline constexpr char configHeader[] = "[THEME_CONFIG_TABLE]";
inline constexpr char propertiesHeader[] = "[THEME_PROP_TABLE]";

// The name of a section (for ZConfig), given its header line.
QString section(const char* header);

// What a theme package's desktop entry says about the theme.
struct Theme {
    QString name;       // ThemeName
    QString folder;     // Folder: the skin directory's name
    QString author;     // Author: the descriptor's CopyRight
    QStringList events; // the values of eventKeys, in that order ("" when unset)
};

// The descriptor text for the theme installed with its skin directory at
// skinBase + "/" + folder. Every event key with a value gets a line with the
// absolute path of its file; with doubledVmAlertSlash the VMAlert path
// starts with one more "/" (what the phone-memory and card installs have
// always written). The text ends in a line break; written with the one line
// feed that closes every written file, the descriptor ends in an empty line.
QString text(const Theme& theme, const QString& skinBase, bool doubledVmAlertSlash);

} // namespace ThemeDescriptor
