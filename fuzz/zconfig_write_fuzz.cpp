// ZConfig writing one key into arbitrary file content. Afterwards the key
// reads back the written value and every other key of the file reads as it
// did, with no entry gained or lost; or the write was refused and the file
// is unchanged, byte for byte. A plain name and value are never refused.
//
// Input: section NUL key NUL value NUL file content. A first byte 0x01 in
// the content stands for "no file at all".

#include "fuzzing.h"

#include <ZConfig.h>
#include <ZConfigText.h>

#include <QFile>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> parts = Fuzz::split(data, size, '\0', 4);
    const QByteArray& section = parts[0];
    const QByteArray& key = parts[1];
    const QByteArray& value = parts[2];
    const bool noFile = parts[3].startsWith('\x01');
    const QByteArray content = noFile ? QByteArray() : parts[3];

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
        return 0;
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
    return 0;
}
