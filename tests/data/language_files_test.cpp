// Checks every language file in data/languages byte by byte: the program
// reads them as raw bytes and decodes them itself, so a missing ID, a
// duplicated key or a stray byte shows up on the phone as an empty or
// garbled text.

#include "shell/textids.h"

#include <ZConfig.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

const QString kLanguageDir = QStringLiteral(VARDEL_SOURCE_DIR "/data/languages");

struct LanguageFile {
    QByteArray bytes;
    QList<QByteArray> keys;              // in file order, duplicates kept
    QHash<QByteArray, QByteArray> value; // last value of each key
    QStringList malformed;               // lines that are no "KEY = value"
    bool unicode() const { return value.value("UNICODE") == "1"; }
    QString text(const QByteArray &key) const
    {
        const QByteArray raw = value.value(key);
        return unicode() ? QString::fromUtf8(raw) : QString::fromLatin1(raw);
    }
};

LanguageFile readLanguageFile(const QString &name)
{
    LanguageFile lf;
    QFile f(kLanguageDir + '/' + name);
    if (!f.open(QIODevice::ReadOnly))
        return lf;
    lf.bytes = f.readAll();
    const QList<QByteArray> lines = lf.bytes.split('\n');
    int number = 0;
    bool inSection = false;
    for (const QByteArray &line : lines) {
        ++number;
        if (line.trimmed().isEmpty())
            continue;
        if (!inSection) {
            inSection = line == "[VARDEL]";
            if (!inSection)
                lf.malformed << QStringLiteral("%1: expected [VARDEL]").arg(number);
            continue;
        }
        const int eq = line.indexOf(" = ");
        if (eq <= 0 || line.startsWith('[')) {
            lf.malformed << QStringLiteral("%1: %2").arg(number).arg(QString::fromLatin1(line));
            continue;
        }
        const QByteArray key = line.left(eq);
        lf.keys << key;
        lf.value.insert(key, line.mid(eq + 3));
    }
    return lf;
}

std::vector<std::string> languageFileNames()
{
    std::vector<std::string> names;
    const QStringList entries = QDir(kLanguageDir).entryList(QDir::Files, QDir::Name);
    for (const QString &n : entries)
        names.push_back(n.toStdString());
    return names;
}

bool validUtf8(const QByteArray &bytes)
{
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(bytes);
    return !decode.hasError();
}

class LanguageFileTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        lf = readLanguageFile(QString::fromStdString(GetParam()));
        ASSERT_FALSE(lf.bytes.isEmpty()) << "cannot read " << GetParam();
    }
    LanguageFile lf;
};

TEST_P(LanguageFileTest, IsOneSectionOfUniqueKeys)
{
    EXPECT_TRUE(lf.malformed.isEmpty()) << lf.malformed.join('\n').toStdString();
    QSet<QByteArray> known{"LANG_NAME", "UNICODE"};
    for (const char *id : TextIds::all)
        known.insert(id);
    QSet<QByteArray> seen;
    for (const QByteArray &key : lf.keys) {
        EXPECT_FALSE(seen.contains(key)) << "duplicated key " << key.constData();
        EXPECT_TRUE(known.contains(key)) << "key the program never reads: " << key.constData();
        seen.insert(key);
    }
}

// Read through the same configuration reader the program uses, so the check
// covers what the program will find, byte for byte.
TEST_P(LanguageFileTest, HoldsANonEmptyTextForEveryId)
{
    const ZConfig cfg(kLanguageDir + '/' + QString::fromStdString(GetParam()), false);
    const auto read = [&](const char *id) {
        return cfg.readEntry(QStringLiteral("VARDEL"), QLatin1String(id)).toLatin1();
    };
    EXPECT_FALSE(read("LANG_NAME").isEmpty()) << "LANG_NAME missing";
    for (const char *id : TextIds::all) {
        EXPECT_FALSE(read(id).isEmpty()) << "missing or empty " << id;
        EXPECT_EQ(read(id), lf.value.value(id)) << id << " read differently by the program";
    }
}

TEST_P(LanguageFileTest, BytesFitTheDeclaredEncoding)
{
    for (const char c : lf.bytes) {
        const auto b = static_cast<unsigned char>(c);
        ASSERT_TRUE(b == '\n' || (b >= 0x20 && b != 0x7F)) << "control byte " << int(b);
    }
    const bool highBytes = std::any_of(lf.bytes.begin(), lf.bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (lf.unicode()) {
        EXPECT_TRUE(validUtf8(lf.bytes)) << "UNICODE = 1 but not UTF-8";
        return;
    }
    // Latin-1: C1 codes are control characters, and a text that decodes as
    // UTF-8 was saved in the wrong encoding (it would show as "Ã±" and the like).
    for (const char c : lf.bytes) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_FALSE(b >= 0x80 && b < 0xA0) << "C1 control byte " << int(b);
    }
    EXPECT_TRUE(highBytes) << "no byte beyond ASCII: the Latin-1 path is not exercised";
    EXPECT_FALSE(validUtf8(lf.bytes)) << "stored as UTF-8 but UNICODE is not 1";
}

// Texts are put into "%1 %2" compositions and CHANGE_FONT lands inside a
// double-quoted word of a shell script, so none may hold a placeholder or a
// character that the shell treats specially inside quotes.
TEST_P(LanguageFileTest, TextsAreSafeInCompositionsAndScripts)
{
    static const QRegularExpression placeholder(QStringLiteral("%\\d"));
    for (auto it = lf.value.cbegin(); it != lf.value.cend(); ++it) {
        const QByteArray &v = it.value();
        EXPECT_FALSE(v.contains('"') || v.contains('`') || v.contains('$') || v.contains('\\')
                     || v.contains('\''))
            << it.key().constData() << " holds a shell quoting character: " << v.constData();
        EXPECT_FALSE(lf.text(it.key()).contains(placeholder)) << it.key().constData();
        EXPECT_EQ(v, v.trimmed()) << it.key().constData() << " has surrounding blanks";
    }
}

// The alert goes out as an 8-bit Latin-1 SMS of at most 159 characters,
// followed by a blank and an IMSI of up to 15 digits.
TEST_P(LanguageFileTest, SimAlertFitsOneLatin1Sms)
{
    const QByteArray alert = lf.value.value("WARDLEX_MESSAGE");
    for (const char c : alert)
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "WARDLEX_MESSAGE must be plain ASCII";
    EXPECT_LE(alert.size() + 1 + 15, 159);
}

// Rows and choices are recognised by their displayed text: equal texts make
// one row open another row's editor.
TEST_P(LanguageFileTest, TextsThatIdentifyRowsAreDistinct)
{
    const std::vector<std::vector<const char *>> groups = {
        {"CONFIG_ALARM", "CONFIG_BLUETOOTH", "CONFIG_CONTACTS", "CONFIG_EMPTYSMS",
         "CONFIG_ORANGEBAR", "CONFIG_SLIDER", "CONFIG_EQUALIZER", "CONFIG_FONT",
         "WARDLEX_NUMBER", "WARDLEX_INI", "WARDLEX_PASSWORD"},
        {"AUTORUN_CRON", "AUTORUN_INETD"},
        {"OPTIONS_ENABLED", "OPTIONS_DISABLED"},
        {"INSTALL_PHONE", "INSTALL_SD"},
    };
    for (const auto &group : groups) {
        QHash<QString, const char *> owner;
        for (const char *id : group) {
            const QString t = lf.text(id);
            EXPECT_FALSE(owner.contains(t)) << id << " reads like " << owner.value(t);
            owner.insert(t, id);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFileTest, ::testing::ValuesIn(languageFileNames()),
                         [](const auto &info) {
                             std::string n = info.param;
                             for (char &c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

// The chooser marks the current language by LANG_NAME; the default settings
// name en.lng; the Latin-1 and UTF-8 paths both need a file.
TEST(LanguageFiles, ChooserCanTellThemApart)
{
    const std::vector<std::string> names = languageFileNames();
    QHash<QString, std::string> byName;
    bool latin1 = false, utf8 = false;
    for (const std::string &n : names) {
        const LanguageFile lf = readLanguageFile(QString::fromStdString(n));
        const QString shown = lf.text("LANG_NAME");
        EXPECT_FALSE(byName.contains(shown)) << n << " and " << byName.value(shown) << " share LANG_NAME";
        byName.insert(shown, n);
        (lf.unicode() ? utf8 : latin1) = true;
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "en.lng"), names.end());
    EXPECT_TRUE(latin1 && utf8);
}

// The list the language files are checked against must hold every ID the
// program's sources look up, so a new text cannot ship without its entries.
TEST(LanguageFiles, EveryIdInTheSourcesIsListed)
{
    QSet<QString> listed;
    for (const char *id : TextIds::all)
        listed.insert(QString::fromLatin1(id));
    static const QRegularExpression idLiteral(QStringLiteral(
        "\"((?:MENU|INSTALL|UNINSTALL|AUTORUN|OPTIONS|CRON|THEME|CONFIG|FONT|CHANGE|WARDLEX|"
        "ALARM|BLUETOOTH|CONTACTS|EMPTYSMS|ORANGEBAR|SLIDER|EQUALIZER)_[A-Z0-9_]*)\""));
    const QString srcDir = QStringLiteral(VARDEL_SOURCE_DIR "/src");
    QDirIterator files(srcDir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    int seen = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QString source = QString::fromUtf8(f.readAll());
        for (const QRegularExpressionMatch &m : idLiteral.globalMatch(source)) {
            ++seen;
            EXPECT_TRUE(listed.contains(m.captured(1)))
                << m.captured(1).toStdString() << " used in " << path.toStdString() << " is not in TextIds::all";
        }
    }
    EXPECT_GT(seen, int(TextIds::all.size())) << "the sources should at least hold the list itself";
}

} // namespace
