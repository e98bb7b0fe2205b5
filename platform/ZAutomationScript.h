#pragma once

#include <QString>

#include "ZAutomation.h"

// The script reader behind ZAutomation: plain text functions for the line
// grammar, and the position in the loaded script. Internal.
namespace ZAutomationScript {

// The line without its line end and leading blanks.
QString cleanLine(const QString& raw);
// Blank lines and lines starting with '#'.
bool isSkipped(const QString& line);
// The first word, lower-cased.
QString keyword(const QString& line);
// Everything after the keyword and the one blank that follows it.
QString rest(const QString& line);
// tab, current, activate, menu, softkey, dump.
bool isStep(const QString& keyword);
// accept, yes, reject, no, check, text, number, file.
bool isAnswer(const QString& keyword);
// One decimal integer (sign allowed), nothing else.
bool parseInt(const QString& text, int* out);
// The file name bytes a "file" line names, one character per byte: the
// text's UTF-8 bytes, where "\xHH" (two hex digits, not 00) stands for the
// byte HH and "\\" for one backslash; any other backslash is itself.
QString filePath(const QString& text);
// Reads an answer line; false when it is malformed or no answer.
bool parseAnswer(const QString& line, ZAutomation::Answer* out);

// The next meaningful line of the loaded script (skipped lines passed over),
// and taking it. False when the script is used up.
bool peekLine(QString* line);
void takeLine();

} // namespace ZAutomationScript
