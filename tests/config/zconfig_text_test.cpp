// The INI text rules: what a read sees, and which bytes a write touches.

#include <ZConfigText.h>

#include <gtest/gtest.h>

using namespace ZConfigText;

TEST(ZConfigText, ReadsSectionsKeysAndTheFirstOccurrence)
{
    const Sections s = parse(
        "top = 1\n"
        "[A]\n"
        "  plain=x\n"
        "\tspaced   =  two words  \r\n"
        "empty =\n"
        "eq = a=b\n"
        "# hidden = 1\n"
        "; hidden2 = 1\n"
        "no equals sign here\n"
        "= nokey\n"
        "dup = first\n"
        "dup = second\n"
        "[ B ]\n"
        "b = 1\n"
        "[A]\n"
        "dup = third\n"
        "onlyInRepeat = 1\n"
        "[]\n"
        "top = 2\n"
        "[A] trailing\n"
        "last = 1");

    EXPECT_EQ(s.value("").value("top"), "1");
    const Entries a = s.value("A");
    EXPECT_EQ(a.value("plain"), "x");
    EXPECT_EQ(a.value("spaced"), "two words");
    EXPECT_TRUE(a.contains("empty"));
    EXPECT_EQ(a.value("empty"), "");
    EXPECT_EQ(a.value("eq"), "a=b");
    EXPECT_EQ(a.value("dup"), "first");
    EXPECT_FALSE(a.contains("# hidden"));
    EXPECT_FALSE(a.contains("; hidden2"));
    EXPECT_FALSE(a.contains("onlyInRepeat"));
    EXPECT_EQ(s.value("B").value("b"), "1");
    // "[A] trailing" is no header, so "last" belongs to the ignored [] block.
    EXPECT_EQ(s.value("").size(), 1);
    EXPECT_EQ(a.size(), 5);
}

TEST(ZConfigText, ReplacingAKeyKeepsEveryOtherByte)
{
    const QByteArray text =
        "; phone file\r\n"
        "[Other]\r\n"
        "key = other\r\n"
        "\r\n"
        "[S]\r\n"
        "  key=old  \r\n"
        "next = 2\n"
        "[S]\n"
        "key = repeat";
    EXPECT_EQ(setEntry(text, "S", "key", "new"),
              "; phone file\r\n[Other]\r\nkey = other\r\n\r\n[S]\r\nkey = new\r\nnext = 2\n[S]\nkey = repeat");
    EXPECT_EQ(setEntry(text, "S", "key", "old"),
              "; phone file\r\n[Other]\r\nkey = other\r\n\r\n[S]\r\nkey = old\r\nnext = 2\n[S]\nkey = repeat");
}

TEST(ZConfigText, NewKeysGoAfterTheSectionsLastEntry)
{
    const QByteArray text = "[A]\na = 1\n# about B\n\n[B]\n[A]\nx = 9\n";
    // After a = 1, ahead of the comment and the blank line; the repeated [A]
    // is not the section.
    EXPECT_EQ(setEntry(text, "A", "x", "1"),
              "[A]\na = 1\nx = 1\n# about B\n\n[B]\n[A]\nx = 9\n");
    // A section without entries takes it right after its header.
    EXPECT_EQ(setEntry(text, "B", "b", "2"),
              "[A]\na = 1\n# about B\n\n[B]\nb = 2\n[A]\nx = 9\n");
    // A CRLF line keeps its style for the line inserted after it.
    EXPECT_EQ(setEntry("[A]\r\na = 1\r\n", "A", "b", "2"), "[A]\r\na = 1\r\nb = 2\r\n");
    // The unnamed section is the top of the file.
    EXPECT_EQ(setEntry("# c\n[A]\n", "", "top", "1"), "top = 1\n# c\n[A]\n");
}

TEST(ZConfigText, NewSectionsGoAtTheEndAndAnOpenLastLineStaysOpen)
{
    EXPECT_EQ(setEntry("", "S", "k", "v"), "[S]\nk = v\n");
    EXPECT_EQ(setEntry("[A]\na = 1\n", "S", "k", "v"), "[A]\na = 1\n[S]\nk = v\n");
    EXPECT_EQ(setEntry("[A]\r\na = 1", "S", "k", "v"), "[A]\r\na = 1\r\n[S]\r\nk = v");
    EXPECT_EQ(setEntry("[A]\na = 1", "A", "b", "2"), "[A]\na = 1\nb = 2");
    EXPECT_EQ(setEntry("[A]", "A", "b", "2"), "[A]\nb = 2");
}

TEST(ZConfigText, RefusesWhatWouldNotReadBackTheSame)
{
    EXPECT_TRUE(isValidSection(""));
    EXPECT_TRUE(isValidSection("2a58c0d6-05c6 [x]"));
    EXPECT_FALSE(isValidSection("a\nb"));
    EXPECT_FALSE(isValidSection(" a"));

    EXPECT_TRUE(isValidKey("Items"));
    for (const char* bad : {"", "a=b", " a", "a ", "[a", "#a", ";a", "a\rb"})
        EXPECT_FALSE(isValidKey(bad)) << bad;

    EXPECT_TRUE(isValidValue(""));
    EXPECT_TRUE(isValidValue("a = b ; # [c]"));
    for (const char* bad : {"a\nb", "a\r", " a", "a\t"})
        EXPECT_FALSE(isValidValue(bad)) << bad;
}

TEST(ZConfigText, ParsesSigned32BitDecimalsOnly)
{
    EXPECT_EQ(parseInt("2147483647"), 2147483647);
    EXPECT_EQ(parseInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseInt("+7"), 7);
    EXPECT_EQ(parseInt("007"), 7);
    for (const char* bad : {"2147483648", "-2147483649", "99999999999999999999", "", "-",
                            "12abc", "0x10", "1 2", "1.5"})
        EXPECT_FALSE(parseInt(bad).has_value()) << bad;
}

// No length is assumed anywhere: names and values far longer than any line
// of a phone file (up to past the 128 KiB a command line may hold) are
// parsed and written like short ones.
TEST(ZConfigText, NamesAndValuesOfAnyLength)
{
    for (const qsizetype length : {qsizetype(1), qsizetype(41), qsizetype(255), qsizetype(4097),
                                   qsizetype(128 * 1024 + 1)}) {
        SCOPED_TRACE(length);
        const QByteArray section(length, 's'), key(length, 'k'), value(length, 'v');
        const QByteArray text = ZConfigText::setEntry("[" + section + "]\n", section, key, value);
        EXPECT_EQ(text, "[" + section + "]\n" + key + " = " + value + "\n");
        const ZConfigText::Sections read = ZConfigText::parse(text + "[" + section + "]\nx = y\n");
        EXPECT_EQ(read.value(section), ZConfigText::Entries({{key, value}}));
    }
}
