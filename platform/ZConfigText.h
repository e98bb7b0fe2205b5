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
#include <QHash>

#include <optional>

namespace ZConfigText {

using Entries = QHash<QByteArray, QByteArray>;
using Sections = QHash<QByteArray, Entries>;

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
std::optional<int> parseInt(const QByteArray& text);

} // namespace ZConfigText

#endif
