#pragma once

#include <QString>

// The texts of an outgoing message record (TAPI_SMS_RECORD_SIZE bytes, as
// the program builds it): the service centre at offset 2 (42 bytes), the
// destination number at 44 (44 bytes), and, when the 32-bit value at 88 is
// 1, the text at 94 whose length in bytes is the 16-bit value at 92 (at most
// the 6402 bytes of its field). Numbers end at their first zero byte within
// their field, the text at the first zero within its length; all are read as
// Latin-1, so any bytes give valid D-Bus strings. Little-endian throughout.
struct SmsFields {
    QString serviceCentre;
    QString number;
    QString text;
};

SmsFields readSmsRecord(const unsigned char* record);
