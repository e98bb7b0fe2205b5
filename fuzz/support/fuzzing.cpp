#include "fuzzing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace Fuzz {

namespace {

void appendEscaped(std::string& out, unsigned c)
{
    static const char hex[] = "0123456789abcdef";
    switch (c) {
    case '\n': out += "\\n"; return;
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    default:
        break;
    }
    if (c >= 0x20 && c < 0x7f) {
        out += char(c);
    } else if (c <= 0xff) {
        out += "\\x";
        out += hex[c >> 4];
        out += hex[c & 15];
    } else {
        out += "\\u{";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += hex[(c >> shift) & 15];
        out += '}';
    }
}

} // namespace

void fail(const char* file, int line, const char* condition, const std::string& details)
{
    std::fprintf(stderr, "\n==== property failed at %s:%d\n  %s\n%s\n", file, line, condition,
                 details.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string show(const QByteArray& bytes)
{
    std::string out = "\"";
    for (const char c : bytes)
        appendEscaped(out, static_cast<unsigned char>(c));
    return out + "\" (" + std::to_string(bytes.size()) + " bytes)";
}

std::string show(const QString& text)
{
    std::string out = "\"";
    for (const QChar c : text)
        appendEscaped(out, c.unicode());
    return out + "\" (" + std::to_string(text.size()) + " characters)";
}

QList<QByteArray> split(const std::uint8_t* data, std::size_t size, char separator, int maxParts)
{
    QList<QByteArray> parts;
    const char* p = reinterpret_cast<const char*>(data);
    const char* end = p + size;
    while (parts.size() + 1 < maxParts && p != end) {
        const char* cut = static_cast<const char*>(std::memchr(p, separator, size_t(end - p)));
        if (!cut)
            break;
        parts << QByteArray(p, cut - p);
        p = cut + 1;
    }
    parts << QByteArray(p, end - p);
    while (parts.size() < maxParts)
        parts << QByteArray();
    return parts;
}

QString scratchDir()
{
    static std::unique_ptr<QTemporaryDir> dir = [] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
        auto made = std::make_unique<QTemporaryDir>(base + QStringLiteral("/vardel-fuzz-XXXXXX"));
        if (!made->isValid()) {
            std::fprintf(stderr, "fuzz: cannot make a scratch directory in %s\n", qPrintable(base));
            std::exit(2);
        }
        return made;
    }();
    return dir->path();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        p += n;
        left -= n;
    }
    return ::close(fd) == 0;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArrayLiteral("<missing>");
}

void runOneOf(const std::uint8_t* data, std::size_t size,
              std::initializer_list<std::function<void(const QByteArray&)>> checks)
{
    if (size == 0 || checks.size() == 0)
        return;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    checks.begin()[data[0] % checks.size()](rest);
}

} // namespace Fuzz
