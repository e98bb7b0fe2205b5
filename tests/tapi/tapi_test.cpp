// The telephony stand-in against modem files: values, configured errors,
// buffer bounds and the outbox; and over ModemManager and oFono, each
// mocked on a private system bus.

#include <ezxtapi.h>

#include "antitheft/smsrecord.h"
#include "mockmodem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
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

// One table over both services: what each call answers, the message the
// service got (number and whole text, decoded as Latin-1), each failure as
// its code with the caller's buffer untouched, and no call waiting past
// its time-outs (here 1 s a call, 1.5 s for a message to go).
TEST(DbusModem, BothServicesAnswerSendAndFailAlike)
{
    if (!MockModem::installed())
        GTEST_SKIP() << "dbus-daemon or python3-dbusmock missing (scripts/setup-deps installs them)";
    ::setenv("EZX_MODEM_CALL_TIMEOUT", "1000", 1);
    ::setenv("EZX_MODEM_SEND_TIMEOUT", "1500", 1);
    const QByteArray imsi = "214070123456789", imei = "356938035643809", centre = "+34607003110";
    const QJsonObject sim{{"imei", QString(imei)}, {"imsi", QString(imsi)}, {"centre", QString(centre)}};
    const QJsonObject noSim{{"imei", "111111111111111"}};
    QJsonObject locked = sim;
    locked["locked"] = true;
    const QByteArray text = "Vardel anti-theft: a new SIM card is in this phone, caf\xe9 \xbf? " + QByteArray(110, 'x');
    const int none = TAPI_ERROR_NO_SERVICE, noModem = TAPI_ERROR_NO_MODEM, noCard = TAPI_ERROR_NO_SIM,
              pin = TAPI_ERROR_SIM_LOCKED, late = TAPI_ERROR_TIMEOUT;
    const struct {
        const char* label;
        QJsonObject mock;   // without "modems" no service is on the bus
        int imsi, imei, centre, send; // centre: oFono's; ModemManager's is the empty text
        QByteArray imeiValue;
    } cases[] = {
        {"a modem with a SIM", {{"modems", QJsonArray{sim}}}, 0, 0, 0, 0, imei},
        {"the SIM in the second modem", {{"modems", QJsonArray{noSim, sim}}}, 0, 0, 0, 0, "111111111111111"},
        {"no service", {}, none, none, none, none, ""},
        {"no modem", {{"modems", QJsonArray{}}}, noModem, noModem, noModem, noModem, ""},
        {"no SIM", {{"modems", QJsonArray{noSim}}}, noCard, 0, noCard, noCard, "111111111111111"},
        {"the SIM asks for its PIN", {{"modems", QJsonArray{locked}}}, pin, 0, pin, pin, imei},
        {"sending refused", {{"modems", QJsonArray{sim}}, {"send", "error"}}, 0, 0, 0, TAPI_ERROR_DBUS, imei},
        {"sending failed", {{"modems", QJsonArray{sim}}, {"send", "failed"}}, 0, 0, 0, TAPI_ERROR_SEND_FAILED, imei},
        {"never sent", {{"modems", QJsonArray{sim}}, {"send", "stuck"}}, 0, 0, 0, late, imei},
        {"never answers", {{"modems", QJsonArray{sim}}, {"hang", true}}, late, late, late, late, ""},
    };
    for (const QString service : {"modemmanager", "ofono"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE((service + ": " + c.label).toStdString());
            MockModem modem(c.mock.contains("modems") ? service : QString(), c.mock);
            ASSERT_TRUE(modem.ready);
            ::setenv("EZX_MODEM", service.toLatin1().constData(), 1);
            Guarded<48> imsiBuffer, imeiBuffer, centreBuffer;
            const auto shown = [](const char* b) { // "#": left untouched
                return QByteArray(b, 48) == QByteArray(48, '#') ? QByteArray("#") : QByteArray(b);
            };
            QElapsedTimer clock;
            clock.start();
            EXPECT_EQ(TAPI_ACCE_GetImsi(imsiBuffer.buffer), c.imsi);
            EXPECT_EQ(shown(imsiBuffer.buffer), c.imsi ? "#" : imsi);
            EXPECT_EQ(TAPI_ACCE_GetImei(imeiBuffer.buffer), c.imei);
            EXPECT_EQ(shown(imeiBuffer.buffer), c.imei ? "#" : c.imeiValue);
            const bool ofono = service == "ofono";
            const int centreResult = ofono || c.centre == none ? c.centre : 0;
            EXPECT_EQ(TAPI_SMS_GetServiceCenter(centreBuffer.buffer), centreResult);
            EXPECT_EQ(shown(centreBuffer.buffer), centreResult ? "#" : ofono ? centre : "");
            EXPECT_LT(clock.restart(), 4000);

            const QByteArray record = SmsRecord::build(centre, "600111222", text);
            unsigned char result = 0xEE;
            EXPECT_EQ(TAPI_SMS_SendSmBlockMode(const_cast<char*>(record.constData()), &result), c.send);
            EXPECT_LT(clock.elapsed(), 4000);
            EXPECT_EQ(result, c.send ? 0xEE : 0);
            QList<QJsonObject> sent;
            int deleted = 0;
            for (const QJsonObject& line : modem.log())
                line.contains("deleted") ? void(++deleted) : sent.append(line);
            // ModemManager's message, once made, is deleted again, sent or not.
            EXPECT_EQ(deleted, !ofono && !c.imsi ? 1 : 0);
            ASSERT_EQ(sent.size(), c.send ? 0 : 1);
            if (!c.send) {
                EXPECT_EQ(sent[0]["number"].toString(), "600111222");
                EXPECT_EQ(sent[0]["text"].toString(), QString::fromLatin1(text.left(159)));
                EXPECT_EQ(sent[0]["smsc"].toString(), ofono ? "" : centre); // oFono takes none
            }

            EXPECT_EQ(TAPI_CLIENT_Init(&smsClient, 1), c.imsi == none ? -1 : 1);
            ::setenv("EZX_MODEM", "auto", 1);
            EXPECT_EQ(TAPI_ACCE_GetImei(imeiBuffer.buffer), c.imei == none ? noModem : c.imei);
        }
    }
}
