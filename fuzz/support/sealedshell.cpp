#include "sealedshell.h"

#include <QByteArray>
#include <QDir>
#include <QList>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Fuzz {

namespace {

const char insideVariable[] = "VARDEL_FUZZ_IN_SANDBOX";
const char writableVariable[] = "VARDEL_FUZZ_WRITABLE";
const char newRoot[] = "/mnt";          // an empty directory of the sandbox's root
const char scratch[] = "/scratch";

[[noreturn]] void die(const char* what, int error)
{
    std::fprintf(stderr, "fuzz: cannot seal the shell's root: %s: %s\n", what, std::strerror(error));
    std::_Exit(2);
}

void check(bool ok, const char* what)
{
    if (!ok)
        die(what, errno);
}

// ------------------------------------------------------------ outside --

pid_t child = -1;

void forward(int signal)
{
    if (child > 0)
        ::kill(child, signal);
}

[[noreturn]] void rerunInSandbox(int argc, char** argv)
{
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) {
        std::perror("fuzz: /proc/self/exe");
        std::_Exit(2);
    }
    exe[n] = '\0';
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) {
        std::perror("fuzz: getcwd");
        std::_Exit(2);
    }
    QByteArray phone = QDir::tempPath().toLocal8Bit() + "/vardel-fuzz-phone-XXXXXX";
    if (!::mkdtemp(phone.data())) {
        std::perror("fuzz: mkdtemp");
        std::_Exit(2);
    }

    // Inside, the command starts in the phone's /usr/SYSqtapp: go back to
    // where this run was started, so relative corpus paths still hold.
    // The sandbox keeps the host read-only but for the phone tree: the
    // folders the sealed root will keep writable must be writable there too.
    QList<QByteArray> args{VARDEL_SOURCE_DIR "/scripts/phone-sandbox"};
    for (const QByteArray& path : QByteArray(::getenv(writableVariable)).split(':')) {
        if (path.startsWith('/'))
            args << "--writable" << path;
    }
    args << phone << "--" << "/bin/sh" << "-c" << "cd \"$0\" && exec \"$@\"" << cwd << exe;
    for (int i = 1; i < argc; ++i)
        args << argv[i];
    std::vector<char*> list;
    for (QByteArray& a : args)
        list.push_back(a.data());
    list.push_back(nullptr);

    ::setenv(insideVariable, "1", 1);
    std::fflush(nullptr);
    child = ::fork();
    if (child < 0) {
        std::perror("fuzz: fork");
        std::_Exit(2);
    }
    if (child == 0) {
        // Ends with this process, however that ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        ::execve(list[0], list.data(), environ);
        std::perror("fuzz: cannot start scripts/phone-sandbox");
        std::_Exit(127);
    }
    // Ctrl-C reaches the fuzzer inside through the sandbox, which then ends
    // on its own; a TERM sent here alone is passed on.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, forward);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    QDir(QString::fromLocal8Bit(phone)).removeRecursively();
    std::fflush(nullptr);
    std::_Exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

// ------------------------------------------------------------- inside --

void makePath(const QByteArray& path)
{
    for (qsizetype slash = path.indexOf('/', 1); ; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (::mkdir(part.constData(), 0755) != 0 && errno != EEXIST)
            die(part.constData(), errno);
        if (slash < 0)
            return;
    }
}

void setAttributes(const QByteArray& path, std::uint64_t set, bool recursive)
{
    struct mount_attr attr{};
    attr.attr_set = set;
    check(::mount_setattr(AT_FDCWD, path.constData(), recursive ? AT_RECURSIVE : 0, &attr,
                          sizeof attr) == 0,
          path.constData());
}

void mountTmpfs(const QByteArray& at, const char* size)
{
    makePath(at);
    const QByteArray options = QByteArray("mode=755,size=") + size;
    check(::mount("vardel-sealed", at.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                  options.constData()) == 0,
          at.constData());
}

// The host's path seen at the same path below the new root.
void bindReadOnly(const QByteArray& path)
{
    const QByteArray target = QByteArray(newRoot) + path;
    makePath(target);
    check(::mount(path.constData(), target.constData(), nullptr, MS_BIND | MS_REC, nullptr) == 0,
          path.constData());
    setAttributes(target, MOUNT_ATTR_RDONLY | MOUNT_ATTR_NOSUID | MOUNT_ATTR_NODEV, true);
}

void bindWritable(const QByteArray& path)
{
    const QByteArray target = QByteArray(newRoot) + path;
    makePath(target);
    check(::mount(path.constData(), target.constData(), nullptr, MS_BIND, nullptr) == 0,
          path.constData());
    setAttributes(target, MOUNT_ATTR_NOSUID | MOUNT_ATTR_NODEV, false);
}

// /bin, /lib and the like: the same link, or the directory read-only.
void copySystemEntry(const char* name)
{
    struct stat st;
    if (::lstat(name, &st) != 0)
        return;
    const QByteArray target = QByteArray(newRoot) + name;
    if (S_ISLNK(st.st_mode)) {
        char link[PATH_MAX];
        const ssize_t n = ::readlink(name, link, sizeof link - 1);
        check(n > 0, name);
        link[n] = '\0';
        check(::symlink(link, target.constData()) == 0, name);
    } else if (S_ISDIR(st.st_mode)) {
        bindReadOnly(name);
    }
}

// /dev holding /dev/null alone, which a shell needs and cannot harm with.
void makeDev()
{
    const QByteArray dev = QByteArray(newRoot) + "/dev";
    mountTmpfs(dev, "64k");
    const QByteArray null = dev + "/null";
    const int fd = ::open(null.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    check(fd >= 0, "/dev/null");
    ::close(fd);
    check(::mount("/dev/null", null.constData(), nullptr, MS_BIND, nullptr) == 0, "/dev/null");
    setAttributes(null, MOUNT_ATTR_RDONLY | MOUNT_ATTR_NOSUID | MOUNT_ATTR_NOEXEC, false);
    setAttributes(dev, MOUNT_ATTR_RDONLY, false);
}

void dropCapabilities()
{
    for (int cap = 0; cap <= 63; ++cap) {
        if (::prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0 && errno != EINVAL)
            die("dropping a capability", errno);
    }
    ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    struct __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    struct __user_cap_data_struct data[2]{};
    check(::syscall(SYS_capset, &header, data) == 0, "capset");
    check(::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0, "no new privileges");
}

void seal()
{
    char cwd[PATH_MAX];
    check(::getcwd(cwd, sizeof cwd) != nullptr, "getcwd");

    check(::unshare(CLONE_NEWNS | CLONE_NEWNET | CLONE_NEWIPC | CLONE_NEWUTS) == 0, "unshare");
    check(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0, "private mounts");

    mountTmpfs(newRoot, "1m");
    bindReadOnly("/usr");
    for (const char* name : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"})
        copySystemEntry(name);
    bindReadOnly("/proc");
    makeDev();
    mountTmpfs(QByteArray(newRoot) + "/tmp", "16m");
    mountTmpfs(QByteArray(newRoot) + scratch, "64m");
    for (const QByteArray& path : {QByteArray(VARDEL_SOURCE_DIR), QByteArray(VARDEL_BUILD_DIR),
                                   QByteArray(cwd)})
        bindReadOnly(path);
    for (const QByteArray& path : QByteArray(::getenv(writableVariable)).split(':')) {
        if (path.startsWith('/'))
            bindWritable(path);
    }
    setAttributes(newRoot, MOUNT_ATTR_RDONLY, false);

    // The new root becomes "/" and the old one is let go of entirely.
    check(::chdir(newRoot) == 0, newRoot);
    check(::syscall(SYS_pivot_root, ".", ".") == 0, "pivot_root");
    check(::umount2(".", MNT_DETACH) == 0, "detaching the old root");
    if (::chdir(cwd) != 0)
        check(::chdir("/") == 0, "/");

    dropCapabilities();
}

} // namespace

QString enterSealedShell(int* argc, char*** argv)
{
    if (!::getenv(insideVariable))
        rerunInSandbox(*argc, *argv);
    static const bool sealed = (seal(), true);
    (void)sealed;
    return QString::fromLatin1(scratch);
}

} // namespace Fuzz
