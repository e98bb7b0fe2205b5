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

namespace {

// The text without the blanks at its ends, as the configuration reader
// strips them.
QString stripped(const QString& text)
{
    auto blank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
    };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text.at(from)))
        ++from;
    while (to > from && blank(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

// The section name of a header line, or nothing for any other line.
std::optional<QString> sectionOf(const QString& line)
{
    const QString text = stripped(line);
    if (text.size() < 2 || !text.startsWith(u'[') || !text.endsWith(u']'))
        return std::nullopt;
    return stripped(text.mid(1, text.size() - 2));
}

} // namespace

QString nameOnLine(const QString& registryLine)
{
    const qsizetype equals = registryLine.indexOf(u'=');
    if (equals < 0)
        return QString();
    return stripped(registryLine.mid(equals + 1));
}

std::optional<QString> withoutSection(const QStringList& lines, const QString& id)
{
    qsizetype from = 0;
    while (from < lines.size() && sectionOf(lines.at(from)) != id)
        ++from;
    if (from == lines.size())
        return std::nullopt;
    qsizetype to = from + 1;
    while (to < lines.size() && !sectionOf(lines.at(to)))
        ++to;
    return (lines.mid(0, from) + lines.mid(to)).join(u'\n');
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
