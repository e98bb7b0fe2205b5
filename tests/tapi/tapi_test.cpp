// The telephony stand-in against modem files: values, configured errors,
// buffer bounds and the outbox.

#include <ezxtapi.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class Modem : public ::testing::Test {
protected:
    void SetUp() override { ::unsetenv("EZX_MODEM"); }
    void TearDown() override { ::unsetenv("EZX_MODEM"); }

    void configure(const QByteArray& modemSection)
    {
        QFile f(dir.filePath("modem.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Modem]\n" + modemSection);
        f.close();
        ::setenv("EZX_MODEM", QFile::encodeName(f.fileName()).constData(), 1);
    }

    QByteArray outbox() const
    {
        QFile f(dir.filePath("outbox"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

// A caller's buffer with guard bytes behind it.
template<std::size_t N>
struct Guarded {
    char buffer[N];
    unsigned char canary[32];
    Guarded()
    {
        std::memset(buffer, '#', N);
        std::memset(canary, 0xA5, sizeof canary);
    }
    bool intact() const
    {
        for (const unsigned char c : canary) {
            if (c != 0xA5)
                return false;
        }
        return true;
    }
};

std::int16_t smsClient = 780;

} // namespace

TEST_F(Modem, AnswersFromTheModemFile)
{
    configure("IMSI = 214070123456789\nIMEI = 351234567890123\nServiceCenter = +34607003110\n");
    EXPECT_GT(TAPI_CLIENT_Init(nullptr, 0), 0);
    char imsi[20], imei[TAPI_IMEI_BUFFER_SIZE], sc[48];
    EXPECT_EQ(TAPI_ACCE_GetImsi(imsi), 0);
    EXPECT_STREQ(imsi, "214070123456789");
    EXPECT_EQ(TAPI_ACCE_GetImei(imei), 0);
    EXPECT_STREQ(imei, "351234567890123");
    EXPECT_EQ(TAPI_CLIENT_Fini(), 0);
    EXPECT_GT(TAPI_CLIENT_Init(&smsClient, 1), 0);
    EXPECT_EQ(TAPI_SMS_GetServiceCenter(sc), 0);
    EXPECT_STREQ(sc, "+34607003110");
}

TEST_F(Modem, OverlongValuesAreCutToTheSmallestBuffer)
{
    const QByteArray longText(200, '7');
    configure("IMSI = " + longText + "\nIMEI = " + longText + "\nServiceCenter = " + longText + "\n");

    Guarded<16> imsi; // the smaller of the program's two IMSI buffers
    EXPECT_EQ(TAPI_ACCE_GetImsi(imsi.buffer), 0);
    EXPECT_EQ(QByteArray(imsi.buffer), longText.left(15));
    EXPECT_TRUE(imsi.intact());

    Guarded<TAPI_IMEI_BUFFER_SIZE> imei;
    EXPECT_EQ(TAPI_ACCE_GetImei(imei.buffer), 0);
    EXPECT_EQ(QByteArray(imei.buffer), longText.left(TAPI_IMEI_BUFFER_SIZE - 1));
    EXPECT_TRUE(imei.intact());

    Guarded<48> sc;
    EXPECT_EQ(TAPI_SMS_GetServiceCenter(sc.buffer), 0);
    EXPECT_EQ(QByteArray(sc.buffer), longText.left(47));
    EXPECT_TRUE(sc.intact());
}

TEST_F(Modem, ConfiguredErrorsFailTheirCallOnly)
{
    configure("IMSI = 1\nIMEI = 2\nServiceCenter = 3\nOutbox = outbox\n"
              "InitError = -1\nImsiError = 7\nImeiError = 8\nServiceCenterError = 9\nSendError = 10\n");
    EXPECT_EQ(TAPI_CLIENT_Init(&smsClient, 1), -1);
    Guarded<20> buffer;
    EXPECT_EQ(TAPI_ACCE_GetImsi(buffer.buffer), 7);
    EXPECT_EQ(TAPI_ACCE_GetImei(buffer.buffer), 8);
    EXPECT_EQ(TAPI_SMS_GetServiceCenter(buffer.buffer), 9);
    EXPECT_EQ(buffer.buffer[0], '#'); // a failed call leaves the buffer alone
    unsigned char record[TAPI_SMS_RECORD_SIZE] = {}, result = 0xEE;
    EXPECT_EQ(TAPI_SMS_SendSmBlockMode(record, &result), 10);
    EXPECT_EQ(result, 0xEE);
    EXPECT_FALSE(QFile::exists(dir.filePath("outbox")));

    // Zero means no error; a missing value is an error of its own.
    configure("InitError = 0\nImsiError = 0\n");
    EXPECT_GT(TAPI_CLIENT_Init(nullptr, 0), 0);
    EXPECT_EQ(TAPI_ACCE_GetImsi(buffer.buffer), TAPI_ERROR_NO_VALUE);
    EXPECT_EQ(TAPI_SMS_SendSmBlockMode(record, &result), TAPI_ERROR_OUTBOX);
}

TEST_F(Modem, SentRecordsAreAppendedExactly)
{
    configure("Outbox = outbox\n");
    unsigned char first[TAPI_SMS_RECORD_SIZE], second[TAPI_SMS_RECORD_SIZE];
    for (int i = 0; i < TAPI_SMS_RECORD_SIZE; ++i) {
        first[i] = static_cast<unsigned char>(i * 7);
        second[i] = static_cast<unsigned char>(255 - i);
    }
    unsigned char result = 0xEE;
    ASSERT_EQ(TAPI_SMS_SendSmBlockMode(first, &result), 0);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(TAPI_SMS_SendSmBlockMode(second, nullptr), 0);

    const QByteArray sent = outbox();
    ASSERT_EQ(sent.size(), 2 * TAPI_SMS_RECORD_SIZE);
    EXPECT_EQ(std::memcmp(sent.constData(), first, TAPI_SMS_RECORD_SIZE), 0);
    EXPECT_EQ(std::memcmp(sent.constData() + TAPI_SMS_RECORD_SIZE, second, TAPI_SMS_RECORD_SIZE), 0);

    // An outbox that cannot be written is reported and not half filled.
    configure("Outbox = nowhere/outbox\n");
    EXPECT_EQ(TAPI_SMS_SendSmBlockMode(first, nullptr), TAPI_ERROR_OUTBOX);
    EXPECT_EQ(TAPI_SMS_SendSmBlockMode(nullptr, nullptr), TAPI_ERROR_BAD_ARGUMENT);
}

TEST_F(Modem, WithoutAModemEverythingFails)
{
    for (const char* modem : {static_cast<const char*>(nullptr), "", "/nonexistent/modem.ini"}) {
        if (modem)
            ::setenv("EZX_MODEM", modem, 1);
        EXPECT_EQ(TAPI_CLIENT_Init(&smsClient, 1), -1);
        Guarded<48> buffer;
        EXPECT_EQ(TAPI_ACCE_GetImsi(buffer.buffer), TAPI_ERROR_NO_MODEM);
        EXPECT_EQ(TAPI_ACCE_GetImei(buffer.buffer), TAPI_ERROR_NO_MODEM);
        EXPECT_EQ(TAPI_SMS_GetServiceCenter(buffer.buffer), TAPI_ERROR_NO_MODEM);
        EXPECT_EQ(buffer.buffer[0], '#');
        unsigned char record[TAPI_SMS_RECORD_SIZE] = {};
        EXPECT_EQ(TAPI_SMS_SendSmBlockMode(record, nullptr), TAPI_ERROR_NO_MODEM);
    }
}
