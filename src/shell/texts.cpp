#include "shell/texts.h"

#include <QTextCodec>

#include <optional>

#include <ZConfig.h>

#include "vardel.h"

namespace Texts {

bool isUnicode(const ZConfig& languageFile)
{
    return languageFile.readEntry("VARDEL", "UNICODE", "") == QLatin1String("1");
}

QString decode(const char* bytes, bool unicode)
{
    return unicode ? txtcodec->toUnicode(bytes) : QString::fromLatin1(bytes);
}

QString decodeWhole(const QByteArray& bytes, bool unicode)
{
    return unicode ? txtcodec->toUnicode(bytes) : QString::fromLatin1(bytes);
}

namespace {

// The English file, read once per program directory: it is the program's
// own data and does not change while the program runs.
const ZConfig& english(const QString& programDir)
{
    static QString readFrom;
    static std::optional<ZConfig> file;
    const QString path = programDir + QStringLiteral("/languages/") + QLatin1String(englishFile);
    if (!file || readFrom != path) {
        file.emplace(path, false);
        readFrom = path;
    }
    return *file;
}

// No value read from a file holds a character above U+00FF.
const QString absent = QString(QChar(0x2400));

} // namespace

QString entry(const ZConfig& chosen, const QString& programDir, const char* id, bool* fromEnglish)
{
    const QString own = chosen.readEntry(QStringLiteral("VARDEL"), QLatin1String(id), absent);
    if (fromEnglish)
        *fromEnglish = own == absent;
    if (own != absent)
        return own;
    return english(programDir).readEntry(QStringLiteral("VARDEL"), QLatin1String(id), QString());
}

bool englishIsUnicode(const QString& programDir)
{
    return isUnicode(english(programDir));
}

} // namespace Texts
