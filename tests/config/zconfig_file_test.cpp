// ZConfig on real files: round trips, what survives a write, and what a
// failed write leaves behind.

#include <ZConfig.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <string>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList entriesOf(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The names in a directory, as bytes; Qt's listing cannot show a name that
// is not UTF-8.
QList<QByteArray> namesIn(const QByteArray& dir)
{
    QList<QByteArray> names;
    if (DIR* d = ::opendir(dir.constData())) {
        while (const dirent* e = ::readdir(d)) {
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs body in a child process and returns its failure text ("" = passed).
std::string inChild(const std::function<std::string()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string failure = body();
        if (::write(fds[1], failure.data(), failure.size()) < 0)
            ::_exit(2);
        ::_exit(failure.empty() ? 0 : 1);
    }
    ::close(fds[1]);
    std::string out;
    char buf[256];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        return "child did not finish";
    return WEXITSTATUS(status) == 0 ? std::string() : out.empty() ? "child failed" : out;
}

// A private mount namespace: as root directly, otherwise through a user
// namespace that maps the caller to root.
bool enterMountNamespace()
{
    if (::geteuid() == 0)
        return ::unshare(CLONE_NEWNS) == 0
            && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return false;
    const auto put = [](const char* file, const std::string& text) {
        QFile f(file);
        return f.open(QIODevice::WriteOnly) && f.write(text.c_str()) == qint64(text.size());
    };
    return put("/proc/self/setgroups", "deny")
        && put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1")
        && put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")
        && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

} // namespace

TEST(ZConfigFile, RoundTripsThroughFreshObjects)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Vardel.cfg");

    ZConfig missing(path, false);
    EXPECT_EQ(missing.readEntry("Vardel", "Language", "def"), "def");
    EXPECT_EQ(missing.readNumEntry("Vardel", "n", 5), 5);

    ZConfig w(path, true);
    ASSERT_TRUE(w.writeEntry("Vardel", "Language", QString("es.lng")));
    ASSERT_TRUE(w.writeEntry("Vardel", "Alarm", -15));
    ASSERT_TRUE(w.writeEntry("Vardel", "Cron", "YES"));
    ASSERT_TRUE(w.writeEntry("Vardel", "NUMBERS", QString("600111222 ;; 600333444")));
    EXPECT_EQ(w.readEntry("Vardel", "Cron"), "YES"); // its own write

    EXPECT_EQ(readFile(path), "[Vardel]\nLanguage = es.lng\nAlarm = -15\nCron = YES\n"
                              "NUMBERS = 600111222 ;; 600333444\n");
    ZConfig r(path, false);
    EXPECT_EQ(r.readEntry("Vardel", "Language"), "es.lng");
    EXPECT_EQ(r.readNumEntry("Vardel", "Alarm", 5), -15);
    EXPECT_EQ(r.readNumEntry("Vardel", "Cron", 5), 5);
    EXPECT_EQ(r.readListEntry("Vardel", "NUMBERS", ' '),
              QStringList({"600111222", ";;", "600333444"}));
    EXPECT_EQ(r.readListEntry("Vardel", "NUMBERS", ';'),
              QStringList({"600111222 ", " 600333444"}));
    EXPECT_TRUE(r.readListEntry("Vardel", "none", ' ').isEmpty());

    // A write made through another object after this one was opened is kept.
    ASSERT_TRUE(ZConfig(path, true).writeEntry("Vardel", "Font", "NO"));
    ASSERT_TRUE(w.writeEntry("Vardel", "Cron", "NO"));
    ZConfig again(path, false);
    EXPECT_EQ(again.readEntry("Vardel", "Font"), "NO");
    EXPECT_EQ(again.readEntry("Vardel", "Cron"), "NO");
}

TEST(ZConfigFile, EveryByteIsOneCharacter)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lang");
    QByteArray bytes = "<";
    for (int b = 1; b < 256; ++b) {
        if (b != '\n' && b != '\r')
            bytes.append(char(b));
    }
    bytes.append('>');
    ASSERT_TRUE(writeFile(path, "[VARDEL]\nTEXT = " + bytes + "\n"));

    const QString text = ZConfig(path, false).readEntry("VARDEL", "TEXT");
    ASSERT_EQ(text.size(), bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(text.at(i).unicode(), uchar(bytes.at(i))) << i;

    ZConfig w(path, true);
    ASSERT_TRUE(w.writeEntry("VARDEL", "COPY", text));
    EXPECT_EQ(readFile(path), "[VARDEL]\nTEXT = " + bytes + "\nCOPY = " + bytes + "\n");

    // Characters beyond Latin-1, line breaks and bad names are refused, and
    // the file stays as it was.
    const QByteArray before = readFile(path);
    EXPECT_FALSE(w.writeEntry("VARDEL", "X", QString::fromUtf8("\xe2\x82\xac")));
    EXPECT_FALSE(w.writeEntry("VARDEL", "X", "a\nb"));
    EXPECT_FALSE(w.writeEntry("VARDEL", "X", " padded"));
    EXPECT_FALSE(w.writeEntry("VARDEL", "a=b", "1"));
    EXPECT_FALSE(w.writeEntry("VAR\nDEL", "X", "1"));
    EXPECT_EQ(readFile(path), before);
}

TEST(ZConfigFile, MissingDirectoryIsNotCreated)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ZConfig(dir.filePath("no/such.cfg"), true).writeEntry("A", "k", "v"));
    EXPECT_TRUE(entriesOf(dir.path()).isEmpty());
}

TEST(ZConfigFile, UnreadableFileIsNeverOverwritten)
{
    // Under /tmp, whatever TMPDIR says: an ordinary user must reach it.
    QTemporaryDir dir("/tmp/zconfig-test-XXXXXX");
    const QString name = dir.filePath("cfg");

    // Something that is not a regular file at the path.
    ASSERT_TRUE(QDir().mkdir(name));
    EXPECT_FALSE(ZConfig(name, true).writeEntry("A", "k", "v"));
    EXPECT_TRUE(QFileInfo(name).isDir());
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"cfg"}));

    // A file the writer has no right to read, in a directory it may write.
    // Root reads everything, so the check runs as an ordinary user.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
    const QString sub = dir.filePath("user");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString path = sub + "/secret.cfg";
    ASSERT_TRUE(writeFile(path, "[A]\nk = old\n"));
    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
    ASSERT_EQ(::chown(QFile::encodeName(sub).constData(), user, user), 0);
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), user, user), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);

    const std::string failure = inChild([&]() -> std::string {
        if (::geteuid() == 0 && (::setgid(user) != 0 || ::setuid(user) != 0))
            return "cannot drop to an ordinary user";
        if (::access(QFile::encodeName(sub).constData(), W_OK | X_OK) != 0)
            return "the user cannot write the directory; the check would prove nothing";
        if (ZConfig(path, true).writeEntry("A", "k", "new"))
            return "the write claimed success";
        return {};
    });
    EXPECT_EQ(failure, "");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(readFile(path), "[A]\nk = old\n");
    EXPECT_EQ(entriesOf(sub), QStringList({"secret.cfg"}));
}

TEST(ZConfigFile, WriteProtectedFileIsRefusedAndKept)
{
    // The directory lets the user replace the file by a rename; only the
    // file's own mode forbids it. Root may write anything, so the check runs
    // as an ordinary user.
    QTemporaryDir dir("/tmp/zconfig-test-XXXXXX");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
    const QString sub = dir.filePath("user");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString path = sub + "/ezx_system.cfg";
    const QString link = sub + "/link.cfg";
    ASSERT_TRUE(writeFile(path, "[SYS]\nAlarm = 5\n"));
    ASSERT_TRUE(QFile::link(path, link));
    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
    ASSERT_EQ(::chown(QFile::encodeName(sub).constData(), user, user), 0);
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), user, user), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);

    const std::string failure = inChild([&]() -> std::string {
        if (::geteuid() == 0 && (::setgid(user) != 0 || ::setuid(user) != 0))
            return "cannot drop to an ordinary user";
        if (::access(QFile::encodeName(sub).constData(), W_OK | X_OK) != 0)
            return "the user cannot write the directory; the check would prove nothing";
        for (const QString& name : {path, link}) {
            if (ZConfig(name, true).writeEntry("SYS", "Alarm", "10"))
                return "a changed value was written through " + name.toStdString();
            if (ZConfig(name, true).writeEntry("SYS", "New", "1"))
                return "a new key was written through " + name.toStdString();
        }
        // Nothing to change: the value is stored already.
        if (!ZConfig(path, true).writeEntry("SYS", "Alarm", "5"))
            return "the value already stored was refused";
        return {};
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(readFile(path), "[SYS]\nAlarm = 5\n");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    EXPECT_EQ(entriesOf(sub), QStringList({"ezx_system.cfg", "link.cfg"}));
}

TEST(ZConfigFile, PathsAreTheFileNamesBytes)
{
    QTemporaryDir dir;
    const QByteArray base = QFile::encodeName(dir.path());
    // "dé" in UTF-8, and the same name with the single Latin-1 byte, which
    // Qt's file classes cannot name at all.
    for (const QByteArray& name : {QByteArray("d\xc3\xa9"), QByteArray("d\xe9")}) {
        const QByteArray sub = base + "/" + name;
        ASSERT_EQ(::mkdir(sub.constData(), 0755), 0);
        const QByteArray file = sub + "/Vardel.cfg";
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray old = "[Vardel]\nLanguage = en.lng\n";
        ASSERT_EQ(::write(fd, old.constData(), size_t(old.size())), old.size());
        ::close(fd);

        const QString path = QString::fromLatin1(file);
        EXPECT_EQ(ZConfig(path, false).readEntry("Vardel", "Language"), "en.lng") << name.toHex().constData();
        ASSERT_TRUE(ZConfig(path, true).writeEntry("Vardel", "Language", "es.lng"));

        QByteArray content(100, 0);
        const int in = ::open(file.constData(), O_RDONLY);
        ASSERT_GE(in, 0);
        content.resize(::read(in, content.data(), content.size()));
        ::close(in);
        EXPECT_EQ(content, "[Vardel]\nLanguage = es.lng\n");
    }
    // Nothing was written under some other name.
    EXPECT_EQ(namesIn(base), (QList<QByteArray>{"d\xc3\xa9", "d\xe9"}));

    // A character no byte stands for names no file: not "?", not anything.
    const QString beyond = dir.path() + QString::fromUtf8("/\u0416.cfg");
    ASSERT_TRUE(writeFile(dir.filePath("?.cfg"), "[A]\nk = question mark\n"));
    EXPECT_EQ(ZConfig(beyond, false).readEntry("A", "k", "none"), "none");
    EXPECT_FALSE(ZConfig(beyond, true).writeEntry("A", "k", "v"));
    EXPECT_EQ(readFile(dir.filePath("?.cfg")), "[A]\nk = question mark\n");
    EXPECT_EQ(namesIn(base), (QList<QByteArray>{"?.cfg", "d\xc3\xa9", "d\xe9"}));

    // QTemporaryDir cannot name the Latin-1 one to remove it.
    ::unlink(base + "/d\xe9/Vardel.cfg");
    ::rmdir(base + "/d\xe9");
}

TEST(ZConfigFile, KeepsOwnerModeAndLinksAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ezx_flexbit.cfg");
    const QByteArray native = QFile::encodeName(path);
    ASSERT_TRUE(writeFile(path, "[SYS_FLEX_TABLE]\n3 = 12\n"));
    ASSERT_EQ(::chmod(native.constData(), 0640), 0);
    // Only root can give the file a foreign owner to keep.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(native.constData(), 1234, 5678), 0);
    }
    struct stat before;
    ASSERT_EQ(::stat(native.constData(), &before), 0);

    const QString link = dir.filePath("link.cfg");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(ZConfig(link, true).writeEntry("SYS_FLEX_TABLE", "3", "13"));

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(path), "[SYS_FLEX_TABLE]\n3 = 13\n");
    struct stat after;
    ASSERT_EQ(::stat(native.constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // replaced, not rewritten in place
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"ezx_flexbit.cfg", "link.cfg"}));
}

TEST(ZConfigFile, WhatAKilledWriteLeftIsTakenOverNeverFollowed)
{
    // A write killed before its rename leaves its scratch file; the next
    // write takes it over, and never writes through a link put there.
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString path = dir.filePath("UserMenuTree");
    const QString scratch = dir.filePath(".UserMenuTree.writing");
    const QString victim = elsewhere.filePath("victim");
    const QString sameFolderVictim = dir.filePath("victim");
    ASSERT_TRUE(writeFile(path, "[Folder]\nItems = a;\n"));
    ASSERT_TRUE(writeFile(victim, "keep"));
    ASSERT_TRUE(writeFile(sameFolderVictim, "keep"));
    enum Left { CutFile, SymbolicLink, HardLink };
    for (const Left left : {CutFile, SymbolicLink, HardLink}) {
        SCOPED_TRACE(int(left));
        QFile::remove(scratch);
        const QByteArray from = QFile::encodeName(sameFolderVictim), to = QFile::encodeName(scratch);
        ASSERT_TRUE(left == CutFile        ? writeFile(scratch, "[Folder]\nItems = cut and longer than the new text")
                    : left == SymbolicLink ? QFile::link(victim, scratch)
                                           : ::link(from.constData(), to.constData()) == 0);
        const QString items = QString::number(int(left)) + ';';
        ASSERT_TRUE(ZConfig(path, true).writeEntry("Folder", "Items", items));
        EXPECT_EQ(readFile(path), "[Folder]\nItems = " + items.toLatin1() + "\n");
        EXPECT_EQ(readFile(victim), "keep");
        EXPECT_EQ(readFile(sameFolderVictim), "keep");
        EXPECT_EQ(entriesOf(dir.path()), QStringList({"UserMenuTree", "victim"}));
    }

    // A write of the same file under way holds its scratch file: this one
    // fails rather than mix with it, and the file stays as it was.
    const int busy = ::open(QFile::encodeName(scratch).constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(busy, 0);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    EXPECT_FALSE(ZConfig(path, true).writeEntry("Folder", "Items", "busy;"));
    EXPECT_EQ(readFile(path), "[Folder]\nItems = 2;\n");
    ::close(busy);
}

TEST(ZConfigFile, FullDiskOrReadOnlyFileSystemLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    const QString path = dir.filePath("UserMenuTree");

    const std::string failure = inChild([&]() -> std::string {
        if (!enterMountNamespace())
            return ::geteuid() == 0 ? "no mount namespace as root" : "SKIP";
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            return "cannot mount a tmpfs";

        QByteArray old = "[2a58c0d6]\n";
        while (old.size() < 20000)
            old += "Items = 20261207051100;20261207051101;20261207051102;\n";
        if (!writeFile(path, old))
            return "cannot write the old file";
        // Fill what is left of the file system.
        {
            QFile filler(dir.filePath("filler"));
            if (!filler.open(QIODevice::WriteOnly))
                return "cannot create the filler";
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {}
        }
        if (ZConfig(path, true).writeEntry("2a58c0d6", "Items", "new;"))
            return "write on a full disk claimed success";
        if (readFile(path) != old)
            return "full disk: the old file changed";
        const QStringList left = entriesOf(dir.path());
        if (left != QStringList({"filler", "UserMenuTree"}))
            return "full disk: left behind " + left.join(' ').toStdString();

        QFile::remove(dir.filePath("filler"));
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") != 0)
            return "cannot remount read-only";
        if (ZConfig(path, true).writeEntry("2a58c0d6", "Items", "new;"))
            return "write on a read-only file system claimed success";
        if (readFile(path) != old)
            return "read-only: the old file changed";
        return {};
    });
    if (failure == "SKIP")
        GTEST_SKIP() << "needs root or user namespaces to mount a small tmpfs";
    EXPECT_EQ(failure, "");
}

// A section's keys are split only when one of them is first asked for. The
// answers are those of the whole file, in any order of asking, and stay so
// after a write through the same object.
TEST(ZConfigFile, SectionsReadOnFirstUseAnswerAsTheWholeFile)
{
    const QString none = QStringLiteral("<none>");
    QByteArray longSection = "[L]\n";
    for (int i = 0; i < 20; ++i)
        longSection += "k" + QByteArray::number(i) + " = " + QByteArray::number(i) + "\n";
    longSection += "k3 = late\nk19 = late\n";
    const struct {
        const char* what;
        QByteArray file;
        QList<std::tuple<QByteArray, QByteArray, QString>> asks; // section, key, answer
    } cases[] = {
        {"repeated header", "[A]\na = 1\n[B]\nb = 2\n[A]\na = 3\nc = 4\n",
         {{"A", "a", "1"}, {"A", "c", none}, {"B", "b", "2"}, {"B", "a", none}}},
        {"CRLF", "[A]\r\na = 1\r\n\r\n[B]\r\nb =  x y \r\n",
         {{"A", "a", "1"}, {"B", "b", "x y"}, {"A", "b", none}}},
        {"NUL in names and values", QByteArray("[A") + '\0' + "B]\nk = v" + '\0' + "w\n[A]\nk = z\n",
         {{QByteArray("A\0B", 3), "k", QString::fromLatin1("v\0w", 3)}, {"A", "k", "z"}, {"A", QByteArray("k\0", 2), none}}},
        {"a long section keeps the first of each key", longSection,
         {{"L", "k3", "3"}, {"L", "k19", "19"}, {"L", "k0", "0"}, {"L", "k20", none}}},
        {"unnamed section and its repeat", "top = 1\n[]\ntop = 2\nx = 3\n[S]\n",
         {{"", "top", "1"}, {"", "x", none}, {"S", "top", none}}},
        {"blanks around a header, no last line end", "  [ S ]  \nk=v",
         {{"S", "k", "v"}, {" S ", "k", none}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("file.cfg");
        ASSERT_TRUE(writeFile(path, c.file));
        ZConfig config(path, true);
        const auto askAll = [&] {
            // Backwards, then forwards: a section split by an earlier
            // question answers later ones alike.
            for (auto it = c.asks.crbegin(); it != c.asks.crend(); ++it) {
                const auto& [section, key, answer] = *it;
                EXPECT_EQ(config.readEntry(QString::fromLatin1(section), QString::fromLatin1(key), none), answer)
                    << section.constData() << " / " << key.constData();
            }
            for (const auto& [section, key, answer] : c.asks)
                EXPECT_EQ(config.readEntry(QString::fromLatin1(section), QString::fromLatin1(key), none), answer);
        };
        askAll();
        const QString section = QString::fromLatin1(std::get<0>(c.asks.first()));
        ASSERT_TRUE(config.writeEntry(section, "added", "new"));
        askAll();
        EXPECT_EQ(config.readEntry(section, "added", none), "new");
        EXPECT_EQ(ZConfig(path, false).readEntry(section, "added", none), "new");
    }
}

namespace {

// How many files were renamed into dir while run ran.
int replacementsDuring(const QString& dir, const std::function<void()>& run)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || ::inotify_add_watch(fd, QFile::encodeName(dir).constData(), IN_MOVED_TO) < 0)
        return -1;
    run();
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
            ++count;
    }
    ::close(fd);
    return count;
}

} // namespace

// Several keys written as one change: one replacement of the file, bytes
// as after the same writes one by one; any entry that cannot be stored
// refuses them all and leaves the file as it was, byte for byte.
TEST(ZConfigFile, SeveralEntriesAreOneReplacementOrNone)
{
    const QByteArray file = "; player\r\n[MediaControlItem]\r\nEqualizerFeature = 0\r\nEqSettingRock = 2\r\n# end\r\n";
    using Entries = QList<ZConfig::Entry>;
    const struct {
        const char* what;
        Entries entries;
        bool written;
        QByteArray after; // empty: the file as it was
        int replacements;
    } cases[] = {
        {"keys old and new, and a new section",
         {{"MediaControlItem", "EqualizerFeature", "1"}, {"MediaControlItem", "EqSettingPop", "1"},
          {"MediaControlItem", "EqSettingRock", "0"}, {"Other", "k", "v"}, {"MediaControlItem", "EqSettingPop", "0"}},
         true,
         "; player\r\n[MediaControlItem]\r\nEqualizerFeature = 1\r\nEqSettingRock = 0\r\nEqSettingPop = 0\r\n"
         "# end\r\n[Other]\r\nk = v\r\n",
         1},
        {"values already stored", {{"MediaControlItem", "EqualizerFeature", "0"}}, true, "", 0},
        {"a value beyond Latin-1 last",
         {{"MediaControlItem", "EqualizerFeature", "1"}, {"MediaControlItem", "x", QString::fromUtf8("\u20ac")}},
         false, "", 0},
        {"a line break in a value", {{"MediaControlItem", "EqualizerFeature", "1"}, {"MediaControlItem", "x", "a\nb"}},
         false, "", 0},
        {"a bad key first", {{"MediaControlItem", "a=b", "1"}, {"MediaControlItem", "EqualizerFeature", "1"}},
         false, "", 0},
        {"a bad section", {{"MediaControlItem", "EqualizerFeature", "1"}, {" padded", "k", "1"}}, false, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("ezx_mp.cfg");
        ASSERT_TRUE(writeFile(path, file));
        ZConfig config(path, true);
        bool written = !c.written;
        EXPECT_EQ(replacementsDuring(dir.path(), [&] { written = config.writeEntries(c.entries); }), c.replacements);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(readFile(path), c.after.isEmpty() ? file : c.after);
        EXPECT_EQ(entriesOf(dir.path()), QStringList({"ezx_mp.cfg"}));
    }
    // A refused change creates no file either.
    QTemporaryDir dir;
    EXPECT_FALSE(ZConfig(dir.filePath("new.cfg"), true).writeEntries({{"S", "a", "1"}, {"S", "b", " x"}}));
    EXPECT_TRUE(entriesOf(dir.path()).isEmpty());
}
