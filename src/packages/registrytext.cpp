#include "packages/registrytext.h"

namespace RegistryText {

QString cleaned(const QStringList& lines)
{
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[')) {
            if (!text.isEmpty())
                text += QLatin1String("\n\n");
        } else {
            text += u'\n';
        }
        text += line;
    }
    return text;
}

QString withMpkgHandler(const QStringList& lines)
{
    const QString section = QString::fromLatin1(mpkgSection);
    const QString handler = QString::fromLatin1(mpkgHandler);
    QString text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        text += lines.at(i);
        text += u'\n';
        if (lines.at(i) == section) {
            i += 2;  // the old AppID and AppList, whatever they hold
            text += QStringLiteral("AppID = ") + handler + u'\n';
            text += QStringLiteral("AppList = ") + handler + u'\n';
        }
    }
    return text;
}

QString nameOnLine(const QString& registryLine)
{
    const qsizetype equals = registryLine.indexOf(u'=');
    if (equals < 0)
        return QString();
    // Blanks as the configuration reader strips them.
    QString value = registryLine.mid(equals + 1);
    auto blank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
    };
    qsizetype from = 0;
    qsizetype to = value.size();
    while (from < to && blank(value.at(from)))
        ++from;
    while (to > from && blank(value.at(to - 1)))
        --to;
    return value.mid(from, to - from);
}

bool mentions(const QStringList& lines, const QString& id)
{
    for (const QString& line : lines) {
        if (line.contains(id))
            return true;
    }
    return false;
}

} // namespace RegistryText
