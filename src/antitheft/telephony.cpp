#include "antitheft/telephony.h"

#include <QDebug>
#include <QLoggingCategory>

#include <ezxtapi.h>

#include <optional>
#include <vector>

namespace Telephony {

namespace {

// The telephony's debug lines, off unless asked for
// (QT_LOGGING_RULES="vardel.telephony.debug=true").
Q_LOGGING_CATEGORY(telephonyLog, "vardel.telephony", QtInfoMsg)

// Runs one query into a zeroed buffer; the buffer read as Latin-1 text up to
// its first zero (its last byte is kept zero whatever the library wrote), or
// nothing when the library reports an error.
std::optional<QString> query(int (*call)(char*), std::size_t bufferSize, std::size_t librarySize)
{
    std::vector<char> buffer(qMax(bufferSize, librarySize), '\0');
    TAPI_CLIENT_Init(nullptr, 0);
    const int result = call(buffer.data());
    std::optional<QString> value;
    if (result == 0) {
        buffer.back() = '\0';
        value = QString::fromLatin1(buffer.data());
    } else {
        qCDebug(telephonyLog).noquote() << QStringLiteral("*** FAIL: error %1").arg(result);
    }
    TAPI_CLIENT_Fini();
    return value;
}

} // namespace

QString imsi(std::size_t bufferSize)
{
    return imsiIfRead(bufferSize).value_or(QString());
}

std::optional<QString> imsiIfRead(std::size_t bufferSize)
{
    return query(TAPI_ACCE_GetImsi, bufferSize, TAPI_IMSI_BUFFER_SIZE);
}

QString imei(std::size_t bufferSize)
{
    const std::optional<QString> value = query(TAPI_ACCE_GetImei, bufferSize, TAPI_IMEI_BUFFER_SIZE);
    if (value)
        qCDebug(telephonyLog).noquote() << QStringLiteral("\nIMEI = %1").arg(*value);
    return value.value_or(QString());
}

} // namespace Telephony
