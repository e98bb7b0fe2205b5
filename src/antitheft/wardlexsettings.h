#pragma once

#include <QString>
#include <QStringList>

// The anti-theft settings file: the IMSI of the SIM card that was in the
// phone when the alert numbers were saved, and the numbers themselves.
namespace WardlexSettings {

inline constexpr char path[] = "/ezxlocal/download/appwrite/setup/ezx_zwardlex.cfg";
inline constexpr char section[] = "ZWARDLEX";

// The file's text, to be written with one more line feed after it (as echo
// adds one): "[ZWARDLEX]", "IMSI = <imsi>", "NUMBERS = <numbers>" and an
// empty line. Every character is kept as given, blanks, quotes, $ and
// backslashes included, except line breaks, which would start a line of
// their own: a CR or LF becomes a blank, which separates numbers as the
// break did.
QString fileText(const QString& imsi, const QString& numbers);

// The numbers of a NUMBERS value, in order: split at blanks (space, tab, and
// the other blanks the INI reader strips), empty items dropped, so that
// several blanks in a row or blanks at the ends never give an empty number.
QStringList splitNumbers(const QString& numbers);

} // namespace WardlexSettings
