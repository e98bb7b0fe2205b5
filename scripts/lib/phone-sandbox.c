/* The phone sandbox in one process: scripts/phone-sandbox compiles this file
 * once (cached by the hash of its text) and runs it as
 *
 *   helper BUSYBOX CACHE_DIR REPO [OPTIONS] DIR -- COMMAND [ARG ...]
 *
 * See docs/sandbox.md for what the command sees. In short: private mount and
 * PID namespaces (inside a user namespace for an ordinary user); a read-only
 * root on a tmpfs holding busybox (prepared once per busybox binary in
 * CACHE_DIR), the phone tree, read-only host system folders and fresh /tmp,
 * /var and /dev; writable on the host only the tree, the files named by
 * EZX_* variables and --writable paths. The first process of the PID
 * namespace builds all that, starts the command in a mount namespace of its
 * own pivoted into the new root, and ends everything left inside when the
 * command ends. */
#define _GNU_SOURCE
#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <linux/capability.h>
#include <sched.h>
#include <signal.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef MOUNT_ATTR_RDONLY
#define MOUNT_ATTR_RDONLY 0x00000001
#define MOUNT_ATTR_NOSUID 0x00000002
#define MOUNT_ATTR_NODEV 0x00000004
struct mount_attr {
    uint64_t attr_set, attr_clr, propagation, userns_fd;
};
#endif
#ifndef AT_RECURSIVE
#define AT_RECURSIVE 0x8000
#endif
#ifndef SYS_mount_setattr
#define SYS_mount_setattr 442
#endif

static const char prog[] = "phone-sandbox";

static void fail(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    fprintf(stderr, "%s: ", prog);
    vfprintf(stderr, fmt, ap);
    fputc('\n', stderr);
    va_end(ap);
    _exit(2);
}

static void usage(void)
{
    fputs("usage: phone-sandbox [OPTIONS] DIR -- COMMAND [ARG ...]\n"
          "  --no-card          no memory card: /mmc/mmca1 does not exist\n"
          "  --brenik           Brenik firmware: /usr/data_resource and /usr/language/fonts are writable\n"
          "  --ro-card          the card is mounted read-only\n"
          "  --card-free PAGES  the card is a size-limited tmpfs with exactly PAGES free 4 KiB pages\n"
          "  --phone-free PAGES the same for phone memory (/ezxlocal)\n"
          "  --drop-dac         the command lacks CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH and CAP_FOWNER\n"
          "  --writable PATH    also keep this host file or folder writable (repeatable)\n",
          stderr);
    _exit(2);
}

static char *join(const char *a, const char *b)
{
    char *s;
    if (asprintf(&s, "%s%s", a, b) < 0)
        fail("out of memory");
    return s;
}

/* ------------------------------------------------------------ options -- */

static int card = 1, brenik = 0, roCard = 0, dropDac = 0;
static long cardFree = -1, phoneFree = -1;
static char *dir;              /* the phone tree, resolved */
static char **writable;        /* --writable paths, resolved */
static int nWritable;
static char **command;

static long pages(const char *opt, const char *value)
{
    char *end;
    errno = 0;
    const long n = value ? strtol(value, &end, 10) : -1;
    if (!value || errno || *end || end == value || n < 0 || n > (1L << 30))
        fail("%s needs a number of free pages (0 to 2^30)", opt);
    return n;
}

static void parse(int argc, char **argv)
{
    static char *defaultCommand[] = {"sh", NULL};
    const char *tree = NULL;
    writable = calloc((size_t)argc + 1, sizeof *writable);
    int i = 0;
    for (; i < argc; ++i) {
        const char *a = argv[i];
        if (!strcmp(a, "--")) {
            ++i;
            break;
        } else if (!strcmp(a, "--no-card")) {
            card = 0;
        } else if (!strcmp(a, "--brenik")) {
            brenik = 1;
        } else if (!strcmp(a, "--ro-card")) {
            roCard = 1;
        } else if (!strcmp(a, "--drop-dac")) {
            dropDac = 1;
        } else if (!strcmp(a, "--card-free")) {
            cardFree = pages(a, i + 1 < argc ? argv[++i] : NULL);
        } else if (!strcmp(a, "--phone-free")) {
            phoneFree = pages(a, i + 1 < argc ? argv[++i] : NULL);
        } else if (!strcmp(a, "--writable")) {
            if (i + 1 >= argc)
                usage();
            char *p = realpath(argv[++i], NULL);
            if (!p)
                fail("--writable %s: %s", argv[i], strerror(errno));
            writable[nWritable++] = p;
        } else if (!strcmp(a, "-h") || !strcmp(a, "--help")) {
            usage();
        } else if (a[0] == '-') {
            fprintf(stderr, "%s: unknown option %s\n", prog, a);
            usage();
        } else {
            if (tree)
                usage();
            tree = a;
        }
    }
    if (!tree)
        usage();
    command = i < argc ? argv + i : defaultCommand;
    if (!card && (roCard || cardFree >= 0))
        fail("--no-card leaves no card for --ro-card or --card-free");
    struct stat st;
    if (stat(tree, &st) != 0 || !S_ISDIR(st.st_mode))
        fail("phone tree '%s' is not a directory (make one with scripts/make-demo-phone)", tree);
    dir = realpath(tree, NULL);
    if (!dir)
        fail("%s: %s", tree, strerror(errno));
}

/* ---------------------------------------------------------- file work -- */

static void makePath(const char *path, mode_t mode)
{
    char *p = strdup(path);
    for (char *s = p + 1;; ++s) {
        if (*s == '/' || !*s) {
            const char c = *s;
            *s = '\0';
            if (mkdir(p, mode) != 0 && errno != EEXIST)
                fail("cannot create %s: %s", p, strerror(errno));
            *s = c;
            if (!c)
                break;
        }
    }
    free(p);
}

static void writeFile(const char *path, const char *text, mode_t mode)
{
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0 || write(fd, text, strlen(text)) != (ssize_t)strlen(text) || close(fd) != 0)
        fail("cannot write %s: %s", path, strerror(errno));
}

/* Runs a host program and waits for it; true when it succeeded. */
static int runProgram(char *const argv[])
{
    const pid_t pid = fork();
    if (pid < 0)
        fail("fork: %s", strerror(errno));
    if (pid == 0) {
        execvp(argv[0], argv);
        fprintf(stderr, "%s: cannot run %s: %s\n", prog, argv[0], strerror(errno));
        _exit(127);
    }
    int status;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return 0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

/* busybox and a link per applet, once per busybox binary, in the cache;
 * made in a folder of its own and renamed into place, so sandboxes that
 * start at once neither wait for nor see a half-made one. */
static char *prepareBusybox(const char *busybox, const char *cache)
{
    struct stat st;
    char *real = realpath(busybox, NULL);
    if (!real || stat(real, &st) != 0)
        fail("busybox %s: %s", busybox, strerror(errno));
    char *ready;
    if (asprintf(&ready, "%s/busybox-%llx-%llx-%llx-%llx", cache, (unsigned long long)st.st_dev,
                 (unsigned long long)st.st_ino, (unsigned long long)st.st_size,
                 (unsigned long long)st.st_mtime) < 0)
        fail("out of memory");
    if (access(ready, F_OK) == 0)
        return ready;

    char *work = join(cache, "/.busybox-XXXXXX");
    if (!mkdtemp(work))
        fail("cannot create a folder in %s: %s", cache, strerror(errno));
    chmod(work, 0755);
    char *copy = join(work, "/busybox");
    char *cp[] = {"cp", real, copy, NULL};
    if (!runProgram(cp))
        fail("cannot copy %s into %s", real, cache);
    chmod(copy, 0755);
    /* The applets' names, one a line, from the binary itself. */
    char *list = join(work, "/.list");
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(list, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || dup2(fd, 1) < 0)
            _exit(127);
        execl(copy, "busybox", "--list", (char *)NULL);
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status))
        fail("cannot list the applets of %s", real);
    FILE *f = fopen(list, "r");
    char name[256];
    while (f && fgets(name, sizeof name, f)) {
        name[strcspn(name, "\n")] = '\0';
        if (!*name || strchr(name, '/') || !strcmp(name, "busybox") || name[0] == '.')
            continue;
        char *link = join(work, "/");
        char *full = join(link, name);
        if (symlink("/usr/bin/busybox", full) != 0 && errno != EEXIST)
            fail("cannot link applet %s: %s", name, strerror(errno));
        free(link);
        free(full);
    }
    if (f)
        fclose(f);
    unlink(list);
    if (rename(work, ready) != 0) {
        /* Another sandbox was quicker: use its folder, drop ours. */
        char *rm[] = {"rm", "-rf", work, NULL};
        runProgram(rm);
        if (access(ready, F_OK) != 0)
            fail("cannot prepare busybox in %s: %s", cache, strerror(errno));
    }
    return ready;
}

/* ------------------------------------------------------------- mounts -- */

static char *root; /* where the phone's root is built, in the init's view */
static int rootless; /* an ordinary user, root of a user namespace */

static void setAttributes(const char *path, uint64_t set, int recursive)
{
    struct mount_attr attr = {0};
    attr.attr_set = set;
    if (syscall(SYS_mount_setattr, AT_FDCWD, path, recursive ? AT_RECURSIVE : 0, &attr,
                sizeof attr) != 0)
        fail("cannot make %s read-only: %s", path, strerror(errno));
}

/* Creates what a bind of SOURCE needs at TARGET: a folder or an empty file. */
static void makeTarget(const char *source, const char *target)
{
    struct stat st;
    if (stat(source, &st) != 0)
        fail("%s: %s", source, strerror(errno));
    if (lstat(target, &st) == 0)
        return;
    char *parent = strdup(target);
    *strrchr(parent, '/') = '\0';
    if (*parent)
        makePath(parent, 0755);
    free(parent);
    if (S_ISDIR(st.st_mode)) {
        if (mkdir(target, 0755) != 0 && errno != EEXIST)
            fail("cannot create %s: %s", target, strerror(errno));
    } else {
        const int fd = open(target, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            fail("cannot create %s: %s", target, strerror(errno));
        close(fd);
    }
}

/* Binds SOURCE at TARGET (below the root when TARGET starts with it),
 * read-only with READONLY, with every mount below it. */
static void bind(const char *source, const char *target, int readOnly)
{
    makeTarget(source, target);
    if (mount(source, target, NULL, MS_BIND | MS_REC, NULL) != 0)
        fail("cannot bind %s: %s", source, strerror(errno));
    if (readOnly)
        setAttributes(target, MOUNT_ATTR_RDONLY | MOUNT_ATTR_NOSUID | MOUNT_ATTR_NODEV, 1);
}

/* The host's PATH at the same path below the root. */
static void expose(const char *path, int readOnly)
{
    char *target = join(root, path);
    bind(path, target, readOnly);
    free(target);
}

static void mountTmpfs(const char *target, const char *options)
{
    makePath(target, 0755);
    if (mount("phone-sandbox", target, "tmpfs", MS_NOSUID | MS_NODEV, options) != 0)
        fail("cannot mount a tmpfs at %s: %s", target, strerror(errno));
}

static int under(const char *path, const char *folder)
{
    const size_t n = strlen(folder);
    return !strncmp(path, folder, n) && (path[n] == '/' || path[n] == '\0' || n == 1);
}

/* The top folder of an absolute path ("/work" of "/work/a/b"). */
static char *topOf(const char *path)
{
    const char *slash = strchr(path + 1, '/');
    return slash ? strndup(path, (size_t)(slash - path)) : strdup(path);
}

/* ---------------------------------------------------- host paths inside -- */

struct exposure {
    char *path;
    int readOnly;
};
static struct exposure exposures[256];
static int nExposures;

static void want(const char *path, int readOnly)
{
    for (int i = 0; i < nExposures; ++i) {
        if (!strcmp(exposures[i].path, path)) {
            exposures[i].readOnly &= readOnly;
            return;
        }
    }
    if (nExposures == (int)(sizeof exposures / sizeof *exposures))
        fail("too many host paths to show inside");
    exposures[nExposures].path = strdup(path);
    exposures[nExposures].readOnly = readOnly;
    ++nExposures;
}

/* Folders the sandbox builds itself: a host path in one of them is shown
 * alone, not with its whole top folder. */
static int builtTop(const char *top)
{
    static const char *const built[] = {"/tmp", "/var", "/dev", "/proc", "/usr", "/bin", "/sbin",
                                        "/lib", "/lib32", "/lib64", "/libx32", "/etc", "/sys",
                                        "/ezxlocal", "/mmc", "/", NULL};
    for (const char *const *b = built; *b; ++b)
        if (!strcmp(top, *b))
            return 1;
    return 0;
}

/* A host path the command needs to read: its whole top folder, read-only,
 * or the path alone where the sandbox builds that top folder. */
static void wantReadable(const char *path)
{
    if (!path || path[0] != '/')
        return;
    char *real = realpath(path, NULL);
    if (!real)
        return;
    char *top = topOf(real);
    if (!builtTop(top))
        want(top, 1);
    else if ((under(real, "/tmp") || under(real, "/var")) && strcmp(real, top) != 0)
        want(real, 1); /* never the host's /tmp or /var as a whole */
    free(top);
    free(real);
}

static int compareLength(const void *a, const void *b)
{
    const struct exposure *x = a, *y = b;
    if (x->readOnly != y->readOnly)
        return y->readOnly - x->readOnly; /* read-only ones first */
    return (int)strlen(x->path) - (int)strlen(y->path);
}


/* The socket of the system bus: the path of a unix:path= address in
 * DBUS_SYSTEM_BUS_ADDRESS (its first address, %-escapes decoded), else the
 * standard one. */
static char *systemBusSocket(void)
{
    const char *address = getenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (!address || strncmp(address, "unix:path=", 10) != 0)
        return strdup("/run/dbus/system_bus_socket");
    const char *from = address + 10;
    char *path = malloc(strlen(from) + 1), *to = path;
    for (; *from && *from != ',' && *from != ';'; ++from) {
        unsigned code;
        if (*from == '%' && isxdigit((unsigned char)from[1]) && isxdigit((unsigned char)from[2])
            && sscanf(from + 1, "%2x", &code) == 1) {
            *to++ = (char)code;
            from += 2;
        } else {
            *to++ = *from;
        }
    }
    *to = '\0';
    return path;
}

/* What of the host the command sees, besides the system folders: the top
 * folders holding the working directory, the repository, the command and
 * the tree, read-only; the tree, the files named by EZX_* variables and the
 * --writable paths, writable. */
static void collectExposures(const char *repo)
{
    extern char **environ;
    for (const char *const *top = (const char *const[]){"/home", "/root", "/run", NULL}; *top; ++top) {
        struct stat st;
        if (lstat(*top, &st) == 0 && S_ISDIR(st.st_mode))
            want(*top, 1);
    }
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd))
        wantReadable(cwd);
    wantReadable(repo);
    if (command[0][0] == '/') {
        char *folder = strdup(command[0]);
        *strrchr(folder, '/') = '\0';
        wantReadable(*folder ? folder : "/");
        free(folder);
    }
    wantReadable(getenv("XAUTHORITY"));
    wantReadable(dir);
    want(dir, 0);
    for (int i = 0; i < nWritable; ++i) {
        wantReadable(writable[i]);
        if (!under(writable[i], dir))
            want(writable[i], 0);
    }
    /* Each EZX_* file that exists; for one still to be made, the folder
     * that will hold it, unless that is / or a top folder such as /tmp. */
    for (char **e = environ; *e; ++e) {
        const char *eq = strchr(*e, '=');
        if (strncmp(*e, "EZX_", 4) != 0 || !eq || eq[1] != '/')
            continue;
        char *real = realpath(eq + 1, NULL);
        struct stat st;
        if (real && (stat(real, &st) != 0 || S_ISDIR(st.st_mode))) {
            free(real); /* names no file */
            continue;
        }
        if (!real) {
            char *parent = strdup(eq + 1);
            *strrchr(parent, '/') = '\0';
            char *folder = *parent ? realpath(parent, NULL) : NULL;
            if (folder && strchr(folder + 1, '/'))
                real = strdup(folder);
            free(folder);
            free(parent);
        }
        if (real && !under(real, dir)) {
            wantReadable(real);
            want(real, 0);
        }
        free(real);
    }
    /* A modem service on the system bus (EZX_MODEM names one): the bus's
     * socket, read-only like the rest of the host; connecting needs no
     * more. */
    const char *modem = getenv("EZX_MODEM");
    if (modem && (!strcmp(modem, "modemmanager") || !strcmp(modem, "ofono") || !strcmp(modem, "auto"))) {
        char *socket = systemBusSocket();
        wantReadable(socket);
        free(socket);
    }
    qsort(exposures, (size_t)nExposures, sizeof *exposures, compareLength);
}

/* ---------------------------------------------------------- the root -- */

/* /usr: the host's folders read-only, busybox for bin and sbin. */
static void buildUsr(const char *busyboxDir)
{
    char *usr = join(root, "/usr");
    makePath(usr, 0755);
    DIR *d = opendir("/usr");
    if (!d)
        fail("/usr: %s", strerror(errno));
    for (struct dirent *e; (e = readdir(d));) {
        if (e->d_name[0] == '.' || !strcmp(e->d_name, "bin") || !strcmp(e->d_name, "sbin"))
            continue;
        char *host = join("/usr/", e->d_name);
        struct stat st;
        if (lstat(host, &st) == 0 && S_ISLNK(st.st_mode)) {
            char link[PATH_MAX];
            const ssize_t n = readlink(host, link, sizeof link - 1);
            if (n > 0) {
                link[n] = '\0';
                char *target = join(root, host);
                if (symlink(link, target) != 0)
                    fail("cannot link %s: %s", host, strerror(errno));
                free(target);
            }
        } else if (S_ISDIR(st.st_mode)) {
            expose(host, 1);
        }
        free(host);
    }
    closedir(d);
    char *bin = join(root, "/usr/bin");
    bind(busyboxDir, bin, 1);
    char *sbin = join(root, "/usr/sbin");
    if (symlink("bin", sbin) != 0)
        fail("cannot link /usr/sbin: %s", strerror(errno));
    free(usr);
    free(bin);
    free(sbin);

    /* The merged layout: /bin, /sbin, /lib... as on the host. */
    for (const char *const *name = (const char *const[]){"/bin", "/sbin", "/lib", "/lib32", "/lib64",
                                                          "/libx32", NULL};
         *name; ++name) {
        struct stat st;
        if (lstat(*name, &st) != 0)
            continue;
        char *target = join(root, *name);
        char link[PATH_MAX];
        const ssize_t n = S_ISLNK(st.st_mode) ? readlink(*name, link, sizeof link - 1) : -1;
        if (n > 0) {
            link[n] = '\0';
            if (symlink(link, target) != 0)
                fail("cannot link %s: %s", *name, strerror(errno));
        } else if (S_ISDIR(st.st_mode)) {
            if (!strcmp(*name, "/bin") || !strcmp(*name, "/sbin")) {
                char *link2 = join("usr", *name);
                if (symlink(link2, target) != 0)
                    fail("cannot link %s: %s", *name, strerror(errno));
                free(link2);
            } else {
                expose(*name, 1);
            }
        }
        free(target);
    }
}

/* /dev: a few harmless devices of the host, and a private /dev/shm. */
static void buildDev(void)
{
    char *dev = join(root, "/dev");
    mountTmpfs(dev, "mode=755,size=64k");
    for (const char *const *name = (const char *const[]){"/dev/null", "/dev/zero", "/dev/full",
                                                          "/dev/random", "/dev/urandom", "/dev/tty",
                                                          NULL};
         *name; ++name) {
        if (access(*name, F_OK) != 0)
            continue;
        char *target = join(root, *name);
        makeTarget(*name, target);
        if (mount(*name, target, NULL, MS_BIND, NULL) != 0)
            fail("cannot bind %s: %s", *name, strerror(errno));
        setAttributes(target, MOUNT_ATTR_NOSUID, 0);
        free(target);
    }
    const char *const links[][2] = {{"/proc/self/fd", "fd"}, {"/proc/self/fd/0", "stdin"},
                                    {"/proc/self/fd/1", "stdout"}, {"/proc/self/fd/2", "stderr"}};
    for (size_t i = 0; i < sizeof links / sizeof *links; ++i) {
        char *target = join(dev, "/");
        char *full = join(target, links[i][1]);
        if (symlink(links[i][0], full) != 0)
            fail("cannot link /dev/%s: %s", links[i][1], strerror(errno));
        free(target);
        free(full);
    }
    char *shm = join(dev, "/shm");
    mountTmpfs(shm, "mode=1777");
    setAttributes(dev, MOUNT_ATTR_RDONLY, 0);
    free(shm);
    free(dev);
}

/* A size-limited tmpfs holding a copy of HOST, exactly FREE pages left;
 * returns the copy's folder. The tmpfs is mounted on a stage that is let
 * go of once the copy is bound where it belongs, which leaves nothing of it
 * but the copy in view. */
static char *faultArea(const char *host, long freePages, const char *name)
{
    char *stage = join(root, name);
    mountTmpfs(stage, "mode=755");
    char *tree = join(stage, "/tree");
    makePath(tree, 0755);
    char *from = join(host, "/.");
    char *cp[] = {"cp", "-a", rootless ? "--no-preserve=ownership" : "--preserve=all", from, tree, NULL};
    if (!runProgram(cp))
        fail("cannot copy %s into a tmpfs", host);
    /* A page beside the copy, so that the limit is never 0 (which would
     * mean no limit) even for an empty tree and no free page. */
    char *filler = join(stage, "/filler");
    char page[4096];
    memset(page, 0, sizeof page);
    const int fd = open(filler, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || write(fd, page, sizeof page) != (ssize_t)sizeof page || close(fd) != 0)
        fail("cannot write %s: %s", filler, strerror(errno));
    free(filler);
    struct statvfs vfs;
    if (statvfs(stage, &vfs) != 0)
        fail("statvfs %s: %s", stage, strerror(errno));
    const unsigned long long used = vfs.f_blocks - vfs.f_bfree;
    char options[64];
    snprintf(options, sizeof options, "size=%llu",
             (used + (unsigned long long)freePages) * (unsigned long long)vfs.f_bsize);
    if (mount(NULL, stage, NULL, MS_REMOUNT | MS_NOSUID | MS_NODEV, options) != 0)
        fail("cannot limit the tmpfs for %s to %s: %s", host, options, strerror(errno));
    if (statvfs(stage, &vfs) != 0 || vfs.f_bavail != (unsigned long long)freePages)
        fail("the tmpfs for %s has %llu free pages, not %ld", host,
             (unsigned long long)vfs.f_bavail, freePages);
    free(from);
    return tree;
}

static void letGoOfStage(const char *name)
{
    char *stage = join(root, name);
    if (umount2(stage, MNT_DETACH) != 0 || rmdir(stage) != 0)
        fail("cannot let go of %s: %s", stage, strerror(errno));
    free(stage);
}


/* One part of the tree: HOST/SUB at /SUB and at its host path, from the
 * host folder or from a size-limited copy. */
static void phonePart(const char *sub, long freePages, int readOnly, const char *stage)
{
    char *host = join(dir, sub);
    char *seen = join(root, sub);
    char *backstage = join(root, host);
    makePath(host, 0755);
    const char *source = host;
    char *copy = NULL;
    if (freePages >= 0)
        source = copy = faultArea(host, freePages, stage);
    bind(source, seen, readOnly);
    if (copy) {
        bind(copy, backstage, 0);
        letGoOfStage(stage);
    }
    free(copy);
    free(host);
    free(seen);
    free(backstage);
}

static const char *removeTop;

static int removeEntry(const char *path, const struct stat *st, int type, struct FTW *ftw)
{
    (void)st;
    (void)ftw;
    if (strcmp(path, removeTop) != 0 && (type == FTW_DP ? rmdir(path) : unlink(path)) != 0)
        fprintf(stderr, "%s: cannot remove %s: %s\n", prog, path, strerror(errno));
    return 0;
}

/* What the command left in a size-limited copy becomes the tree's part:
 * the host folder emptied, then filled with the copy, owners, modes, links
 * and times kept (owners only as root: an ordinary user has but one id). */
static int copyBack(const char *sub)
{
    char *host = join(dir, sub);
    char *seen = join(root, sub);
    char *from = join(seen, "/.");
    removeTop = host;
    nftw(host, removeEntry, 64, FTW_DEPTH | FTW_PHYS);
    char *cp[] = {"cp", "-a", rootless ? "--no-preserve=ownership" : "--preserve=all", from, host, NULL};
    const int ok = runProgram(cp);
    if (!ok)
        fprintf(stderr, "%s: cannot copy %s back into %s\n", prog, sub, host);
    free(host);
    free(seen);
    free(from);
    return ok;
}

static void buildRoot(const char *busyboxDir)
{
    if (mount(NULL, "/", NULL, MS_REC | MS_PRIVATE, NULL) != 0)
        fail("cannot make the mounts private: %s", strerror(errno));
    mountTmpfs(root, "mode=755,size=4m");
    buildUsr(busyboxDir);
    expose("/etc", 1);
    buildDev();

    char *proc = join(root, "/proc");
    makePath(proc, 0555);
    if (mount("proc", proc, "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, NULL) != 0)
        fail("cannot mount /proc for the new PID namespace: %s", strerror(errno));
    /* The kernel's settings there are the host's: root must not change them. */
    for (const char *const *name = (const char *const[]){"/sys", "/sysrq-trigger", "/irq", "/bus", NULL};
         *name; ++name) {
        char *entry = join(proc, *name);
        if (access(entry, F_OK) == 0) {
            if (mount(entry, entry, NULL, MS_BIND | MS_REC, NULL) != 0)
                fail("cannot bind /proc%s: %s", *name, strerror(errno));
            setAttributes(entry, MOUNT_ATTR_RDONLY | MOUNT_ATTR_NOSUID | MOUNT_ATTR_NODEV, 1);
        }
        free(entry);
    }
    free(proc);
    if (access("/sys", F_OK) == 0)
        expose("/sys", 1);

    char *tmp = join(root, "/tmp");
    mountTmpfs(tmp, "mode=1777");
    if (access("/tmp/.X11-unix", F_OK) == 0)
        expose("/tmp/.X11-unix", 1);
    char *var = join(root, "/var");
    mountTmpfs(var, "mode=755");
    char *varTmp = join(var, "/tmp");
    makePath(varTmp, 01777);
    chmod(varTmp, 01777);
    /* Font caches, so that Qt programs start as fast as outside. */
    if (access("/var/cache/fontconfig", F_OK) == 0)
        expose("/var/cache/fontconfig", 1);
    free(tmp);
    free(var);
    free(varTmp);

    for (int i = 0; i < nExposures; ++i)
        expose(exposures[i].path, exposures[i].readOnly);

    /* The phone tree. */
    phonePart("/ezxlocal", phoneFree, 0, "/.phone");
    char *mmc = join(root, "/mmc");
    makePath(mmc, 0755);
    /* Empty folders to mount on, for a sealed root made inside (fuzz targets). */
    for (const char *const *name = (const char *const[]){"/mnt", "/media", NULL}; *name; ++name) {
        char *empty = join(root, *name);
        makePath(empty, 0755);
        free(empty);
    }
    if (card)
        phonePart("/mmc/mmca1", cardFree, roCard, "/.card");
    phonePart("/usr/data_resource", -1, !brenik, NULL);
    phonePart("/usr/language/fonts", -1, !brenik, NULL);
    free(mmc);

    /* The theme settings application: records that it was started. */
    char *setup = join(root, "/usr/SYSqtapp/systemsetup");
    makePath(setup, 0755);
    size_t quotes = 0;
    for (const char *c = dir; *c; ++c)
        quotes += *c == '\'';
    char *quoted = malloc(strlen(dir) + 3 * quotes + 1), *q = quoted;
    for (const char *c = dir; *c; ++c) {
        if (*c == '\'') {
            memcpy(q, "'\\''", 4);
            q += 4;
        } else {
            *q++ = *c;
        }
    }
    *q = '\0';
    char *stub, *stubPath = join(setup, "/themesetup");
    if (asprintf(&stub, "#!/bin/sh\necho \"themesetup $*\" >> '%s/themesetup.log'\n", quoted) < 0)
        fail("out of memory");
    writeFile(stubPath, stub, 0755);
    free(setup);
    free(quoted);
    free(stub);
    free(stubPath);

    /* The phone's users and groups. For an ordinary user only root can be
     * mapped, so ezx shares root's ids there. */
    const unsigned ezxUid = rootless ? 0 : 500, ezxGid = rootless ? 0 : 513;
    char text[256];
    const char *const names[2] = {"passwd", "group"};
    snprintf(text, sizeof text, "root:x:0:0:root:/root:/bin/sh\nezx:x:%u:%u:ezx:/ezxlocal:/bin/sh\n",
             ezxUid, ezxGid);
    for (int i = 0; i < 2; ++i) {
        if (i == 1)
            snprintf(text, sizeof text, "root:x:0:\nezx:x:%u:ezx\n", ezxGid);
        char *made = join(root, i ? "/.group" : "/.passwd");
        char *etc = join("/etc/", names[i]);
        char *target = join(root, etc);
        writeFile(made, text, 0644);
        if (access(target, F_OK) == 0 && mount(made, target, NULL, MS_BIND, NULL) != 0)
            fail("cannot bind %s: %s", etc, strerror(errno));
        unlink(made);
        free(made);
        free(etc);
        free(target);
    }

    setAttributes(root, MOUNT_ATTR_RDONLY, 0);
}

/* ----------------------------------------------------------- processes -- */

static void writeMap(const char *file, const char *text)
{
    const int fd = open(file, O_WRONLY | O_CLOEXEC);
    if (fd < 0 || write(fd, text, strlen(text)) != (ssize_t)strlen(text) || close(fd) != 0)
        fail("cannot write %s: %s", file, strerror(errno));
}


static void dropFileModeCapabilities(void)
{
    const int caps[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};
    struct __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    struct __user_cap_data_struct data[2];
    if (syscall(SYS_capget, &header, data) != 0)
        fail("capget: %s", strerror(errno));
    for (size_t i = 0; i < sizeof caps / sizeof *caps; ++i) {
        if (prctl(PR_CAPBSET_DROP, caps[i], 0, 0, 0) != 0)
            fail("cannot drop capability %d: %s", caps[i], strerror(errno));
        const uint32_t bit = 1u << (caps[i] % 32);
        data[caps[i] / 32].effective &= ~bit;
        data[caps[i] / 32].permitted &= ~bit;
        data[caps[i] / 32].inheritable &= ~bit;
    }
    if (syscall(SYS_capset, &header, data) != 0)
        fail("capset: %s", strerror(errno));
}

/* The command: in a user and a mount namespace of its own whose root is
 * the phone's, the host's root let go of entirely. Its user namespace maps
 * every id to itself, so root stays root to the files; but the mounts it
 * got from the first process are locked there: it can neither make a
 * read-only one writable, nor unmount one to see what lies below, nor mount
 * a device or make one. TOLD and MAPPED synchronize with the first process,
 * which writes the id maps. */
static void runCommand(int told, int mapped)
{
    char own = 'u';
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        /* No user namespaces here (a container forbidding them): the
         * mount namespace alone, the mounts unlocked. */
        own = 'n';
        if (unshare(CLONE_NEWNS) != 0)
            fail("unshare: %s", strerror(errno));
    }
    if (write(told, &own, 1) != 1 || read(mapped, &own, 1) != 1 || own != 'y')
        fail("the first process did not map the command's ids");
    close(told);
    close(mapped);
    /* A root of this namespace's own making: pivot_root refuses a locked one. */
    if (mount(root, root, NULL, MS_BIND | MS_REC, NULL) != 0)
        fail("cannot bind the phone's root: %s", strerror(errno));
    if (chdir(root) != 0 || syscall(SYS_pivot_root, ".", ".") != 0 || umount2(".", MNT_DETACH) != 0)
        fail("cannot enter the phone's root: %s", strerror(errno));
    if (chdir("/usr/SYSqtapp") != 0)
        fail("/usr/SYSqtapp: %s", strerror(errno));
    if (dropDac)
        dropFileModeCapabilities();
    setenv("PATH", "/usr/bin:/bin:/usr/sbin:/sbin", 1);
    setenv("PHONE_SANDBOX_DIR", dir, 1); /* the tree's host path, for tests working on it */
    /* A cache of the sandbox's own, writable (the caller's is read-only
     * here): Fontconfig keeps what the host's cache lacks there, quietly. */
    setenv("XDG_CACHE_HOME", "/var/tmp/cache", 1);
    /* Qt complains on every start without a runtime folder; it makes this
     * one (mode 0700) when first needed. */
    setenv("XDG_RUNTIME_DIR", "/tmp/runtime", 0);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, NULL);
    execvp(command[0], command);
    const int error = errno;
    fprintf(stderr, "%s: %s: %s\n", prog, command[0], strerror(error));
    _exit(error == ENOENT ? 127 : 126);
}

static volatile pid_t forwardTo = -1;

static void forward(int signal)
{
    if (forwardTo > 0)
        kill(forwardTo, signal);
}

static void onSignals(void (*handler)(int))
{
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    for (const int *s = (const int[]){SIGTERM, SIGINT, SIGHUP, 0}; *s; ++s)
        sigaction(*s, &sa, NULL);
}

static int statusOf(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

/* PID 1 of the new PID namespace: builds the root, runs the command, and
 * when it ends ends every process left inside, then copies size-limited
 * parts back into the tree. */
static void init(const char *busyboxDir)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    onSignals(forward);
    buildRoot(busyboxDir);
    int told[2], mapped[2];
    if (pipe2(told, O_CLOEXEC) != 0 || pipe2(mapped, O_CLOEXEC) != 0)
        fail("pipe: %s", strerror(errno));
    const pid_t child = fork();
    if (child < 0)
        fail("fork: %s", strerror(errno));
    if (child == 0)
        runCommand(told[1], mapped[0]);
    forwardTo = child;
    close(told[1]);
    close(mapped[0]);
    char own = 0;
    if (read(told[0], &own, 1) == 1 && own == 'u') {
        /* Every id this namespace has, mapped to itself. */
        const char *ids = rootless ? "0 0 1" : "0 0 4294967295";
        char file[PATH_MAX]; /* in the new /proc: this PID namespace's numbers */
        snprintf(file, sizeof file, "%s/proc/%d/uid_map", root, (int)child);
        writeMap(file, ids);
        snprintf(file, sizeof file, "%s/proc/%d/gid_map", root, (int)child);
        writeMap(file, ids);
    }
    if (write(mapped[1], "y", 1) != 1)
        fail("cannot start the command: %s", strerror(errno));
    close(told[0]);
    close(mapped[1]);
    int result = 0;
    for (;;) {
        int status;
        const pid_t pid = waitpid(-1, &status, 0);
        if (pid < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (pid == child) {
            result = statusOf(status);
            forwardTo = -1;
            kill(-1, SIGKILL);
        }
    }
    if (phoneFree >= 0 && !copyBack("/ezxlocal"))
        result = result ? result : 2;
    if (card && cardFree >= 0 && !copyBack("/mmc/mmca1"))
        result = result ? result : 2;
    _exit(result);
}

int main(int argc, char **argv)
{
    if (argc < 4)
        fail("run scripts/phone-sandbox, not its helper");
    const char *busybox = argv[1], *cache = argv[2], *repo = argv[3];
    parse(argc - 4, argv + 4);

    const char *parts[] = {"/ezxlocal", "/usr/data_resource", "/usr/language/fonts",
                           card ? "/mmc/mmca1" : NULL};
    for (size_t i = 0; i < sizeof parts / sizeof *parts && parts[i]; ++i) {
        char *p = join(dir, parts[i]);
        makePath(p, 0755);
        free(p);
    }
    char *busyboxDir = prepareBusybox(busybox, cache);
    collectExposures(repo);

    /* The root is built on an empty system folder of the private mount
     * namespace, one that holds nothing the command must see. */
    for (const char *const *m = (const char *const[]){"/media", "/srv", "/opt", "/mnt", NULL}; *m; ++m) {
        struct stat st;
        int free = lstat(*m, &st) == 0 && S_ISDIR(st.st_mode);
        for (int i = 0; free && i < nExposures; ++i)
            free = !under(exposures[i].path, *m);
        if (free) {
            root = strdup(*m);
            break;
        }
    }
    if (!root)
        fail("no directory to mount the phone's root on (/media, /srv, /opt or /mnt)");

    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (uid != 0) {
        /* An ordinary user gets the namespaces through a user namespace in
         * which it is root; only that one id can be mapped without helpers. */
        if (unshare(CLONE_NEWUSER) != 0)
            fail("cannot create user, mount and PID namespaces (%s); unprivileged user namespaces "
                 "are needed (sysctl kernel.unprivileged_userns_clone=1 and user.max_user_namespaces "
                 "> 0), or run as root",
                 strerror(errno));
        char map[64];
        writeMap("/proc/self/setgroups", "deny");
        snprintf(map, sizeof map, "0 %u 1", (unsigned)uid);
        writeMap("/proc/self/uid_map", map);
        snprintf(map, sizeof map, "0 %u 1", (unsigned)gid);
        writeMap("/proc/self/gid_map", map);
        rootless = 1;
    }
    if (unshare(CLONE_NEWNS | CLONE_NEWPID) != 0)
        fail(uid != 0 ? "cannot create mount and PID namespaces (%s) in the user namespace"
                      : "cannot create mount and PID namespaces (%s); the kernel or container "
                        "forbids unshare(CLONE_NEWNS|CLONE_NEWPID)",
             strerror(errno));

    onSignals(forward);
    const pid_t first = fork();
    if (first < 0)
        fail("fork: %s", strerror(errno));
    if (first == 0)
        init(busyboxDir);
    forwardTo = first;
    int status;
    while (waitpid(first, &status, 0) < 0) {
        if (errno != EINTR)
            fail("waitpid: %s", strerror(errno));
    }
    return statusOf(status);
}
