#include "ZConfigText.h"

#include <QByteArrayView>

#include <cstdint>
#include <cstring>
#include <unordered_set>

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

namespace {

// Where the line starting at begin ends (its '\n', or limit).
qsizetype lineEndAt(const char* text, qsizetype begin, qsizetype limit)
{
    const void* nl = std::memchr(text + begin, '\n', std::size_t(limit - begin));
    return nl ? static_cast<const char*>(nl) - text : limit;
}

std::string_view viewOf(QByteArrayView v)
{
    return std::string_view(v.data(), std::size_t(v.size()));
}

QByteArrayView viewOf(std::string_view v)
{
    return QByteArrayView(v.data(), qsizetype(v.size()));
}

// Sections longer than this are indexed; shorter ones (a registry record,
// a desktop entry) are searched line by line, which costs less than an
// index when a section is asked a few keys.
constexpr qsizetype shortSection = 2048;

} // namespace

Reader::Reader(const QByteArray& text)
    : m_text(text.constData())
    , m_size(text.size())
{
    // Only header lines matter here; entries wait until their section is
    // asked for. The unnamed section is whatever precedes the first header.
    m_sections.push_back(Section{});
    m_byName.emplace(View(), 0);
    std::size_t current = 0;
    bool inRepeat = false;
    for (qsizetype begin = 0; begin < m_size;) {
        const qsizetype end = lineEndAt(m_text, begin, m_size);
        const qsizetype next = end < m_size ? end + 1 : m_size;
        qsizetype first = begin;
        while (first < end && isBlank(m_text[first]))
            ++first;
        if (first < end && m_text[first] == '[') {
            const Line line = classify(QByteArrayView(m_text + begin, end - begin));
            if (line.kind == Kind::Section) {
                if (!inRepeat)
                    m_sections[current].end = begin;
                const auto [at, fresh] = m_byName.try_emplace(viewOf(line.name), m_sections.size());
                inRepeat = !fresh;
                if (fresh) {
                    current = at->second;
                    Section section;
                    section.name = at->first;
                    section.begin = section.end = next;
                    m_sections.push_back(std::move(section));
                }
            }
        }
        begin = next;
    }
    if (!inRepeat)
        m_sections[current].end = m_size;
}

Reader::~Reader() = default;

const Reader::Section* Reader::find(QByteArrayView name) const
{
    const auto at = m_byName.find(viewOf(name));
    return at == m_byName.end() ? nullptr : &m_sections[at->second];
}

template<typename F>
void Reader::forEachEntry(const Section& section, F f) const
{
    for (qsizetype begin = section.begin; begin < section.end;) {
        const qsizetype end = lineEndAt(m_text, begin, section.end);
        const Line line = classify(QByteArrayView(m_text + begin, end - begin));
        begin = end + 1;
        if (line.kind == Kind::Entry && !f(viewOf(line.name), viewOf(line.value)))
            return;
    }
}

std::optional<QByteArrayView> Reader::value(QByteArrayView sectionName, QByteArrayView key) const
{
    const Section* section = find(sectionName);
    if (!section)
        return std::nullopt;
    const View wanted = viewOf(key);
    if (section->end - section->begin <= shortSection) {
        // The first line of the key wins: the first one met. A line whose
        // first non-blank byte is not the key's first is no line of it.
        if (wanted.empty())
            return std::nullopt;
        for (qsizetype begin = section->begin; begin < section->end;) {
            const qsizetype end = lineEndAt(m_text, begin, section->end);
            qsizetype first = begin;
            while (first < end && isBlank(m_text[first]))
                ++first;
            if (first < end && m_text[first] == wanted.front()) {
                const Line line = classify(QByteArrayView(m_text + begin, end - begin));
                if (line.kind == Kind::Entry && viewOf(line.name) == wanted)
                    return line.value;
            }
            begin = end + 1;
        }
        return std::nullopt;
    }
    if (!section->byKey) {
        section->byKey = std::make_unique<std::unordered_map<View, View>>();
        forEachEntry(*section, [&](View k, View v) {
            section->byKey->try_emplace(k, v);
            return true;
        });
    }
    const auto at = section->byKey->find(wanted);
    return at == section->byKey->end() ? std::nullopt : std::optional(viewOf(at->second));
}

std::vector<QByteArrayView> Reader::sections() const
{
    std::vector<QByteArrayView> names;
    names.reserve(m_sections.size());
    for (const Section& section : m_sections)
        names.push_back(viewOf(section.name));
    return names;
}

std::vector<std::pair<QByteArrayView, QByteArrayView>> Reader::entries(QByteArrayView sectionName) const
{
    std::vector<std::pair<QByteArrayView, QByteArrayView>> list;
    if (const Section* section = find(sectionName)) {
        std::unordered_set<View> seen;
        forEachEntry(*section, [&](View k, View v) {
            if (seen.insert(k).second)
                list.emplace_back(viewOf(k), viewOf(v));
            return true;
        });
    }
    return list;
}

Sections parse(const QByteArray& text)
{
    const Reader reader(text);
    Sections sections;
    for (const QByteArrayView name : reader.sections()) {
        Entries entries;
        for (const auto& [key, value] : reader.entries(name))
            entries.insert(key.toByteArray(), value.toByteArray());
        sections.insert(name.toByteArray(), std::move(entries));
    }
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

std::optional<int> parseInt(QByteArrayView text)
{
    QByteArrayView digits = text;
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
