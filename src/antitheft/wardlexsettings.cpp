#include "antitheft/wardlexsettings.h"

namespace WardlexSettings {

namespace {

// A value on one line: line breaks become blanks.
QString oneLine(QString value)
{
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\n';
}

} // namespace

QString fileText(const QString& imsi, const QString& numbers)
{
    return QStringLiteral("[ZWARDLEX]\nIMSI = ") + oneLine(imsi) + QStringLiteral("\nNUMBERS = ")
        + oneLine(numbers) + u'\n';
}

QStringList splitNumbers(const QString& numbers)
{
    QStringList list;
    QString current;
    for (const QChar c : numbers) {
        if (!isBlank(c)) {
            current += c;
        } else if (!current.isEmpty()) {
            list << current;
            current.clear();
        }
    }
    if (!current.isEmpty())
        list << current;
    return list;
}

} // namespace WardlexSettings
