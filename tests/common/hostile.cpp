#include "hostile.h"

#include <QFileInfo>
#include <QStringList>

namespace Hostile {

namespace {

const char canariesVariable[] = "VARDEL_TEST_CANARIES";

QStringList liveCanaries()
{
    return qEnvironmentVariable(canariesVariable).split(u':', Qt::SkipEmptyParts);
}

} // namespace

Canary::Canary()
    : m_dir(QStringLiteral("/tmp/vardel-canary-XXXXXX"))
    , m_path(m_dir.filePath(QStringLiteral("CANARY")))
{
    qputenv(canariesVariable, (liveCanaries() << m_dir.path()).join(u':').toLocal8Bit());
}

Canary::~Canary()
{
    QStringList live = liveCanaries();
    live.removeAll(m_dir.path());
    qputenv(canariesVariable, live.join(u':').toLocal8Bit());
}

bool Canary::fired() const
{
    return QFileInfo::exists(m_path);
}

QList<Value> values(const Canary& canary)
{
    const QString c = canary.path();
    QString everyByte;
    for (int b = 1; b < 256; ++b) {
        if (b != '/')
            everyByte += QChar(b);
    }
    // Over 128 KiB, the kernel's limit for one argument, with
    // metacharacters throughout so a cut shows.
    QString huge;
    while (huge.size() < 140 * 1024)
        huge += QStringLiteral("a $HOME 'b' \"c\" `d` \\e %1;");

    return {
        {"plain", QStringLiteral("Plain"), true},
        {"blank", QStringLiteral("two words"), true},
        {"doubled blanks", QStringLiteral("two  blanks"), true},
        {"blanks at both ends", QStringLiteral("  padded  "), true},
        {"tab", QStringLiteral("tab\there"), true},
        {"line feed", QStringLiteral("line one\nline two"), true},
        {"trailing line feeds", QStringLiteral("ends\n\n"), true},
        {"carriage return", QStringLiteral("cr\rhere"), true},
        {"double quote", QStringLiteral("say \"hi\""), true},
        {"single quote", QStringLiteral("it's"), true},
        {"quote breakout", QStringLiteral("\"'; touch %1; '\"").arg(c), false},
        {"$HOME", QStringLiteral("$HOME"), true},
        {"${...}", QStringLiteral("${HOME:-x}$0$#"), true},
        {"$(...)", QStringLiteral("$(touch %1)").arg(c), false},
        {"backquotes", QStringLiteral("`touch %1`").arg(c), false},
        {"arithmetic", QStringLiteral("$((6*7))"), true},
        {"backslashes", QStringLiteral("back\\slash \\\\ \\n \\t \\c"), true},
        {"trailing backslash", QStringLiteral("ends\\"), true},
        {"semicolon", QStringLiteral("a; touch %1").arg(c), false},
        {"&&", QStringLiteral("a && touch %1").arg(c), false},
        {"||", QStringLiteral("false || touch %1").arg(c), false},
        {"pipe", QStringLiteral("a | touch %1").arg(c), false},
        {"redirection", QStringLiteral("a > %1").arg(c), false},
        {"background", QStringLiteral("a & touch %1 &").arg(c), false},
        {"glob *", QStringLiteral("*"), true},
        {"glob ? and []", QStringLiteral("?.mpkg [a-z]*"), true},
        {"braces", QStringLiteral("{a,b}"), true},
        {"tilde", QStringLiteral("~root"), true},
        {"comment", QStringLiteral("#not a comment"), true},
        {"history", QStringLiteral("!!"), true},
        {"%1", QStringLiteral("%1"), true},
        {"%2 and %1", QStringLiteral("%2 then %1"), true},
        {"leading -", QStringLiteral("-rf"), true},
        {"echo option", QStringLiteral("-n"), true},
        {"..", QStringLiteral(".."), false},
        {"../..", QStringLiteral("../../etc"), false},
        {"empty", QString(), false},
        {"Latin-1 bytes", QString::fromLatin1("Jos\xe9 ni\xf1o \xff"), true},
        {"UTF-8 bytes", QString::fromLatin1("Jos\xc3\xa9 \xd0\x96"), true},
        {"control bytes", QString::fromLatin1("esc\x1b[31m bell\x07"), true},
        {"NUL byte", QStringLiteral("cut") + QChar(0) + QStringLiteral("; touch %1").arg(c), false},
        {"every byte", everyByte, false},
        {"over 128 KiB", huge, false},
    };
}

QList<Value> fileNames(const Canary& canary)
{
    QList<Value> names;
    for (const Value& v : values(canary)) {
        if (v.fileName && !v.text.isEmpty() && v.text.size() <= 255 && v.text != u'.'
            && v.text != QLatin1String("..") && !v.text.contains(u'/') && !v.text.contains(QChar(0)))
            names << v;
    }
    return names;
}

} // namespace Hostile
