#include "ZConfigText.h"

#include <QByteArrayView>

#include <cstdint>

namespace ZConfigText {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView strip(QByteArrayView v)
{
    while (!v.isEmpty() && isBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isBlank(v.back()))
        v.chop(1);
    return v;
}

enum class Kind { Other, Section, Entry };

struct Line {
    Kind kind = Kind::Other;
    QByteArrayView name;  // section name or key
    QByteArrayView value; // entries only
};

Line classify(QByteArrayView raw)
{
    const QByteArrayView t = strip(raw);
    if (t.isEmpty() || t.front() == '#' || t.front() == ';')
        return {};
    if (t.front() == '[') {
        if (t.size() >= 2 && t.back() == ']')
            return {Kind::Section, strip(t.sliced(1, t.size() - 2)), {}};
        return {};
    }
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return {};
    return {Kind::Entry, strip(t.first(eq)), strip(t.sliced(eq + 1))};
}

// Calls f(begin, end, next) for each line: [begin, end) is the line without
// its '\n' (a '\r' before it stays in), next is where the following line
// starts. f returns false to stop.
template<typename F>
void forEachLine(const QByteArray& text, F f)
{
    qsizetype begin = 0;
    const qsizetype size = text.size();
    while (begin < size) {
        qsizetype end = text.indexOf('\n', begin);
        qsizetype next = end + 1;
        if (end < 0) {
            end = size;
            next = size;
        }
        if (!f(begin, end, next))
            return;
        begin = next;
    }
}

QByteArrayView lineAt(const QByteArray& text, qsizetype begin, qsizetype end)
{
    return QByteArrayView(text.constData() + begin, end - begin);
}

bool endsWithCr(const QByteArray& text, qsizetype begin, qsizetype end)
{
    return end > begin && text.at(end - 1) == '\r';
}

// The line end the file already uses: that of its first line.
QByteArray lineEndOf(const QByteArray& text)
{
    const qsizetype nl = text.indexOf('\n');
    return nl > 0 && text.at(nl - 1) == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

bool hasSurroundingBlanks(const QByteArray& s)
{
    return !s.isEmpty() && (isBlank(s.front()) || isBlank(s.back()));
}

bool hasLineBreak(const QByteArray& s)
{
    return s.contains('\n') || s.contains('\r');
}

} // namespace

Sections parse(const QByteArray& text)
{
    Sections sections;
    QByteArray currentName;  // the unnamed section comes first
    Entries current;
    bool skipping = false;   // inside a repeated section

    forEachLine(text, [&](qsizetype begin, qsizetype end, qsizetype) {
        const Line line = classify(lineAt(text, begin, end));
        if (line.kind == Kind::Section) {
            if (!skipping)
                sections.insert(currentName, std::move(current));
            current = Entries();
            currentName = line.name.toByteArray();
            skipping = sections.contains(currentName);
        } else if (line.kind == Kind::Entry && !skipping) {
            QByteArray key = line.name.toByteArray();
            if (!current.contains(key))
                current.insert(std::move(key), line.value.toByteArray());
        }
        return true;
    });
    if (!skipping)
        sections.insert(currentName, std::move(current));
    return sections;
}

bool isValidSection(const QByteArray& name)
{
    return !hasLineBreak(name) && !hasSurroundingBlanks(name);
}

bool isValidKey(const QByteArray& key)
{
    if (key.isEmpty() || hasLineBreak(key) || hasSurroundingBlanks(key) || key.contains('='))
        return false;
    const char first = key.front();
    return first != '[' && first != '#' && first != ';';
}

bool isValidValue(const QByteArray& value)
{
    return !hasLineBreak(value) && !hasSurroundingBlanks(value);
}

QByteArray setEntry(const QByteArray& text, const QByteArray& section,
                    const QByteArray& key, const QByteArray& value)
{
    const QByteArray entry = key + " = " + value;

    // The unnamed section always exists: it is whatever precedes the first
    // header, possibly nothing.
    bool inSection = section.isEmpty();
    bool found = inSection;
    bool hasAnchor = false; // the line after which a new entry goes
    qsizetype anchorBegin = 0, anchorEnd = 0, anchorNext = 0;
    QByteArray result;
    bool replaced = false;

    forEachLine(text, [&](qsizetype begin, qsizetype end, qsizetype next) {
        const Line line = classify(lineAt(text, begin, end));
        if (line.kind == Kind::Section) {
            if (inSection)
                return false; // the section's first occurrence ends here
            if (line.name == QByteArrayView(section)) {
                inSection = found = hasAnchor = true;
                anchorBegin = begin, anchorEnd = end, anchorNext = next;
            }
        } else if (line.kind == Kind::Entry && inSection) {
            if (line.name == QByteArrayView(key)) {
                // Keep the line's own end, '\r' included.
                const qsizetype contentEnd = endsWithCr(text, begin, end) ? end - 1 : end;
                result = text;
                result.replace(begin, contentEnd - begin, entry);
                replaced = true;
                return false;
            }
            hasAnchor = true;
            anchorBegin = begin, anchorEnd = end, anchorNext = next;
        }
        return true;
    });
    if (replaced)
        return result;

    const bool endsOpen = !text.isEmpty() && !text.endsWith('\n');
    const QByteArray eol = lineEndOf(text);

    if (!found) {
        // A new section at the end. A file that ended without a line end
        // still does.
        const QByteArray header = '[' + section + ']';
        if (endsOpen)
            return text + eol + header + eol + entry;
        return text + header + eol + entry + eol;
    }

    if (!hasAnchor) // the unnamed section without entries: top of the file
        return entry + eol + text;

    if (anchorNext == anchorEnd) // the anchor is a last line without line end
        return text + eol + entry;

    const QByteArray anchorEol = endsWithCr(text, anchorBegin, anchorEnd)
        ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    result = text;
    result.insert(anchorNext, entry + anchorEol);
    return result;
}

std::optional<int> parseInt(const QByteArray& text)
{
    QByteArrayView digits(text);
    bool negative = false;
    if (!digits.isEmpty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits = digits.sliced(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    const std::int64_t limit = negative ? std::int64_t(INT32_MAX) + 1 : INT32_MAX;
    std::int64_t n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
        if (n > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -n : n);
}

} // namespace ZConfigText
