// The anti-theft texts without a shell: the settings file, the numbers list
// and the message record.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <ZConfig.h>

#include "antitheft/smsrecord.h"
#include "antitheft/wardlexsettings.h"
#include "hostile.h"
#include "outbox.h"
#include "qtprint.h"

namespace {

// The file as `echo` leaves it: the text and one more line feed.
QByteArray fileBytes(const QString& imsi, const QString& numbers)
{
    return (WardlexSettings::fileText(imsi, numbers) + u'\n').toLatin1();
}

TEST(WardlexFile, HoldsFourLinesAndReadsBackAsTyped)
{
    EXPECT_EQ(fileBytes("214070123456789", "600111222 600333444"),
              "[ZWARDLEX]\nIMSI = 214070123456789\nNUMBERS = 600111222 600333444\n\n");
    EXPECT_EQ(fileBytes("", ""), "[ZWARDLEX]\nIMSI = \nNUMBERS = \n\n");

    // Whatever the numbers text, the file keeps its four lines and the INI
    // reader gets the text back (line breaks turned blanks, ends stripped).
    QTemporaryDir dir;
    const Hostile::Canary canary;
    for (const Hostile::Value& v : Hostile::values(canary)) {
        const QByteArray bytes = fileBytes("214070123456789", v.text);
        EXPECT_EQ(bytes.count('\n'), 4) << v.label;
        EXPECT_TRUE(bytes.endsWith("\n\n")) << v.label;
        QFile f(dir.filePath("ezx_zwardlex.cfg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        const ZConfig cfg(f.fileName(), false);
        QString expected = v.text;
        expected.replace(u'\n', u' ').replace(u'\r', u' ');
        EXPECT_EQ(cfg.readEntry("ZWARDLEX", "NUMBERS", "<none>"), expected.trimmed()) << v.label;
        EXPECT_EQ(cfg.readEntry("ZWARDLEX", "IMSI", "<none>"), "214070123456789") << v.label;
    }
}

TEST(WardlexFile, NumbersSplitAtAnyRunOfBlanks)
{
    const struct {
        QString numbers;
        QStringList expected;
    } cases[] = {
        {"600111222 600333444 600555666", {"600111222", "600333444", "600555666"}},
        {"  600111222   600333444  ", {"600111222", "600333444"}},
        {"600111222\t600333444", {"600111222", "600333444"}},
        {"+34600111222", {"+34600111222"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WardlexSettings::splitNumbers(c.numbers), c.expected) << c.numbers.toStdString();
}

TEST(SmsRecordLayout, EveryFieldAtItsOffset)
{
    const QByteArray record = SmsRecord::build("+34607003110", "600111222", "Stolen! 214079999999999");
    ASSERT_EQ(record.size(), 6500);
    const QList<SentMessage> sent = readOutbox(record);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent[0].frameRight);
    EXPECT_EQ(sent[0].serviceCentre, "+34607003110");
    EXPECT_EQ(sent[0].number, "600111222");
    EXPECT_EQ(sent[0].text, "Stolen! 214079999999999");
    EXPECT_EQ(sent[0].length, 23);
    EXPECT_TRUE(sent[0].textZeroTerminated);
}

TEST(SmsRecordLayout, OverlongTextsAreCutToTheirFields)
{
    const QByteArray longText(300, 'x');
    const struct {
        QByteArray serviceCentre, number, text;
        QByteArray wantCentre, wantNumber, wantText;
    } cases[] = {
        {QByteArray(41, '1'), QByteArray(40, '2'), QByteArray(159, 't'),
         QByteArray(41, '1'), QByteArray(40, '2'), QByteArray(159, 't')},
        {QByteArray(47, '1'), QByteArray(41, '2'), QByteArray(160, 't'),
         QByteArray(41, '1'), QByteArray(40, '2'), QByteArray(159, 't')},
        {"", QByteArray(200, '2'), longText, "", QByteArray(40, '2'), longText.left(159)},
        // A zero byte ends a text, as in the buffers they pass through.
        {QByteArray("+34\0" "999", 7), QByteArray("600\0" "1", 5), QByteArray("ab\0" "cd", 5),
         "+34", "600", "ab"},
    };
    for (const auto& c : cases) {
        const QList<SentMessage> sent = readOutbox(SmsRecord::build(c.serviceCentre, c.number, c.text));
        ASSERT_EQ(sent.size(), 1);
        EXPECT_TRUE(sent[0].frameRight);
        EXPECT_EQ(sent[0].serviceCentre, c.wantCentre);
        EXPECT_EQ(sent[0].number, c.wantNumber);
        EXPECT_EQ(sent[0].text, c.wantText);
        EXPECT_EQ(sent[0].length, c.wantText.size());
        EXPECT_TRUE(sent[0].textZeroTerminated);
    }
}

} // namespace
