#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <ostream>

// The test program runs as if installed in a scratch program directory
// (argv[0] lies in it), so the dialogs find their settings, languages and
// pictures there.
namespace DialogEnv {

QString programDir(); // ends in "/"

// Writes Vardel.cfg choosing the language file, and that file's bytes.
void setLanguage(const QString& fileName, const QByteArray& content);

} // namespace DialogEnv

// Readable strings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QJsonValue& value, std::ostream* out)
{
    *out << value.toVariant().toString().toStdString();
}
