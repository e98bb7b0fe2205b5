#include "antitheft/passwordhash.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace PasswordHash {

namespace {

QByteArray derive(const QString& password, const QByteArray& salt)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, rounds,
                                             keyBytes);
}

// Lower-case hex of exactly that many bytes.
std::optional<QByteArray> fromHex(QStringView text, int bytes)
{
    if (text.size() != 2 * bytes)
        return std::nullopt;
    for (const QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return std::nullopt;
    }
    return QByteArray::fromHex(text.toLatin1());
}

bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

std::optional<Parts> parse(const QString& stored)
{
    const QLatin1String start(prefix);
    if (!stored.startsWith(start))
        return std::nullopt;
    const QStringView rest = QStringView(stored).mid(start.size());
    const qsizetype dollar = rest.indexOf(u'$');
    if (dollar < 0)
        return std::nullopt;
    const std::optional<QByteArray> salt = fromHex(rest.left(dollar), saltBytes);
    const std::optional<QByteArray> key = fromHex(rest.mid(dollar + 1), keyBytes);
    if (!salt || !key)
        return std::nullopt;
    return Parts{*salt, *key};
}

QString format(const Parts& parts)
{
    return QLatin1String(prefix) + QString::fromLatin1(parts.salt.toHex()) + u'$'
        + QString::fromLatin1(parts.key.toHex());
}

QString stored(const QString& password)
{
    if (password.isEmpty())
        return QString();
    QByteArray salt(saltBytes, '\0');
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    return format({salt, derive(password, salt)});
}

bool matches(const QString& stored, const QString& entered)
{
    if (const std::optional<Parts> parts = parse(stored))
        return sameBytes(derive(entered, parts->salt), parts->key);
    return entered == stored;
}

} // namespace PasswordHash
