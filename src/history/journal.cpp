#include "history/journal.h"

#include <QByteArrayList>

namespace Journal {

namespace {

const QByteArray header = "vardel-history 1";

bool isKind(const QByteArray& kind)
{
    return kind == "absent" || kind == "file" || kind == "dir" || kind == "link";
}

bool isAfter(const QByteArray& after)
{
    if (after == "absent")
        return true;
    if (after.size() != 64)
        return false;
    for (char c : after) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// A number of digits only (decimal, or octal for modes), within range.
bool number(const QByteArray& text, qint64 max, qint64* out, int base = 10)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c >= '0' + base)
            return false;
        value = value * base + (c - '0');
    }
    if (value > max)
        return false;
    *out = value;
    return true;
}

// Percent-encoding that leaves no blank, control byte or '%' in the word;
// an empty text is "-".
QByteArray word(const QByteArray& bytes)
{
    return bytes.isEmpty() ? QByteArray("-") : bytes.toPercentEncoding("/:_.,+=@()[]{}<>!?'\"*&;#$^|\\", "-");
}

bool unword(const QByteArray& text, QByteArray* out)
{
    if (text == "-") {
        out->clear();
        return true;
    }
    // Only what word() writes: printable ASCII, and every '%' followed by
    // two hex digits.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c <= ' ' || c > '~')
            return false;
        if (c == '%' && (i + 2 >= text.size() || !isxdigit(uchar(text[i + 1])) || !isxdigit(uchar(text[i + 2]))))
            return false;
    }
    *out = QByteArray::fromPercentEncoding(text);
    return !out->isEmpty();
}

bool readEntry(const QByteArrayList& fields, Entry* entry)
{
    qint64 id = 0, time = 0, bytes = 0;
    QByteArray description;
    if (fields.size() != 6 || fields[0] != "E" || !number(fields[1], 999999999, &id)
        || !number(fields[2], Q_INT64_C(99999999999), &time) || (fields[3] != "u" && fields[3] != "n")
        || !number(fields[4], Q_INT64_C(999999999999), &bytes) || !unword(fields[5], &description))
        return false;
    entry->id = int(id);
    entry->time = time;
    entry->undoable = fields[3] == "u";
    entry->bytes = bytes;
    entry->description = QString::fromUtf8(description);
    return true;
}

bool readFile(const QByteArrayList& fields, File* file)
{
    qint64 mode = 0, uid = 0, gid = 0;
    QByteArray path;
    if (fields.size() != 7 || fields[0] != "F" || !unword(fields[1], &path) || !path.startsWith('/')
        || !isKind(fields[2]) || !number(fields[3], 07777, &mode, 8) || !number(fields[4], 0xffffffffLL, &uid)
        || !number(fields[5], 0xffffffffLL, &gid) || !isAfter(fields[6]))
        return false;
    file->path = QString::fromLatin1(path);
    file->kind = QString::fromLatin1(fields[2]);
    file->mode = uint(mode);
    file->uid = uint(uid);
    file->gid = uint(gid);
    file->after = fields[6];
    return true;
}

} // namespace

QByteArray format(const QList<Entry>& entries)
{
    QByteArray text = header;
    for (const Entry& e : entries) {
        text += "\nE " + QByteArray::number(e.id) + ' ' + QByteArray::number(e.time) + ' '
            + (e.undoable ? 'u' : 'n') + ' ' + QByteArray::number(e.bytes) + ' ' + word(e.description.toUtf8());
        for (const File& f : e.files)
            text += "\nF " + word(f.path.toLatin1()) + ' ' + f.kind.toLatin1() + ' ' + QByteArray::number(f.mode, 8)
                + ' ' + QByteArray::number(f.uid) + ' ' + QByteArray::number(f.gid) + ' ' + f.after;
    }
    return text;
}

QList<Entry> parse(const QByteArray& text)
{
    QList<Entry> entries;
    const QByteArrayList lines = text.split('\n');
    if (lines.value(0) != header)
        return entries;
    bool broken = true; // no entry open yet
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        const QByteArrayList fields = line.split(' ');
        if (fields[0] == "E") {
            Entry entry;
            broken = !readEntry(fields, &entry);
            // Ids only grow: a repeated or older one is no entry of ours.
            if (!broken && !entries.isEmpty() && entry.id <= entries.last().id)
                broken = true;
            if (!broken)
                entries.append(entry);
            continue;
        }
        File file;
        if (broken)
            continue;
        if (!readFile(fields, &file)) {
            entries.removeLast();
            broken = true;
            continue;
        }
        entries.last().files.append(file);
    }
    return entries;
}

QList<Entry> withinLimits(QList<Entry> entries, QList<Entry>* dropped)
{
    qint64 total = 0;
    for (const Entry& e : entries)
        total += e.bytes;
    while (!entries.isEmpty() && (entries.size() > maxEntries || total > maxBytes)) {
        total -= entries.first().bytes;
        if (dropped)
            dropped->append(entries.first());
        entries.removeFirst();
    }
    return entries;
}

int laterChangeOf(const QList<Entry>& entries, int index, const QString& path)
{
    for (int i = int(entries.size()) - 1; i > index; --i) {
        for (const File& f : entries[i].files) {
            if (f.path == path)
                return i;
        }
    }
    return -1;
}

} // namespace Journal
