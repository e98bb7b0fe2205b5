// The SIM-change check of a start with the anti-theft keyword, the alert
// messages it sends, and the IMEI file of the program directory.

#include "vardel.h"

#include <QByteArray>

#include <ZConfig.h>
#include <ZNoticeDlg.h>

#include <ezxtapi.h>

#include <cstdint>
#include <cstdio>

#include "antitheft/smsrecord.h"
#include "antitheft/telephony.h"
#include "antitheft/wardlexsettings.h"
#include "shell/paths.h"
#include "shell/shellrun.h"

namespace {

// The IMSI and IMEI buffers of the check and of the IMEI file.
constexpr std::size_t checkImsiBuffer = 20;
constexpr std::size_t imeiBuffer = 16;
constexpr std::size_t serviceCentreBuffer = 48;
static_assert(serviceCentreBuffer >= TAPI_SERVICE_CENTER_BUFFER_SIZE);

// A line of the check's own on standard output, flushed at once so that it
// stays in order with what the commands print.
void print(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    std::fflush(stdout);
}

} // namespace

void Vardel::runZWardlex()
{
    const QString current = Telephony::imsi(checkImsiBuffer);

    const ZConfig settings(QLatin1String(WardlexSettings::path), false);
    const QString recorded = settings.readEntry(WardlexSettings::section, "IMSI", "");
    const QString numbers = settings.readEntry(WardlexSettings::section, "NUMBERS", "");

    // Each value is one quoted word: printed as it stands, never run.
    Shell::runPrinting(QStringLiteral("echo \"\nIMSI = %1\nNUMBERS = %2\n\""), recorded, numbers);

    if (recorded == current) {
        Shell::runPrinting(QStringLiteral("echo \"\nIMSI comparation Ok!\n\""));
        return;
    }

    Shell::runPrinting(QStringLiteral("echo \"\nStolen phone!!! Sending messages...\n\""));
    const ZConfig lang(langFile, false);
    const QString alert = text(lang, "WARDLEX_MESSAGE") + u' ' + current;
    for (const QString& number : WardlexSettings::splitNumbers(numbers))
        SendSMS(number, alert);
}

void Vardel::SendSMS(const QString& number, const QString& message)
{
    // Texts go out 8-bit; a character beyond Latin-1 is sent as "?".
    const QByteArray destination = number.toLatin1();
    const QByteArray body = message.toLatin1();

    std::uint16_t sendingClient = 780;
    const int client = TAPI_CLIENT_Init(&sendingClient, 1);
    if (client == 0 || client == -1) {
        print("failed to create sms fd...\n");
        return;
    }

    char serviceCentre[serviceCentreBuffer] = {};
    if (TAPI_SMS_GetServiceCenter(serviceCentre) == 0)
        print("Si lo tenemos!.\n");
    else
        print("No lo tenemos.\n");
    serviceCentre[serviceCentreBuffer - 1] = '\0';
    print(serviceCentre);
    print(serviceCentre);

    QByteArray record = SmsRecord::build(serviceCentre, destination, body);
    unsigned char sendResult = 0;
    if (TAPI_SMS_SendSmBlockMode(record.data(), &sendResult) == 0)
        print("sms enviado con exito\n");
    else
        print("fallo el envio del sms\n");
}

void Vardel::getIMEI()
{
    // Recorded once; a file left empty (by a write cut short, say) is
    // written again.
    const QString file = progDir + QStringLiteral("/IMEI");
    if (Paths::isRegularFile(file)) {
        const std::optional<QStringList> lines = Shell::readLinesIfReadable(file);
        if (lines && !lines->isEmpty() && !lines->first().isEmpty())
            return;
    }
    const QString imei = Telephony::imei(imeiBuffer);
    if (!Shell::writeThenMove(file + QStringLiteral(".new"), file, QStringLiteral("IMEI = ") + imei)) {
        const ZConfig lang(langFile, false);
        timedNotice(ZNoticeDlg::Other, 3000, text(lang, "WARDLEX_NOIMEI"));
    }
}
