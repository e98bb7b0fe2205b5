// The language-file text lookup on arbitrary language files, in both
// encodings: every entry comes out as its stored bytes up to the first NUL,
// one character per byte for Latin-1 files, and decoded for UTF-8 files,
// where valid UTF-8 decodes to exactly the text it encodes (a leading
// byte-order mark is dropped).
//
// The input's first byte chooses the encoding line put in front of the rest:
// none (the file decides), UNICODE = 1, or UNICODE = 0.

#include "fuzzing.h"

#include <ZConfig.h>
#include <ZConfigText.h>

#include "shell/textids.h"
#include "shell/texts.h"

#include <QSet>

namespace {

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(const QByteArray& s)
{
    qsizetype i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t least = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xe0) == 0xc0) {
            extra = 1, cp = c & 0x1f, least = 0x80;
        } else if ((c & 0xf0) == 0xe0) {
            extra = 2, cp = c & 0x0f, least = 0x800;
        } else if ((c & 0xf8) == 0xf0) {
            extra = 3, cp = c & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3f);
        }
        if (cp < least || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
            return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const char* const heads[] = {"", "[VARDEL]\nUNICODE = 1\n", "[VARDEL]\nUNICODE = 0\n"};
    const QByteArray file = QByteArray(heads[data[0] % 3])
        + QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const QString path = Fuzz::scratchDir() + QStringLiteral("/language.lng");
    FUZZ_CHECK(Fuzz::writeFile(path, file), "cannot write " + path.toStdString());
    const ZConfig lang(path, false);

    const ZConfigText::Entries entries = ZConfigText::parse(file).value("VARDEL");
    const bool unicode = entries.value("UNICODE") == "1";
    FUZZ_CHECK(Texts::isUnicode(lang) == unicode, "file " + Fuzz::show(file));

    QSet<QByteArray> ids(entries.keyBegin(), entries.keyEnd());
    for (const char* id : TextIds::all)
        ids.insert(id);
    for (const QByteArray& id : ids) {
        const QByteArray bytes = lang.readEntry("VARDEL", QString::fromLatin1(id), "").toLatin1();
        const QString shown = Texts::decode(bytes.constData(), unicode);
        const qsizetype nul = bytes.indexOf('\0');
        const QByteArray stored = nul < 0 ? bytes : bytes.left(nul);
        const auto what = [&] {
            return "file " + Fuzz::show(file) + "\nid " + id.toStdString() + " stored "
                + Fuzz::show(stored) + "\nshown " + Fuzz::show(shown);
        };
        if (!unicode) {
            FUZZ_CHECK(shown.size() == stored.size(), what());
            for (qsizetype i = 0; i < stored.size(); ++i)
                FUZZ_CHECK(shown[i].unicode() == static_cast<unsigned char>(stored[i]), what());
            continue;
        }
        FUZZ_CHECK(!shown.contains(QChar(0)) && shown.size() <= stored.size(), what());
        // A leading byte-order mark is a marker, not text.
        const QByteArray text = stored.startsWith("\xef\xbb\xbf") ? stored.mid(3) : stored;
        FUZZ_CHECK(shown.isEmpty() == text.isEmpty(), what());
        if (isValidUtf8(text))
            FUZZ_CHECK(shown.toUtf8() == text, what());
    }
    return 0;
}
