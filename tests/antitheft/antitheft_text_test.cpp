// The anti-theft texts without a shell: the numbers list and the cuts of the
// message record.

#include <gtest/gtest.h>

#include "antitheft/smsrecord.h"
#include "antitheft/wardlexsettings.h"
#include "outbox.h"
#include "qtprint.h"

namespace {

TEST(AntiTheftText, NumbersSplitAtAnyRunOfBlanks)
{
    const struct {
        QString numbers;
        QStringList expected;
    } cases[] = {
        {"600111222 600333444 +34600555666", {"600111222", "600333444", "+34600555666"}},
        {"  600111222 \t 600333444  ", {"600111222", "600333444"}},
        {"   ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WardlexSettings::splitNumbers(c.numbers), c.expected) << c.numbers.toStdString();
}

TEST(AntiTheftText, RecordCutsEveryTextToItsField)
{
    const struct {
        QByteArray centre, number, text, wantCentre, wantNumber, wantText;
    } cases[] = {
        {QByteArray(41, '1'), QByteArray(40, '2'), QByteArray(159, 't'), QByteArray(41, '1'), QByteArray(40, '2'),
         QByteArray(159, 't')},
        // A service centre as long as the library's buffer allows.
        {QByteArray(47, '1'), QByteArray(200, '2'), QByteArray(300, 't'), QByteArray(41, '1'), QByteArray(40, '2'),
         QByteArray(159, 't')},
        // A zero byte ends a text, as in the buffers they pass through.
        {QByteArray("+34\0" "9", 5), QByteArray("600\0" "1", 5), QByteArray("ab\0" "cd", 5), "+34", "600", "ab"},
    };
    for (const auto& c : cases) {
        const QList<SentMessage> sent = readOutbox(SmsRecord::build(c.centre, c.number, c.text));
        ASSERT_EQ(sent.size(), 1);
        EXPECT_TRUE(sent[0].frameRight);
        EXPECT_EQ(sent[0].serviceCentre, c.wantCentre);
        EXPECT_EQ(sent[0].number, c.wantNumber);
        EXPECT_EQ(sent[0].text, c.wantText);
    }
}

} // namespace
