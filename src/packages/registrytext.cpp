#include "packages/registrytext.h"

#include <cstring>

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

QByteArray cleanedBytes(const QByteArray& registry)
{
    // Each section header may gain a blank line before it: one buffer of the
    // final size, never grown (and copied) on the way.
    QByteArray text;
    text.reserve(registry.size() + registry.count("\n[") + 2);
    const char* data = registry.constData();
    const qsizetype size = registry.size();
    qsizetype start = 0;
    while (start < size) {
        const char* feed = static_cast<const char*>(std::memchr(data + start, '\n', size_t(size - start)));
        const qsizetype end = feed ? feed - data : size;
        qsizetype length = end - start;
        if (feed && length > 0 && data[end - 1] == '\r')
            --length;
        if (length > 0) {
            if (data[start] == '[') {
                if (!text.isEmpty())
                    text.append("\n\n", 2);
            } else {
                text.append('\n');
            }
            text.append(data + start, length);
        }
        start = end + 1;
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

// Each line of the text, without its line feed, as a view into it.
template <typename F>
void forEachLine(const QByteArray& text, F&& f)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        f(QByteArrayView(text).sliced(start, end - start));
        start = end + 1;
    }
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

bool mentions(const QByteArray& text, const QString& id)
{
    // An ID holds no line feed, so a match never spans two lines.
    return text.contains(id.toLatin1());
}

QStringList directories(const QByteArray& registry)
{
    // Only lines whose key can be Directory become strings: a registry of
    // thousands of records has ten times as many other lines.
    QStringList found;
    const QByteArray key("Directory");
    forEachLine(registry, [&](QByteArrayView line) {
        const qsizetype equals = line.indexOf('=');
        if (equals >= 0 && line.first(equals).contains(key)
            && stripped(QString::fromLatin1(line.first(equals))) == QLatin1String(key))
            found << stripped(QString::fromLatin1(line.sliced(equals + 1)));
    });
    return found;
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
