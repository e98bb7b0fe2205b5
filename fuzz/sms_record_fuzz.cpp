// The block handed to the telephony library for one text message, for any
// service centre, number and text. It is always the record's size; each
// field holds its text up to the first zero byte and cut to its maximum,
// with at least one zero byte after it inside the field; the length field
// tells the stored text's length; every other byte is zero, but the fixed
// markers. The telephony library reads back from it the texts put in; and
// from any 6500 bytes at all (the input, cut or padded with zeros) texts
// that stay within their fields and hold no zero byte.
//
// Input: service centre NUL number NUL text (the text may hold NULs).

#include "fuzzing.h"

#include "antitheft/smsrecord.h"
#include "smsfields.h"

namespace {

// The input text as the record must hold it.
QByteArray expected(const QByteArray& text, int max)
{
    const qsizetype zero = text.indexOf('\0');
    return text.left(qMin<qsizetype>(zero < 0 ? text.size() : zero, max));
}

// The zero-terminated text at the start of a field; null when the field
// holds no zero byte.
QByteArray field(const QByteArray& record, int offset, int width)
{
    const QByteArray bytes = record.mid(offset, width);
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? QByteArray() : bytes.left(zero);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace SmsRecord;
    const QList<QByteArray> parts = Fuzz::split(data, size, '\0', 3);
    const QByteArray record = build(parts[0], parts[1], parts[2]);
    const auto what = [&] {
        return "centre " + Fuzz::show(parts[0]) + "\nnumber " + Fuzz::show(parts[1]) + "\ntext "
            + Fuzz::show(parts[2]);
    };
    FUZZ_CHECK(record.size() == SmsRecord::size, what());

    const QByteArray centre = expected(parts[0], maxServiceCentre);
    const QByteArray number = expected(parts[1], maxNumber);
    const QByteArray text = expected(parts[2], maxText);
    FUZZ_CHECK(field(record, serviceCentreOffset, serviceCentreWidth) == centre, what());
    FUZZ_CHECK(field(record, numberOffset, numberWidth) == number, what());
    FUZZ_CHECK(field(record, textOffset, textWidth) == text, what());
    const int length = static_cast<unsigned char>(record[textLengthOffset])
        | static_cast<unsigned char>(record[textLengthOffset + 1]) << 8;
    FUZZ_CHECK(length == text.size(), what());

    // Nothing but the fields and the fixed markers is set.
    QByteArray rest = record;
    rest.replace(serviceCentreOffset, centre.size(), QByteArray(centre.size(), '\0'));
    rest.replace(numberOffset, number.size(), QByteArray(number.size(), '\0'));
    rest.replace(textOffset, text.size(), QByteArray(text.size(), '\0'));
    rest[textLengthOffset] = rest[textLengthOffset + 1] = '\0';
    FUZZ_CHECK(rest[1] == 1 && rest[textFlagOffset] == 1 && rest[6496] == 2, what());
    rest[1] = rest[textFlagOffset] = rest[6496] = '\0';
    FUZZ_CHECK(rest.count('\0') == rest.size(), what());

    const auto bytes = [](const QByteArray& r) { return reinterpret_cast<const unsigned char*>(r.constData()); };
    const SmsFields back = readSmsRecord(bytes(record));
    FUZZ_CHECK(back.serviceCentre == QString::fromLatin1(centre) && back.number == QString::fromLatin1(number)
                   && back.text == QString::fromLatin1(text),
               what());
    QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(qMin<std::size_t>(size, SmsRecord::size)));
    raw.resize(SmsRecord::size, '\0');
    const SmsFields any = readSmsRecord(bytes(raw));
    FUZZ_CHECK(any.serviceCentre.size() < serviceCentreWidth + 1 && any.number.size() < numberWidth + 1
                   && any.text.size() < textWidth + 1,
               "raw " + Fuzz::show(raw.left(200)));
    FUZZ_CHECK(!(any.serviceCentre + any.number + any.text).contains(QChar(0)), "raw " + Fuzz::show(raw.left(200)));
    return 0;
}
