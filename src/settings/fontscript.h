#pragma once

#include <QString>

// The start-up script "ChangeFont" that the ordinary firmware runs to put a
// chosen font in place of the system font: it binds the phone's registry
// copy, and when a font is set it shows the notice, binds the font file over
// the two system font files and restarts the phone's interface.
//
// The texts returned are the script as the file must read, 27 lines each
// ended by a line feed (the last line is empty); the writer adds one more
// line feed. The notice is put in as it is, byte for byte; so is the font
// path, unless the shell would read it as something else (blanks, quotes,
// $, backquotes and the like): then it is single-quoted.
namespace FontScript {

inline constexpr char fileName[] = "ChangeFont";

// The script that binds the font file at fontPath, announcing it with the
// notice text.
QString withFont(const QString& fontPath, const QString& notice);

// The script that keeps the system font (FONT="NO"; the notice is written
// but never shown).
QString withSystemFont(const QString& notice);

} // namespace FontScript
