#include "shell/shellrun.h"

#include <QJsonObject>

#include <ZAutomation.h>

#include "history/recorder.h"
#include "shell/paths.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Shell {

Q_LOGGING_CATEGORY(commandsLog, "vardel.commands", QtInfoMsg)

namespace {

enum class Output { Logged, StdoutShown };

// Where a command's messages go: a file in memory read back for the log
// once the command has ended (a process it left behind may go on writing
// there, and is never waited for), or /dev/null when nobody asked for them.
// -1 when neither can be had: the messages then reach the terminal.
int messagesTarget()
{
    return commandsLog().isDebugEnabled() ? ::memfd_create("vardel-command", MFD_CLOEXEC)
                                          : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
}

// The command line and, when it printed anything, what it printed: at most
// the first MiB of it.
void logMessages(const QString& command, int fd)
{
    constexpr qsizetype most = 1 << 20;
    struct stat info;
    const qsizetype total = ::fstat(fd, &info) == 0 ? qsizetype(info.st_size) : 0;
    QByteArray printed(qMin(total, most), Qt::Uninitialized);
    qsizetype size = 0;
    while (size < printed.size()) {
        const ssize_t n = ::pread(fd, printed.data() + size, size_t(printed.size() - size), off_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        size += n;
    }
    printed.truncate(size);
    if (total > size)
        printed += "\n[" + QByteArray::number(qint64(total - size)) + " more bytes]";
    while (printed.endsWith('\n'))
        printed.chop(1);
    qCDebug(commandsLog).noquote() << (printed.isEmpty() ? command
                                                         : command + u'\n' + QString::fromLocal8Bit(printed));
}

bool isLatin1(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

// A command line reaches the shell as a C string: a NUL would end it early
// and the shell would run what comes before, quotes left open.
bool canPassToShell(const QString& command)
{
    return isLatin1(command) && !command.contains(QChar(0));
}

// Starts /bin/sh -c command, feeds input (if any) to its standard input and
// waits for it. Its standard error (and output, unless shown) goes to
// messages. The child starts with default handling of the signals this
// process may have changed.
int spawnShell(const QByteArray& command, const QByteArray* input, Output output, int messages)
{
    int pipeFds[2] = {-1, -1};
    if (input && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return NotRun;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
    if (messages >= 0) {
        if (output == Output::Logged)
            posix_spawn_file_actions_adddup2(&actions, messages, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, messages, STDERR_FILENO);
    }

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    char sh[] = "/bin/sh";
    char dashC[] = "-c";
    QByteArray commandCopy = command;
    char* argv[] = {sh, dashC, commandCopy.data(), nullptr};

    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, "/bin/sh", &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);

    bool inputComplete = true;
    if (input) {
        ::close(pipeFds[0]);
        if (spawned == 0) {
            // A command that stops reading early must not end this process
            // through SIGPIPE; the write then just fails.
            struct sigaction ignore{}, previous{};
            ignore.sa_handler = SIG_IGN;
            sigemptyset(&ignore.sa_mask);
            sigaction(SIGPIPE, &ignore, &previous);
            const char* data = input->constData();
            qsizetype left = input->size();
            while (left > 0) {
                const ssize_t written = ::write(pipeFds[1], data, size_t(left));
                if (written < 0) {
                    if (errno == EINTR)
                        continue;
                    inputComplete = false;
                    break;
                }
                data += written;
                left -= written;
            }
            sigaction(SIGPIPE, &previous, nullptr);
        }
        ::close(pipeFds[1]);
    }
    if (spawned != 0)
        return NotRun;

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return NotRun;
    }
    if (!inputComplete)
        return NotRun;
    return status;
}

int runWithInput(const QString& command, const QByteArray* input, Output output = Output::Logged)
{
    if (!canPassToShell(command)) {
        ZAutomation::record(QJsonObject{{"event", "command"}, {"command", command}, {"refused", true}});
        qCDebug(commandsLog).noquote() << "refused:" << command;
        return NotRun;
    }
    ZAutomation::recordCommand(command);
    const int messages = messagesTarget();
    const int status = spawnShell(command.toLatin1(), input, output, messages);
    if (messages >= 0) {
        if (commandsLog().isDebugEnabled())
            logMessages(command, messages);
        ::close(messages);
    }
    return status;
}

bool succeeded(int status)
{
    return status != NotRun && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Feeds the bytes to the command filled with the path.
bool writeThrough(const QString& pattern, const QString& path, const QByteArray& bytes)
{
    return succeeded(runWithInput(fillCommand(pattern, {path}), &bytes));
}

// Feeds the text and one line feed to the command filled with the path.
bool writeThrough(const QString& pattern, const QString& path, const QString& text)
{
    return isLatin1(text) && writeThrough(pattern, path, text.toLatin1() + '\n');
}

bool presentAsAnything(const QString& path)
{
    struct stat info;
    const QByteArray bytes = Paths::toBytes(path);
    return !bytes.isEmpty() && ::lstat(bytes.constData(), &info) == 0;
}

} // namespace

int run(const QString& command)
{
    return runWithInput(command, nullptr);
}

int runPrinting(const QString& command)
{
    return runWithInput(command, nullptr, Output::StdoutShown);
}

bool writeFile(const QString& path, const QString& text, WriteMode mode)
{
    History::willChange(path);
    return writeThrough(mode == WriteMode::Append ? QStringLiteral("cat >> %1") : QStringLiteral("cat > %1"), path,
                        text);
}

bool writeThenMove(const QString& sibling, const QString& target, const QString& text,
                   const std::function<void(const QString& sibling)>& beforeMove)
{
    return isLatin1(text) && writeBytesThenMove(sibling, target, text.toLatin1() + '\n', beforeMove);
}

bool writeBytesThenMove(const QString& sibling, const QString& target, const QByteArray& bytes,
                        const std::function<void(const QString& sibling)>& beforeMove)
{
    // mv would put the sibling inside a folder (or a link to one) and call
    // that success.
    if (Paths::isDirectory(target))
        return false;
    // Whatever an earlier run left under the sibling's name (a file, a
    // folder, a symbolic link planted to lead the write elsewhere) goes
    // first; rm never follows a link. The write itself refuses to open
    // anything that is there by then (noclobber), so only a file made by
    // this write is moved.
    if (presentAsAnything(sibling) && !succeeded(run(QStringLiteral("rm -f -r %1"), sibling)))
        return false;
    if (!writeThrough(QStringLiteral("set -C; cat > %1"), sibling, bytes)) {
        run(QStringLiteral("rm -f %1"), sibling);
        return false;
    }
    if (beforeMove)
        beforeMove(sibling);
    History::willChange(target);
    if (!succeeded(run(QStringLiteral("mv %1 %2"), sibling, target))) {
        run(QStringLiteral("rm -f %1"), sibling);
        return false;
    }
    return true;
}

bool isReadableFile(const QString& path)
{
    struct stat info;
    const QByteArray bytes = Paths::toBytes(path);
    return !bytes.isEmpty() && ::stat(bytes.constData(), &info) == 0 && S_ISREG(info.st_mode)
        && info.st_size <= readLimit;
}

QString readableOrNothing(const QString& path)
{
    return isReadableFile(path) ? path : QStringLiteral("/dev/null");
}

std::optional<QByteArray> readBytesIfReadable(const QString& path)
{
    // O_NONBLOCK: a FIFO put in the file's place must not block the open;
    // what is open is then judged by itself, not by its name.
    const int fd = ::open(Paths::toBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > readLimit) {
        ::close(fd);
        return std::nullopt;
    }
    // Read straight into a buffer of the file's size (a registry of
    // thousands of records is megabytes: no copy as it grows), and on to
    // the end whatever the size said, but never past the limit: a file
    // growing while it is read is no more readable than a large one.
    QByteArray content(qsizetype(info.st_size) + 65536, Qt::Uninitialized);
    qsizetype size = 0;
    bool failed = false;
    for (;;) {
        if (content.size() - size < 65536)
            content.resize(content.size() * 2);
        const ssize_t n = ::read(fd, content.data() + size, size_t(content.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failed = true;
        if (n <= 0)
            break;
        size += n;
        if (size > readLimit) {
            failed = true;
            break;
        }
    }
    ::close(fd);
    if (failed)
        return std::nullopt;
    content.truncate(size);
    return content;
}

std::optional<QStringList> readLinesIfReadable(const QString& path, CarriageReturn cr)
{
    const std::optional<QByteArray> read = readBytesIfReadable(path);
    if (!read)
        return std::nullopt;
    const QByteArray& content = *read;

    // Lines end in a line feed (a carriage return before it dropped, unless
    // kept); a last line without one counts.
    // Each line becomes its string straight from the file's bytes (one
    // character per byte, as Paths::fromBytes): a registry has hundreds of
    // thousands of lines, and a copy of each line's bytes first doubled
    // the work.
    QStringList lines;
    lines.reserve(content.count('\n') + 1);
    const QByteArrayView bytes(content);
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        const qsizetype next = end < 0 ? content.size() : end + 1;
        if (end < 0)
            end = content.size();
        qsizetype length = end - start;
        if (cr == CarriageReturn::LineEnd && length > 0 && content.at(end - 1) == '\r' && end < content.size())
            --length;
        lines << QString::fromLatin1(bytes.sliced(start, length));
        start = next;
    }
    return lines;
}

QStringList readLines(const QString& path, CarriageReturn cr)
{
    return readLinesIfReadable(path, cr).value_or(QStringList());
}

QString fileNameOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    return path.mid(slash + 1);
}

} // namespace Shell
