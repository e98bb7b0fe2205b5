#pragma once

#include <QString>
#include <QStringList>

// Building shell command lines from fixed patterns and free values.
//
// A pattern is a command line with numbered placeholders %1, %2, ... (up to
// %99). The values are substituted in one pass: the first value goes to the
// first occurrence of the lowest-numbered placeholder, the second value to
// the next occurrence in that order, and so on, so "%1/%1" takes two values
// and a value that itself contains "%2" is never looked at again.
//
// Every value becomes exactly one shell word holding exactly its text,
// whatever characters it has, and the fixed text of the pattern is kept byte
// for byte. The quoting follows where the placeholder stands in the pattern:
// unquoted, inside double quotes, inside single quotes, and inside `...` or
// $(...) command substitutions.
namespace Shell {

// The value as one single-quoted shell word: 'it'\''s' for it's.
QString quoteWord(const QString& value);

// The value as a shell word that reads back as exactly the value: as it
// stands when every character is one the shell takes literally (letters,
// digits and / . _ - + , : @ % =), otherwise single-quoted as quoteWord
// does. A path such as "x$(cmd).sh" or "my file.sh" thus neither runs a
// command nor splits, while a plain path stays as a person wrote it.
QString literalWord(const QString& value);

// The pattern with its placeholders filled as described above. Placeholders
// left over when there are fewer values stay as they are.
QString fillCommand(const QString& pattern, const QStringList& values);

} // namespace Shell
