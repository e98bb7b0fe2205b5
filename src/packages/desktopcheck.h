#pragma once

#include <QString>
#include <QStringList>

class ZConfig;

// What the values of a package's desktop entry may hold. They become folder
// and file names, registry and descriptor lines, start-up script entries and
// start commands; a control character in one of them makes those say
// something else than the package showed: a NUL ends the value where it is
// read as a C string (a list row "Vardel" for "Vardel\0x"), a line break
// starts a line of its own, a carriage return is hidden by the display.
namespace DesktopCheck {

// True when the text holds a control character: a byte below 0x20 (NUL,
// tab and the line breaks among them) or 0x7F.
bool hasControlCharacter(const QString& text);

// The [Desktop Entry] keys the installers use: Name, Directory, Exec, the
// icons, Autorun, ThemeName, Folder, Author and the theme's event keys.
QStringList usedKeys();

// True when no used key of [Desktop Entry] holds a control character.
bool isPlain(const ZConfig& desktop);

} // namespace DesktopCheck
