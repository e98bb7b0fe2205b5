#pragma once

#include <QByteArray>

// The record of one outgoing text message, as the telephony library's
// block-mode send takes it: a fixed block of bytes, zeroed, with these
// fields set. Multi-byte values are little-endian; texts are 8-bit
// (Latin-1) and zero-terminated within their field.
namespace SmsRecord {

inline constexpr int size = 6500;

inline constexpr int serviceCentreOffset = 2;
inline constexpr int serviceCentreWidth = 42;
inline constexpr int numberOffset = 44;
inline constexpr int numberWidth = 44;
inline constexpr int textFlagOffset = 88;   // 32 bits, always 1: text follows
inline constexpr int textLengthOffset = 92; // 16 bits
inline constexpr int textOffset = 94;
inline constexpr int textWidth = 6402;

// The longest texts the program puts in: the destination number and the
// message go through buffers of 41 and 160 bytes, and the service centre
// must leave its field's terminating zero.
inline constexpr int maxNumber = 40;
inline constexpr int maxText = 159;
inline constexpr int maxServiceCentre = serviceCentreWidth - 1;

// The whole record. Each text is taken up to its first zero byte and cut to
// its maximum; the length field holds the length of the text as stored.
QByteArray build(const QByteArray& serviceCentre, const QByteArray& number, const QByteArray& text);

} // namespace SmsRecord
