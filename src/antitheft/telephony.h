#pragma once

#include <QString>

#include <cstddef>
#include <optional>

// The phone's identity through the telephony library: each query opens a
// query client, asks, and closes the client again.
namespace Telephony {

// The IMSI of the SIM card now in the phone, read into a buffer of
// bufferSize bytes (at least the library's IMSI size). Empty when the
// library reports an error, which is printed as the debug line
// "*** FAIL: error <code>".
QString imsi(std::size_t bufferSize);

// The same, but nothing when the library reports an error, so that a caller
// can tell a failed read from an empty answer.
std::optional<QString> imsiIfRead(std::size_t bufferSize);

// The phone's IMEI, the same way; a successful read is printed as the debug
// line "\nIMEI = <imei>".
QString imei(std::size_t bufferSize);

} // namespace Telephony
