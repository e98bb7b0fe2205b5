// The answer-line grammar of automation scripts.

#include <gtest/gtest.h>

#include "ZAutomation.h"
#include "ZAutomationScript.h"

using ZAutomation::Answer;
using namespace ZAutomationScript;

TEST(AutomationScript, ReadsEveryAnswerKind)
{
    Answer a;
    ASSERT_TRUE(parseAnswer(QStringLiteral("accept"), &a));
    EXPECT_EQ(a.kind, Answer::Accept);
    ASSERT_TRUE(parseAnswer(QStringLiteral("YES"), &a));
    EXPECT_EQ(a.kind, Answer::Accept);
    ASSERT_TRUE(parseAnswer(QStringLiteral("  no\r"), &a));
    EXPECT_EQ(a.kind, Answer::Reject);
    EXPECT_EQ(a.line, QStringLiteral("no"));

    ASSERT_TRUE(parseAnswer(QStringLiteral("check 2  0 7"), &a));
    EXPECT_EQ(a.kind, Answer::Check);
    EXPECT_EQ(a.checks, (QList<int>{2, 0, 7}));
    ASSERT_TRUE(parseAnswer(QStringLiteral("check"), &a));
    EXPECT_TRUE(a.checks.isEmpty());

    ASSERT_TRUE(parseAnswer(QStringLiteral("number -12"), &a));
    EXPECT_EQ(a.kind, Answer::Number);
    EXPECT_EQ(a.number, -12);

    ASSERT_TRUE(parseAnswer(QStringLiteral("file /mmc/mmca1/a b.txt"), &a));
    EXPECT_EQ(a.kind, Answer::File);
    EXPECT_EQ(a.text, QStringLiteral("/mmc/mmca1/a b.txt"));
}

TEST(AutomationScript, FilePathIsTheNamesBytes)
{
    // UTF-8 text gives its bytes; an escape gives a byte that is not UTF-8.
    const struct {
        const char* line;
        QByteArray bytes;
    } cases[] = {
        {"file /a/Jos\xc3\xa9.mpkg", "/a/Jos\xc3\xa9.mpkg"},
        {"file /a/d\\xE9.mpkg", "/a/d\xe9.mpkg"},
        {"file /a/\\xc3\\xa9", "/a/\xc3\xa9"},
        {"file /a/b\\\\xE9", "/a/b\\xE9"},
        {"file /a/\\x00 \\xG1 \\x4", "/a/\\x00 \\xG1 \\x4"},
    };
    for (const auto& c : cases) {
        Answer a;
        ASSERT_TRUE(parseAnswer(QString::fromUtf8(c.line), &a)) << c.line;
        EXPECT_EQ(a.text, QString::fromLatin1(c.bytes)) << c.line;
    }
}

TEST(AutomationScript, TextKeepsTheRestOfTheLineAsWritten)
{
    Answer a;
    ASSERT_TRUE(parseAnswer(QStringLiteral("text  two  blanks \r"), &a));
    EXPECT_EQ(a.kind, Answer::Text);
    EXPECT_EQ(a.text, QStringLiteral(" two  blanks "));
    ASSERT_TRUE(parseAnswer(QStringLiteral("text"), &a));
    EXPECT_EQ(a.text, QString());
    ASSERT_TRUE(parseAnswer(QString::fromUtf8("text ñandú # not a comment"), &a));
    EXPECT_EQ(a.text, QString::fromUtf8("ñandú # not a comment"));
}

TEST(AutomationScript, RefusesMalformedLines)
{
    for (const char* line : {"check 1 x", "check -1", "number", "number 1 2", "number ten", "file",
                             "accept now", "acept", "tab 1", "dump"})
        EXPECT_FALSE(parseAnswer(QString::fromLatin1(line), nullptr)) << line;
}

TEST(AutomationScript, SortsLinesIntoStepsAnswersAndSkipped)
{
    EXPECT_TRUE(isSkipped(QStringLiteral("   ")));
    EXPECT_TRUE(isSkipped(QStringLiteral("  # note")));
    EXPECT_FALSE(isSkipped(QStringLiteral("text #")));
    for (const char* step : {"tab", "current", "activate", "menu", "softkey", "dump"})
        EXPECT_TRUE(isStep(QString::fromLatin1(step))) << step;
    EXPECT_FALSE(isStep(QStringLiteral("accept")));
    EXPECT_FALSE(isStep(QStringLiteral("shot")));
    EXPECT_EQ(keyword(QStringLiteral("\tShot /tmp/a.png")), QStringLiteral("shot"));
    EXPECT_EQ(rest(QStringLiteral("shot /tmp/a b.png")), QStringLiteral("/tmp/a b.png"));
}
