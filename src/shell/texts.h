#pragma once

#include <QString>

class ZConfig;

// How the bytes of a language file's entry become the text shown (the
// conversion behind Vardel::texto).
namespace Texts {

// Whether a language file stores its texts in UTF-8: its entry UNICODE in
// section [VARDEL] is "1". Anything else, or none, means Latin-1.
bool isUnicode(const ZConfig& languageFile);

// The bytes up to the first NUL as display text: decoded as UTF-8 (through
// txtcodec) when unicode, else one character per byte.
QString decode(const char* bytes, bool unicode);

// The same for all of the bytes, a NUL among them included: for values that
// name something, which must not read as another value cut short.
QString decodeWhole(const QByteArray& bytes, bool unicode);

// The language file every text falls back on, in the program's languages/.
inline constexpr char englishFile[] = "en.lng";

// The entry of the ID in section [VARDEL] as stored: the chosen language
// file's, or, when that does not hold it (or cannot be read), the English
// file's in programDir + "/languages/"; "" when neither holds it.
// fromEnglish, when given, tells which file it came from.
QString entry(const ZConfig& chosen, const QString& programDir, const char* id, bool* fromEnglish = nullptr);

// Whether the English file stores its texts in UTF-8 (isUnicode).
bool englishIsUnicode(const QString& programDir);

} // namespace Texts
