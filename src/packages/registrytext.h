#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Text work on the application registries, the menu tree and the package
// type association, done in memory and written back whole by the caller.
namespace RegistryText {

// A registry rewritten into its tidy form: empty lines left out, one empty
// line before every section header ("[" first) but the first, every other
// line after a line feed. Lines of blanks are kept.
QString cleaned(const QStringList& lines);

// The same from the registry file's bytes, in one pass: exactly the bytes of
// cleaned() of its lines as the registry clean-up reads them (a carriage
// return before a line feed is part of the line end).
QByteArray cleanedBytes(const QByteArray& registry);

inline constexpr char userMime[] = "/ezxlocal/download/appwrite/am/UserMime";
inline constexpr char mpkgSection[] = "[test/x-mpkg]";
inline constexpr char mpkgHandler[] = "{fdcc1e4f-0c31-4f50-92fe-f333e7d16622}";

// UserMime with the two lines after "[test/x-mpkg]" replaced by the AppID
// and AppList of the phone's package handler; every line followed by a
// line feed.
QString withMpkgHandler(const QStringList& lines);

// The installed application's whole name on a registry line "Name = ...",
// as the configuration reader reads it (blanks around it dropped).
QString nameOnLine(const QString& registryLine);

// The registry without the section [id]: from its header line to the line
// before the next section header (or the end), every other line kept as it
// is. Section headers as the configuration reader sees them: a line that,
// blanks at its ends aside, starts with "[" and ends with "]"; the name
// between, blanks aside, must be id. Of several sections [id] the first
// goes (the one the reader answers from). Nothing when there is none.
std::optional<QString> withoutSection(const QStringList& lines, const QString& id);

// True when the text holds the application ID anywhere (a registry or the
// menu tree already using it).
bool mentions(const QStringList& lines, const QString& id);
bool mentions(const QByteArray& text, const QString& id);

// The Directory values of a registry's records, as the configuration reader
// reads them (blanks around them dropped), in file order.
QStringList directories(const QByteArray& registry);

} // namespace RegistryText
