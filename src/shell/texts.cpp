#include "shell/texts.h"

#include <QTextCodec>

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

} // namespace Texts
