// The anti-theft settings file on arbitrary IMSIs and alert numbers. The
// file read back holds exactly the section ZWARDLEX with IMSI and NUMBERS,
// whatever the values hold (a line break cannot start a key of its own);
// the IMSI reads back as given, blanks at its ends aside; and the numbers
// read back split into the same numbers that were typed. A stored password
// value of Vardel.cfg parses as a hash exactly when it is one written back
// the same, and any salt and key written that way parse again.
//
// Input: IMSI NUL numbers NUL stored password.

#include "fuzzing.h"

#include <ZConfigText.h>

#include "antitheft/passwordhash.h"
#include "antitheft/wardlexsettings.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n';
}

// The value as the INI reader gives it back: line breaks written as blanks,
// blanks at both ends dropped.
QByteArray asRead(QByteArray value)
{
    value.replace('\r', ' ').replace('\n', ' ');
    qsizetype from = 0, to = value.size();
    while (from < to && isBlank(value[from]))
        ++from;
    while (to > from && isBlank(value[to - 1]))
        --to;
    return value.mid(from, to - from);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> parts = Fuzz::split(data, size, '\0', 3);

    const QString password = QString::fromLatin1(parts[2]);
    if (const std::optional<PasswordHash::Parts> hash = PasswordHash::parse(password))
        FUZZ_CHECK(PasswordHash::format(*hash) == password, "password " + Fuzz::show(parts[2]));
    const QByteArray bytes = parts[2].leftJustified(PasswordHash::saltBytes + PasswordHash::keyBytes, 'x');
    const PasswordHash::Parts made{bytes.left(PasswordHash::saltBytes),
                                   bytes.mid(PasswordHash::saltBytes, PasswordHash::keyBytes)};
    const std::optional<PasswordHash::Parts> again = PasswordHash::parse(PasswordHash::format(made));
    FUZZ_CHECK(again && again->salt == made.salt && again->key == made.key, "bytes " + Fuzz::show(bytes));

    const QByteArray& imsi = parts[0];
    const QByteArray& numbers = parts[1];
    const QByteArray file =
        WardlexSettings::fileText(QString::fromLatin1(imsi), QString::fromLatin1(numbers)).toLatin1()
        + '\n';
    const auto what = [&] {
        return "imsi " + Fuzz::show(imsi) + "\nnumbers " + Fuzz::show(numbers) + "\nfile "
            + Fuzz::show(file);
    };

    const ZConfigText::Sections read = ZConfigText::parse(file);
    FUZZ_CHECK(read.size() == 2 && read.value("").isEmpty(), what());
    const ZConfigText::Entries entries = read.value(WardlexSettings::section);
    FUZZ_CHECK(entries.size() == 2 && entries.contains("IMSI") && entries.contains("NUMBERS"), what());
    FUZZ_CHECK(entries.value("IMSI") == asRead(imsi), what());

    const QStringList typed = WardlexSettings::splitNumbers(QString::fromLatin1(numbers));
    const QStringList stored = WardlexSettings::splitNumbers(QString::fromLatin1(entries.value("NUMBERS")));
    FUZZ_CHECK(stored == typed, what());
    // Every number is a run of non-blanks, and together they are every
    // non-blank character typed, in order.
    QByteArray nonBlank;
    for (const char c : numbers) {
        if (!isBlank(c))
            nonBlank += c;
    }
    FUZZ_CHECK(typed.join(QString()).toLatin1() == nonBlank, what());
    for (const QString& number : typed) {
        FUZZ_CHECK(!number.isEmpty(), what());
        for (const QChar c : number)
            FUZZ_CHECK(c.unicode() > 0xff || !isBlank(char(c.unicode())), what());
    }
    return 0;
}
