#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The anti-theft password as Vardel.cfg keeps it: never as typed, but as
// "pbkdf2-sha256$SALT$KEY", SALT 16 random bytes and KEY the 32-byte
// PBKDF2-HMAC-SHA256 of the password's UTF-8 bytes with that salt over a
// fixed number of rounds, both in lower-case hex. The empty password is
// kept as the empty value. A value of any other form is a password stored
// as typed by an older Vardel.
namespace PasswordHash {

inline constexpr char prefix[] = "pbkdf2-sha256$";
inline constexpr int rounds = 20000;
inline constexpr int saltBytes = 16;
inline constexpr int keyBytes = 32;

struct Parts {
    QByteArray salt;
    QByteArray key;
};

// The salt and key of a stored value of the hashed form; nothing for any
// other value.
std::optional<Parts> parse(const QString& stored);
// The stored value of those parts (parse's inverse).
QString format(const Parts& parts);

// The value to store for a new password: "" for the empty one, else its
// hash with a fresh random salt.
QString stored(const QString& password);

// True when the entry is the password the stored value keeps: its hash for
// the hashed form (compared in constant time), the very text otherwise.
bool matches(const QString& stored, const QString& entered);

} // namespace PasswordHash
