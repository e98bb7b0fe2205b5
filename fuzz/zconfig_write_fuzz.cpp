// ZConfig writing one key into arbitrary file content. Afterwards the key
// reads back the written value and every other key of the file reads as it
// did, with no entry gained or lost; or the write was refused and the file
// is unchanged, byte for byte. A plain name and value are never refused.
//
// The same input written as several entries at once (writeEntries): the
// section, key and value cut at 0x1F give the entries, the last piece of a
// shorter list standing for the missing ones. It gives the bytes of the
// same writes one by one, or is refused as a whole when any one of them
// would be, leaving the file byte for byte as it was.
//
// Input: section NUL key NUL value NUL file content. A first byte 0x01 in
// the content stands for "no file at all".

#include "fuzzing.h"

#include <ZConfig.h>
#include <ZConfigText.h>

#include <QFile>

#include <algorithm>
#include <cctype>

namespace {

// Letters, digits and inner blanks, dots and dashes: what every INI file
// can hold as a name or a value.
bool isPlain(const QByteArray& s, bool mayBeEmpty)
{
    if (s.isEmpty())
        return mayBeEmpty;
    if (s.front() == ' ' || s.back() == ' ')
        return false;
    for (const char c : s) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '.' || c == '-'
              || c == '_'))
            return false;
    }
    return true;
}

void writeOne(const QByteArray& section, const QByteArray& key, const QByteArray& value, bool noFile,
              const QByteArray& content)
{
    const QString path = Fuzz::scratchDir() + QStringLiteral("/write.cfg");
    QFile::remove(path);
    if (!noFile)
        FUZZ_CHECK(Fuzz::writeFile(path, content), "cannot write " + path.toStdString());

    const auto what = [&] {
        return "section " + Fuzz::show(section) + "\nkey " + Fuzz::show(key) + "\nvalue "
            + Fuzz::show(value) + "\nfile " + (noFile ? "(none)" : Fuzz::show(content));
    };

    ZConfig writer(path, true);
    const QString group = QString::fromLatin1(section);
    const QString name = QString::fromLatin1(key);
    const bool written = writer.writeEntry(group, name, QString::fromLatin1(value));

    if (!written) {
        const QByteArray after = Fuzz::readFile(path);
        FUZZ_CHECK(noFile ? !QFile::exists(path) : after == content,
                   what() + "\nrefused, yet the file became " + Fuzz::show(after));
        FUZZ_CHECK(!(isPlain(section, true) && isPlain(key, false) && isPlain(value, true)),
                   what() + "\na plain write was refused");
        return;
    }

    const QByteArray after = Fuzz::readFile(path);
    const ZConfig reader(path, false);
    FUZZ_CHECK(reader.readEntry(group, name, QStringLiteral("<default>")) == QString::fromLatin1(value),
               what() + "\nreads back as " + Fuzz::show(reader.readEntry(group, name)) + "\nfile now "
                   + Fuzz::show(after));
    FUZZ_CHECK(writer.readEntry(group, name, QStringLiteral("<default>")) == QString::fromLatin1(value),
               what() + "\nthe writing object does not see its own write");

    // Every other entry as before; nothing gained but the written key.
    ZConfigText::Sections expected = ZConfigText::parse(content);
    expected[section][key] = value;
    const ZConfigText::Sections now = ZConfigText::parse(after);
    FUZZ_CHECK(now == expected, what() + "\nfile now " + Fuzz::show(after));
}

void writeSeveral(const QByteArray& section, const QByteArray& key, const QByteArray& value, bool noFile,
                  const QByteArray& content)
{
    const QList<QByteArray> sections = section.split('\x1f');
    const QList<QByteArray> keys = key.split('\x1f');
    const QList<QByteArray> values = value.split('\x1f');
    const qsizetype count = std::max({sections.size(), keys.size(), values.size()});
    const auto at = [](const QList<QByteArray>& list, qsizetype i) { return list.at(std::min(i, list.size() - 1)); };

    QList<ZConfig::Entry> entries;
    QByteArray expected = content;
    bool storable = true;
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArray s = at(sections, i), k = at(keys, i), v = at(values, i);
        entries.append({QString::fromLatin1(s), QString::fromLatin1(k), QString::fromLatin1(v)});
        storable = storable && ZConfigText::isValidSection(s) && ZConfigText::isValidKey(k)
            && ZConfigText::isValidValue(v);
        if (storable)
            expected = ZConfigText::setEntry(expected, s, k, v);
    }

    const QString path = Fuzz::scratchDir() + QStringLiteral("/several.cfg");
    QFile::remove(path);
    if (!noFile)
        FUZZ_CHECK(Fuzz::writeFile(path, content), "cannot write " + path.toStdString());
    const auto what = [&] {
        std::string text;
        for (const ZConfig::Entry& e : entries)
            text += "entry " + Fuzz::show(e.group) + " " + Fuzz::show(e.key) + " = " + Fuzz::show(e.value) + "\n";
        return text + "file " + (noFile ? "(none)" : Fuzz::show(content));
    };

    ZConfig writer(path, true);
    const bool written = writer.writeEntries(entries);
    const QByteArray after = Fuzz::readFile(path);
    FUZZ_CHECK(written == storable, what() + "\nwritten " + (written ? "yes" : "no"));
    if (!written) {
        FUZZ_CHECK(noFile ? !QFile::exists(path) : after == content,
                   what() + "\nrefused, yet the file became " + Fuzz::show(after));
        return;
    }
    FUZZ_CHECK(after == expected, what() + "\nfile now " + Fuzz::show(after) + "\none by one " + Fuzz::show(expected));
    for (const ZConfig::Entry& e : entries) {
        // The last write of a key wins; each reads back as the file says.
        FUZZ_CHECK(writer.readEntry(e.group, e.key) == ZConfig(path, false).readEntry(e.group, e.key),
                   what() + "\nthe writing object reads another value");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> parts = Fuzz::split(data, size, '\0', 4);
    const bool noFile = parts[3].startsWith('\x01');
    const QByteArray content = noFile ? QByteArray() : parts[3];
    writeOne(parts[0], parts[1], parts[2], noFile, content);
    writeSeveral(parts[0], parts[1], parts[2], noFile, content);
    return 0;
}
