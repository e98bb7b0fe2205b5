#include "ZConfig.h"

#include "ZConfigFile.h"
#include "ZConfigText.h"

#include <QVarLengthArray>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The Latin-1 bytes of text, or nothing when a character does not fit.
bool toLatin1(const QString& text, QByteArray* bytes)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    *bytes = text.toLatin1();
    return true;
}

// The file name's bytes: the path holds one character per byte. A path with
// a character above U+00FF or a NUL names no file; it gives nothing, which
// no file is named by.
QByteArray fileNameOf(const QString& path)
{
    QByteArray bytes;
    if (!toLatin1(path, &bytes) || bytes.contains('\0'))
        return QByteArray();
    return bytes;
}

// The Latin-1 bytes of a name being looked up, without a heap copy for
// the usual short names.
using NameBytes = QVarLengthArray<char, 128>;

bool toLatin1(const QString& text, NameBytes* bytes)
{
    bytes->resize(text.size());
    char* out = bytes->data();
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
        *out++ = char(c.unicode());
    }
    return true;
}

} // namespace

ZConfig::~ZConfig() = default;
ZConfig::ZConfig(ZConfig&&) noexcept = default;
ZConfig& ZConfig::operator=(ZConfig&&) noexcept = default;

ZConfig::ZConfig(const QString& path, bool writeMode)
    : m_path(path)
    , m_writeMode(writeMode)
{
    // A missing or unreadable file reads as an empty one.
    ZConfigFile::readAll(fileNameOf(path), &m_content);
}

std::optional<QByteArrayView> ZConfig::find(const QString& group, const QString& key) const
{
    NameBytes g, k;
    if (!toLatin1(group, &g) || !toLatin1(key, &k))
        return std::nullopt;
    if (!m_reader)
        m_reader = std::make_unique<ZConfigText::Reader>(m_content);
    return m_reader->value(QByteArrayView(g.data(), g.size()), QByteArrayView(k.data(), k.size()));
}

QString ZConfig::readEntry(const QString& group, const QString& key, const QString& def) const
{
    const std::optional<QByteArrayView> value = find(group, key);
    return value ? QString::fromLatin1(*value) : def;
}

int ZConfig::readNumEntry(const QString& group, const QString& key, int def) const
{
    const std::optional<QByteArrayView> value = find(group, key);
    if (!value)
        return def;
    return ZConfigText::parseInt(*value).value_or(def);
}

QStringList ZConfig::readListEntry(const QString& group, const QString& key, QChar sep) const
{
    const std::optional<QByteArrayView> value = find(group, key);
    if (!value)
        return {};
    return QString::fromLatin1(*value).split(sep, Qt::SkipEmptyParts);
}

bool ZConfig::writeEntry(const QString& group, const QString& key, const QString& value)
{
    return writeEntries({{group, key, value}});
}

bool ZConfig::writeEntry(const QString& group, const QString& key, int value)
{
    Bytes change;
    return toLatin1(group, &change.group) && toLatin1(key, &change.key)
        && write({{change.group, change.key, QByteArray::number(value)}});
}

bool ZConfig::writeEntry(const QString& group, const QString& key, const char* value)
{
    // The characters' bytes are stored as they are, as with readEntry.
    Bytes change;
    return toLatin1(group, &change.group) && toLatin1(key, &change.key)
        && write({{change.group, change.key, QByteArray(value ? value : "")}});
}

bool ZConfig::writeEntries(const QList<Entry>& entries)
{
    QList<Bytes> changes;
    changes.reserve(entries.size());
    for (const Entry& entry : entries) {
        Bytes change;
        if (!toLatin1(entry.group, &change.group) || !toLatin1(entry.key, &change.key)
            || !toLatin1(entry.value, &change.value))
            return false;
        changes.append(std::move(change));
    }
    return write(changes);
}

namespace {
ZConfig::ReplaceObserver replaceObserver = nullptr;
}

void ZConfig::setReplaceObserver(ReplaceObserver observer)
{
    replaceObserver = observer;
}

bool ZConfig::write(const QList<Bytes>& changes)
{
    for (const Bytes& change : changes) {
        if (!ZConfigText::isValidSection(change.group) || !ZConfigText::isValidKey(change.key)
            || !ZConfigText::isValidValue(change.value))
            return false;
    }

    const QByteArray path = fileNameOf(m_path);
    QByteArray target;
    if (path.isEmpty() || !ZConfigFile::writeTarget(path, &target))
        return false;

    // Always start from what is on disk now, so that writes made through
    // other objects since this one was made are kept.
    QByteArray content;
    struct stat info;
    const ZConfigFile::ReadStatus status = ZConfigFile::readAll(target, &content, &info);
    if (status == ZConfigFile::ReadStatus::Failed)
        return false;
    const bool exists = status == ZConfigFile::ReadStatus::Ok;

    QByteArray updated = content;
    for (const Bytes& change : changes)
        updated = ZConfigText::setEntry(updated, change.group, change.key, change.value);
    if (!(exists && updated == content)) {
        // A file this process may not write keeps its protection: it is not
        // replaced, although a rename in its directory could do so.
        if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
            return false;
        if (replaceObserver)
            replaceObserver(QString::fromLatin1(target));
        if (!ZConfigFile::replaceAtomically(target, updated, exists ? &info : nullptr))
            return false;
    }
    m_reader.reset();
    m_content = updated;
    return true;
}
