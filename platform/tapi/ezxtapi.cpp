#include "ezxtapi.h"

#include <ZConfig.h>

#include "dbusmodem.h"
#include "smsfields.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("Modem");

// The D-Bus service EZX_MODEM names, if it names one.
std::optional<DbusModem::Service> dbusService()
{
    return DbusModem::named(qgetenv("EZX_MODEM"));
}

// A D-Bus answer into the caller's buffer, cut to size - 1 bytes and
// zero-terminated; the buffer is touched only on success.
int copyAnswer(int error, const QString& value, char* buffer, std::size_t size)
{
    if (error)
        return error;
    const QByteArray bytes = value.toLatin1();
    const std::size_t n = std::min(static_cast<std::size_t>(bytes.size()), size - 1);
    std::memcpy(buffer, bytes.constData(), n);
    buffer[n] = '\0';
    return 0;
}

template<typename Call>
std::optional<int> dbusQuery(Call call, char* buffer, std::size_t size)
{
    const std::optional<DbusModem::Service> service = dbusService();
    if (!service)
        return std::nullopt;
    if (!buffer)
        return TAPI_ERROR_BAD_ARGUMENT;
    QString value;
    const int error = call(*service, value);
    return copyAnswer(error, value, buffer, size);
}

// The modem file is read afresh by every call, so a test may change it
// between calls.
std::optional<ZConfig> openModem()
{
    const QByteArray path = qgetenv("EZX_MODEM");
    if (path.isEmpty())
        return std::nullopt;
    const QString file = QFile::decodeName(path);
    if (!QFileInfo(file).isFile())
        return std::nullopt;
    return ZConfig(file, false);
}

int configuredError(const ZConfig& modem, const char* key)
{
    return modem.readNumEntry(kSection, QLatin1String(key), 0);
}

// Copies the value of key into buffer, cut to size - 1 bytes and
// zero-terminated.
int copyValue(const ZConfig& modem, const char* key, char* buffer, std::size_t size)
{
    const QByteArray value = modem.readEntry(kSection, QLatin1String(key)).toLatin1();
    if (value.isEmpty())
        return TAPI_ERROR_NO_VALUE;
    const std::size_t n = std::min(static_cast<std::size_t>(value.size()), size - 1);
    std::memcpy(buffer, value.constData(), n);
    buffer[n] = '\0';
    return 0;
}

int query(const char* valueKey, const char* errorKey, char* buffer, std::size_t size)
{
    if (!buffer)
        return TAPI_ERROR_BAD_ARGUMENT;
    const std::optional<ZConfig> modem = openModem();
    if (!modem)
        return TAPI_ERROR_NO_MODEM;
    if (const int error = configuredError(*modem, errorKey))
        return error;
    return copyValue(*modem, valueKey, buffer, size);
}

// Appends the record whole or not at all: a short write is cut back off, so
// the outbox always holds complete records.
bool appendRecord(const QString& outbox, const void* record)
{
    const int fd = ::open(QFile::encodeName(outbox).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    const char* data = static_cast<const char*>(record);
    std::size_t left = TAPI_SMS_RECORD_SIZE;
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (!ok && ::ftruncate(fd, st.st_size) != 0) {
        // Nothing more can be done; the failure is reported all the same.
    }
    if (::close(fd) != 0)
        ok = false;
    return ok;
}

} // namespace

extern "C" {

int TAPI_CLIENT_Init(void* /*arg*/, int /*count*/)
{
    if (const std::optional<DbusModem::Service> service = dbusService())
        return DbusModem::open(*service);
    const std::optional<ZConfig> modem = openModem();
    if (!modem)
        return -1;
    if (const int error = configuredError(*modem, "InitError"))
        return error;
    return 1;
}

int TAPI_CLIENT_Fini(void)
{
    return 0;
}

int TAPI_ACCE_GetImsi(char* imsi)
{
    if (const std::optional<int> result = dbusQuery(DbusModem::imsi, imsi, TAPI_IMSI_BUFFER_SIZE))
        return *result;
    return query("IMSI", "ImsiError", imsi, TAPI_IMSI_BUFFER_SIZE);
}

int TAPI_ACCE_GetImei(char* imei)
{
    if (const std::optional<int> result = dbusQuery(DbusModem::imei, imei, TAPI_IMEI_BUFFER_SIZE))
        return *result;
    return query("IMEI", "ImeiError", imei, TAPI_IMEI_BUFFER_SIZE);
}

int TAPI_SMS_GetServiceCenter(char* number)
{
    if (const std::optional<int> result =
            dbusQuery(DbusModem::serviceCentre, number, TAPI_SERVICE_CENTER_BUFFER_SIZE))
        return *result;
    return query("ServiceCenter", "ServiceCenterError", number, TAPI_SERVICE_CENTER_BUFFER_SIZE);
}

int TAPI_SMS_SendSmBlockMode(void* record, unsigned char* result)
{
    if (!record)
        return TAPI_ERROR_BAD_ARGUMENT;
    if (const std::optional<DbusModem::Service> service = dbusService()) {
        const int error = DbusModem::send(*service, readSmsRecord(static_cast<const unsigned char*>(record)));
        if (!error && result)
            *result = 0;
        return error;
    }
    const std::optional<ZConfig> modem = openModem();
    if (!modem)
        return TAPI_ERROR_NO_MODEM;
    if (const int error = configuredError(*modem, "SendError"))
        return error;
    QString outbox = modem->readEntry(kSection, QStringLiteral("Outbox"));
    if (outbox.isEmpty())
        return TAPI_ERROR_OUTBOX;
    // A relative outbox lies beside the modem file.
    outbox = QFileInfo(modem->path()).absoluteDir().absoluteFilePath(outbox);
    if (!appendRecord(outbox, record))
        return TAPI_ERROR_OUTBOX;
    if (result)
        *result = 0;
    return 0;
}

} // extern "C"
