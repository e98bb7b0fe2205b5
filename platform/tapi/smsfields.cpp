#include "smsfields.h"

#include "ezxtapi.h"

#include <cstring>

namespace {

constexpr int serviceCentreOffset = 2, serviceCentreWidth = 42;
constexpr int numberOffset = 44, numberWidth = 44;
constexpr int textFlagOffset = 88, textLengthOffset = 92, textOffset = 94, textWidth = 6402;
static_assert(textOffset + textWidth + 4 == TAPI_SMS_RECORD_SIZE);

QString field(const unsigned char* start, int width)
{
    const void* zero = std::memchr(start, 0, std::size_t(width));
    const int n = zero ? int(static_cast<const unsigned char*>(zero) - start) : width;
    return QString::fromLatin1(reinterpret_cast<const char*>(start), n);
}

} // namespace

SmsFields readSmsRecord(const unsigned char* record)
{
    SmsFields fields;
    fields.serviceCentre = field(record + serviceCentreOffset, serviceCentreWidth);
    fields.number = field(record + numberOffset, numberWidth);
    const unsigned char* flag = record + textFlagOffset;
    if ((flag[0] | flag[1] << 8 | flag[2] << 16 | unsigned(flag[3]) << 24) == 1) {
        const int length = record[textLengthOffset] | record[textLengthOffset + 1] << 8;
        fields.text = field(record + textOffset, qMin(length, textWidth));
    }
    return fields;
}
