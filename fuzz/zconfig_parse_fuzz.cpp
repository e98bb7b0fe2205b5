// ZConfig reading arbitrary bytes: the parser agrees with a plain reading of
// the INI rules, and every lookup through a ZConfig object on that file
// answers what the file says (text, number, list, or the default).

#include "fuzzing.h"

#include <ZConfig.h>
#include <ZConfigText.h>

#include <QHash>
#include <QRegularExpression>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArray stripped(QByteArray s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s.remove(0, 1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

// The rules read as plainly as possible: split at LF, strip, classify; the
// first header of a section and the first line of a key win.
ZConfigText::Sections plainReading(const QByteArray& text)
{
    ZConfigText::Sections sections;
    sections.insert(QByteArray(), {});
    QByteArray current;
    bool repeat = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = stripped(raw);
        if (line.isEmpty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.front() == '[') {
            if (line.size() >= 2 && line.back() == ']') {
                current = stripped(line.mid(1, line.size() - 2));
                repeat = sections.contains(current);
                if (!repeat)
                    sections.insert(current, {});
            }
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0 || repeat)
            continue;
        const QByteArray key = stripped(line.left(eq));
        if (!sections[current].contains(key))
            sections[current].insert(key, stripped(line.mid(eq + 1)));
    }
    return sections;
}

// What readNumEntry must give: the value when it is a sign and decimal
// digits within 32 bits, else the default.
int expectedNumber(const QByteArray& value, int def)
{
    static const QRegularExpression decimal(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    if (!decimal.match(QString::fromLatin1(value)).hasMatch())
        return def;
    QByteArray digits = value;
    const bool negative = digits.startsWith('-');
    if (digits.startsWith('-') || digits.startsWith('+'))
        digits.remove(0, 1);
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove(0, 1);
    if (digits.size() > 10)
        return def;
    const qint64 n = digits.toLongLong() * (negative ? -1 : 1);
    return n < INT32_MIN || n > INT32_MAX ? def : int(n);
}

std::string describe(const QByteArray& input, const QByteArray& section, const QByteArray& key)
{
    return "file " + Fuzz::show(input) + "\nsection " + Fuzz::show(section) + " key "
        + Fuzz::show(key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const ZConfigText::Sections parsed = ZConfigText::parse(input);
    const ZConfigText::Sections plain = plainReading(input);
    FUZZ_CHECK(parsed == plain, "file " + Fuzz::show(input));

    const QString path = Fuzz::scratchDir() + QStringLiteral("/parse.cfg");
    FUZZ_CHECK(Fuzz::writeFile(path, input), "cannot write " + path.toStdString());
    const ZConfig config(path, false);
    const int def = -7777777;
    for (auto section = plain.cbegin(); section != plain.cend(); ++section) {
        const QString group = QString::fromLatin1(section.key());
        for (auto entry = section->cbegin(); entry != section->cend(); ++entry) {
            const QString key = QString::fromLatin1(entry.key());
            const QByteArray& value = entry.value();
            FUZZ_CHECK(config.readEntry(group, key, QStringLiteral("<default>"))
                           == QString::fromLatin1(value),
                       describe(input, section.key(), entry.key()));
            FUZZ_CHECK(config.readNumEntry(group, key, def) == expectedNumber(value, def),
                       describe(input, section.key(), entry.key()));
            // The list's items hold every character but the separators.
            const QStringList items = config.readListEntry(group, key, u',');
            QString rest = QString::fromLatin1(value);
            rest.remove(u',');
            FUZZ_CHECK(items.join(QString()) == rest && !items.contains(QString()),
                       describe(input, section.key(), entry.key()));
        }
        // "=" can never be a key, so it is never found.
        FUZZ_CHECK(config.readEntry(group, QStringLiteral("="), QStringLiteral("<default>"))
                       == QStringLiteral("<default>"),
                   describe(input, section.key(), "="));
    }
    // Nor is a section name no header gave.
    QByteArray missing = "missing";
    while (plain.contains(missing))
        missing += '_';
    FUZZ_CHECK(config.readEntry(QString::fromLatin1(missing), QStringLiteral("k"), QStringLiteral("d"))
                   == QStringLiteral("d"),
               describe(input, missing, "k"));
    return 0;
}
