#ifndef ZCONFIGTEXT_H
#define ZCONFIGTEXT_H

// The INI text format behind ZConfig, as plain functions on bytes.
//
// A line is a section header when, stripped of surrounding blanks, it starts
// with '[' and ends with ']'; the name is what lies between, stripped again.
// A line is a comment when its first non-blank character is '#' or ';'.
// Any other line holding '=' whose part before the first '=' is not empty
// after stripping is an entry "key = value" (both parts stripped).
// Everything else is ignored and kept as it is.
//
// Lines before the first header form the unnamed section "". A repeated
// section is ignored from its second header on: its first occurrence is the
// section. Inside a section the first occurrence of a key wins.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ZConfigText {

using Entries = QHash<QByteArray, QByteArray>;
using Sections = QHash<QByteArray, Entries>;

// Reads a text without copying it: the first look-up finds where each
// section's first occurrence lies; a short section's lines are searched
// when a key of it is asked for, a long one is indexed on its first use.
// Names and values are views into the text, which must stay alive and
// unchanged while the reader is used.
class Reader
{
public:
    explicit Reader(const QByteArray& text);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // The value of key in section under the first-occurrence rules.
    std::optional<QByteArrayView> value(QByteArrayView section, QByteArrayView key) const;
    // Every section name (the unnamed one included), in file order.
    std::vector<QByteArrayView> sections() const;
    // A section's entries in file order, each key once (its first line).
    std::vector<std::pair<QByteArrayView, QByteArrayView>> entries(QByteArrayView section) const;

private:
    using View = std::string_view;
    struct Section {
        View name;
        qsizetype begin = 0; // the body: the lines after the header, up to
        qsizetype end = 0;   // the next header
        // A long section's keys, made on its first look-up.
        mutable std::unique_ptr<std::unordered_map<View, View>> byKey;
    };
    const Section* find(QByteArrayView name) const;
    // Calls f(key, value) for each entry line of the section, in file order,
    // until f returns false.
    template<typename F>
    void forEachEntry(const Section& section, F f) const;

    const char* m_text;
    qsizetype m_size;
    std::vector<Section> m_sections; // first occurrences, in file order
    std::unordered_map<View, std::size_t> m_byName;
};

// Every section with its entries, under the first-occurrence rule.
Sections parse(const QByteArray& text);

// Whether a name or value survives a write and a read unchanged.
bool isValidSection(const QByteArray& name);
bool isValidKey(const QByteArray& key);
bool isValidValue(const QByteArray& value);

// The text with "key = value" set in the section: the key's line replaced,
// or a new line after the section's last entry, or a new section at the end.
// Every other byte of the text stays as it is. Arguments must be valid.
QByteArray setEntry(const QByteArray& text, const QByteArray& section,
                    const QByteArray& key, const QByteArray& value);

// A signed 32-bit decimal number ("-12", "+7", "300"), nothing else.
std::optional<int> parseInt(QByteArrayView text);

} // namespace ZConfigText

#endif
