#include "ZConfig.h"

#include "ZConfigFile.h"
#include "ZConfigText.h"

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

} // namespace

ZConfig::ZConfig(const QString& path, bool writeMode)
    : m_path(path)
    , m_writeMode(writeMode)
{
    // A missing or unreadable file reads as an empty one.
    ZConfigFile::readAll(fileNameOf(path), &m_content);
}

const QByteArray* ZConfig::find(const QString& group, const QString& key) const
{
    QByteArray g, k;
    if (!toLatin1(group, &g) || !toLatin1(key, &k))
        return nullptr;
    if (!m_sections)
        m_sections = ZConfigText::parse(m_content);
    const auto section = m_sections->constFind(g);
    if (section == m_sections->constEnd())
        return nullptr;
    const auto entry = section->constFind(k);
    return entry == section->constEnd() ? nullptr : &*entry;
}

QString ZConfig::readEntry(const QString& group, const QString& key, const QString& def) const
{
    const QByteArray* value = find(group, key);
    return value ? QString::fromLatin1(*value) : def;
}

int ZConfig::readNumEntry(const QString& group, const QString& key, int def) const
{
    const QByteArray* value = find(group, key);
    if (!value)
        return def;
    return ZConfigText::parseInt(*value).value_or(def);
}

QStringList ZConfig::readListEntry(const QString& group, const QString& key, QChar sep) const
{
    const QByteArray* value = find(group, key);
    if (!value)
        return {};
    return QString::fromLatin1(*value).split(sep, Qt::SkipEmptyParts);
}

bool ZConfig::writeEntry(const QString& group, const QString& key, const QString& value)
{
    QByteArray bytes;
    return toLatin1(value, &bytes) && write(group, key, bytes);
}

bool ZConfig::writeEntry(const QString& group, const QString& key, int value)
{
    return write(group, key, QByteArray::number(value));
}

bool ZConfig::writeEntry(const QString& group, const QString& key, const char* value)
{
    // The characters' bytes are stored as they are, as with readEntry.
    return write(group, key, QByteArray(value ? value : ""));
}

bool ZConfig::write(const QString& group, const QString& key, const QByteArray& value)
{
    QByteArray g, k;
    if (!toLatin1(group, &g) || !toLatin1(key, &k) || !ZConfigText::isValidSection(g)
        || !ZConfigText::isValidKey(k) || !ZConfigText::isValidValue(value))
        return false;

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

    const QByteArray updated = ZConfigText::setEntry(content, g, k, value);
    if (!(exists && updated == content)) {
        // A file this process may not write keeps its protection: it is not
        // replaced, although a rename in its directory could do so.
        if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
            return false;
        if (!ZConfigFile::replaceAtomically(target, updated, exists ? &info : nullptr))
            return false;
    }
    m_content = updated;
    m_sections.reset();
    return true;
}
