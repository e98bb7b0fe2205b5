#include "antitheft/smsrecord.h"

#include <ezxtapi.h>

#include <cstring>

namespace SmsRecord {

static_assert(size == TAPI_SMS_RECORD_SIZE);
static_assert(textOffset + textWidth + 4 == size);

namespace {

// The text up to its first zero byte, at most max bytes of it.
QByteArray cut(const QByteArray& text, int max)
{
    const qsizetype zero = text.indexOf('\0');
    return text.left(zero < 0 ? max : qMin<qsizetype>(zero, max));
}

void put(QByteArray& record, int offset, const QByteArray& text)
{
    std::memcpy(record.data() + offset, text.constData(), std::size_t(text.size()));
}

} // namespace

QByteArray build(const QByteArray& serviceCentre, const QByteArray& number, const QByteArray& text)
{
    QByteArray record(size, '\0');
    record[1] = 1;
    record[textFlagOffset] = 1;
    record[6496] = 2;
    record[6497] = 0;
    record[6498] = 0;

    put(record, serviceCentreOffset, cut(serviceCentre, maxServiceCentre));
    put(record, numberOffset, cut(number, maxNumber));
    const QByteArray message = cut(text, maxText);
    put(record, textOffset, message);
    record[textLengthOffset] = char(message.size() & 0xff);
    record[textLengthOffset + 1] = char((message.size() >> 8) & 0xff);
    return record;
}

} // namespace SmsRecord
