#pragma once

#include <QString>

// Where themes live on the phone, and which names and paths the installer
// and the removal accept. Skin directories lie directly inside one of three
// skin bases; descriptors lie in one of two descriptor directories.
namespace ThemePlaces {

inline constexpr char phoneSkins[] = "/ezxlocal/download/appwrite/skins";
inline constexpr char cardSkins[] = "/mmc/mmca1/.system/skins";
inline constexpr char firmwareSkins[] = "/usr/data_resource/skin";

inline constexpr char installedDescriptors[] = "/ezxlocal/download/appwrite/setuptheme";
inline constexpr char firmwareDescriptors[] = "/usr/data_resource/theme";

// The unpacked theme package and the file naming the theme in use.
inline constexpr char workDir[] = "/mmc/mmca1/.system/tempmpkg";
inline constexpr char themeSettings[] = "/ezxlocal/download/appwrite/setup/ezx_theme.cfg";
// Its section holding CurrentSkin, as the header line reads.
inline constexpr char themeSettingsHeader[] = "[THEME_GROUP_LOG]";

// True when the text can be one file name: not empty, not "." or "..", no
// "/" and no NUL, and at most 255 bytes (the longest name a file can have).
bool isFileName(const QString& name);

// True when a theme package with this ThemeName and Folder can be installed
// without touching anything but its own skin directory and descriptor:
// Folder names one directory inside a skin base, and the descriptor's file
// name ("<ThemeName>.chm" or "<Folder>.phm") is one file name.
bool isInstallable(const QString& themeName, const QString& folder);

// True when a descriptor's Skin names a directory strictly inside one of the
// three skin bases (exactly one level below it), so that removing it cannot
// take a base, another theme's files or anything else with it. Without
// firmwareArea the firmware's own skin base counts as none: on the ordinary
// firmware it is read-only, and its themes are the phone's stock.
bool isRemovableSkin(const QString& skin, bool firmwareArea = true);

// True when a path listed by the descriptor search is a descriptor file
// inside one of the two descriptor directories (the installed one only,
// without firmwareArea).
bool isRemovableDescriptor(const QString& path, bool firmwareArea = true);

} // namespace ThemePlaces
