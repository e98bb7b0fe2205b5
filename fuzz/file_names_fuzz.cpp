// Phone paths held as their bytes, for any name a directory can hold. The
// program's form gives back the very bytes; a file made under that name is
// found by the bytes helpers (exists, regular file, canonical path) and
// listed by its directory under exactly that name; a string that stands for
// no path (a NUL, a character above U+00FF) names nothing.
//
// Input: the name's bytes.

#include "fuzzing.h"

#include "shell/paths.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString name = Paths::fromBytes(bytes);
    const auto what = [&] { return "name " + Fuzz::show(bytes); };

    FUZZ_CHECK(name.size() == bytes.size(), what());
    if (bytes.contains('\0')) {
        FUZZ_CHECK(Paths::toBytes(name).isEmpty() && !Paths::exists(name), what());
        return 0;
    }
    FUZZ_CHECK(Paths::toBytes(name) == bytes, what());
    FUZZ_CHECK(Paths::toBytes(name + QChar(0x100)).isEmpty(), what());
    if (bytes.isEmpty() || bytes.contains('/') || bytes == "." || bytes == ".." || bytes.size() > 255)
        return 0;

    static const QString dir = [] {
        const QString d = Fuzz::scratchDir() + QStringLiteral("/names");
        QDir().mkpath(d);
        return Paths::canonical(Paths::fromQt(d));
    }();
    const QString path = dir + u'/' + name;
    const QByteArray pathBytes = Paths::toBytes(path);
    const int fd = ::open(pathBytes.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    FUZZ_CHECK(fd >= 0, what() + "\ncannot create it");
    ::close(fd);

    QStringList folders, files;
    const bool listed = Paths::listDirectory(dir, &folders, &files);
    const bool found = Paths::exists(path) && Paths::isRegularFile(path) && !Paths::isDirectory(path);
    const QString canonical = Paths::canonical(path);
    ::unlink(pathBytes.constData());

    FUZZ_CHECK(listed && files == QStringList{name}, what());
    FUZZ_CHECK(found && canonical == path, what() + "\ncanonical " + Fuzz::show(canonical));
    return 0;
}
