#include "history/recorder.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <algorithm>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include "shell/paths.h"
#include "shell/shellrun.h"

namespace History {

namespace {

// The operation being recorded.
struct Current {
    int depth = 0;
    QString description;
    QList<Journal::File> files;
    QList<QByteArray> before; // stateOf each file before
    bool undoable = true;
    qint64 bytes = 0;
    bool pendingMade = false;
    bool busy = false; // the recorder's own writes are not recorded
    bool gone = false;  // the history folder goes with the change
};

QString historyFolder;
Current current;

QString pending()
{
    return historyFolder + QStringLiteral("/.pending");
}

QString entryFolder(int id)
{
    return historyFolder + u'/' + QString::number(id);
}

QString journalPath()
{
    return historyFolder + QStringLiteral("/journal");
}

bool done(int status)
{
    return status == 0;
}

bool lstatOf(const QString& path, struct stat* info)
{
    const QByteArray bytes = Paths::toBytes(path);
    return !bytes.isEmpty() && ::lstat(bytes.constData(), info) == 0;
}

QString kindOf(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("dir");
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("link");
    return QStringLiteral("file");
}

// The bytes a copy of path takes, or more than limit once it is clear that
// it will not fit.
qint64 sizeOf(const QString& path, qint64 limit)
{
    struct stat info;
    if (!lstatOf(path, &info))
        return 0;
    qint64 size = S_ISREG(info.st_mode) ? qint64(info.st_size) : 0;
    QStringList names;
    if (S_ISDIR(info.st_mode) && Paths::listNames(path, &names)) {
        for (const QString& name : names) {
            size += sizeOf(path + u'/' + name, limit - size);
            if (size > limit)
                break;
        }
    }
    return size;
}

// The copies never take the room an operation needs: they are made only
// while the file system keeps a good reserve beyond them.
bool roomFor(qint64 size)
{
    constexpr qint64 reserve = 4 * 1024 * 1024;
    struct statvfs fs;
    QString probe = historyFolder;
    while (Paths::entryAt(probe).kind == Paths::Entry::Missing && probe.lastIndexOf(u'/') > 0)
        probe = probe.left(probe.lastIndexOf(u'/'));
    const QByteArray bytes = Paths::toBytes(probe);
    return !bytes.isEmpty() && ::statvfs(bytes.constData(), &fs) == 0
        && qint64(fs.f_bavail) * qint64(fs.f_frsize) >= size + reserve;
}

QByteArray hashed(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool inside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + u'/');
}

void remove(const QString& path)
{
    if (Paths::entryAt(path).kind != Paths::Entry::Missing)
        Shell::run(QStringLiteral("rm -rf %1"), path);
}

// The journal as it stands; nothing when it exists but cannot be read
// (then it is never replaced).
std::optional<QList<Journal::Entry>> readJournal()
{
    if (Paths::entryAt(journalPath()).kind == Paths::Entry::Missing)
        return QList<Journal::Entry>();
    const std::optional<QByteArray> text = Shell::readBytesIfReadable(journalPath());
    if (!text)
        return std::nullopt;
    return Journal::parse(*text);
}

// Folders of entries the journal no longer names (dropped, or left by a
// run ended before its journal was written) go.
void removeStrays(const QList<Journal::Entry>& kept)
{
    QStringList names;
    Paths::listNames(historyFolder, &names);
    for (const QString& name : names) {
        bool numeric = false;
        const int id = name.toInt(&numeric);
        if (numeric && std::none_of(kept.begin(), kept.end(), [id](const Journal::Entry& e) { return e.id == id; }))
            remove(historyFolder + u'/' + name);
    }
}

void record()
{
    QList<Journal::File> files = current.files;
    bool changed = false;
    for (qsizetype i = 0; i < files.size(); ++i) {
        files[i].after = stateOf(files[i].path);
        changed = changed || files[i].after != current.before[i];
    }
    std::optional<QList<Journal::Entry>> all = changed ? readJournal() : std::nullopt;
    if (!all) {
        if (current.pendingMade)
            remove(pending());
        return;
    }
    Journal::Entry entry;
    entry.id = all->isEmpty() ? 1 : all->last().id + 1;
    entry.time = QDateTime::currentSecsSinceEpoch();
    entry.description = current.description;
    entry.files = files;
    entry.undoable = current.undoable;
    // The copies become the entry's folder before the journal names it.
    if (!Paths::isDirectory(historyFolder))
        Shell::run(QStringLiteral("mkdir -p %1"), historyFolder);
    remove(entryFolder(entry.id));
    if (entry.undoable && !current.pendingMade)
        Shell::run(QStringLiteral("mkdir %1"), pending());
    if (entry.undoable && done(Shell::run(QStringLiteral("mv %1 %2"), pending(), entryFolder(entry.id))))
        entry.bytes = current.bytes;
    else
        entry.undoable = false;
    remove(pending());
    all->append(entry);
    const QList<Journal::Entry> kept = Journal::withinLimits(*all);
    if (!Shell::writeThenMove(journalPath() + QStringLiteral(".new"), journalPath(),
                              QString::fromLatin1(Journal::format(kept)))) {
        remove(entryFolder(entry.id));
        return;
    }
    removeStrays(kept);
}

} // namespace

void setFolder(const QString& folder)
{
    historyFolder = folder.isEmpty() ? QString() : Paths::lexical(folder);
}

QString folder()
{
    return historyFolder;
}

void willChange(const QString& given)
{
    if (current.depth == 0 || current.busy || historyFolder.isEmpty())
        return;
    const QString path = Paths::lexical(given);
    // A change that takes the history with it (this program's own folder
    // removed) is not recorded: nothing would be left to keep it.
    if (inside(historyFolder, path) && path != historyFolder) {
        current.gone = true;
        return;
    }
    if (inside(path, historyFolder)
        || std::any_of(current.files.begin(), current.files.end(),
                       [&](const Journal::File& f) { return f.path == path; }))
        return;
    current.busy = true;
    Journal::File file{path, QStringLiteral("absent"), 0, 0, 0, {}};
    struct stat info;
    if (lstatOf(path, &info)) {
        file.kind = kindOf(info);
        file.mode = info.st_mode & 07777;
        file.uid = info.st_uid;
        file.gid = info.st_gid;
    }
    const QString copy = pending() + u'/' + QString::number(current.files.size());
    current.files.append(file);
    current.before.append(stateOf(path));
    if (file.kind != QLatin1String("absent") && current.undoable) {
        // What does not fit the limit is recorded as a change that cannot
        // be undone.
        const qint64 size = sizeOf(path, Journal::maxBytes - current.bytes);
        if (current.bytes + size > Journal::maxBytes || !roomFor(size)) {
            current.undoable = false;
        } else {
            if (!current.pendingMade) {
                remove(pending());
                Shell::run(QStringLiteral("mkdir -p %1"), pending());
                current.pendingMade = Paths::isDirectory(pending());
            }
            if (current.pendingMade && done(Shell::run(QStringLiteral("cp -a %1 %2"), path, copy)))
                current.bytes += size;
            else
                current.undoable = false;
        }
    }
    current.busy = false;
}

void willCreate(const QString& path)
{
    if (Paths::entryAt(path).kind == Paths::Entry::Missing)
        willChange(path);
}

Scope::Scope(const QString& description) : outermost(current.depth == 0)
{
    if (outermost)
        current = Current{};
    ++current.depth;
    if (outermost)
        current.description = description;
}

Scope::~Scope()
{
    finish();
}

void Scope::finish()
{
    if (!open)
        return;
    open = false;
    --current.depth;
    if (!outermost)
        return;
    if (current.gone && current.pendingMade)
        remove(pending());
    else if (!current.files.isEmpty() && !historyFolder.isEmpty()) {
        current.busy = true;
        record();
    }
    current = Current{};
}

void Scope::describe(const QString& description)
{
    if (outermost)
        current.description = description;
}

QByteArray stateOf(const QString& path)
{
    struct stat info;
    if (!lstatOf(path, &info))
        return QByteArrayLiteral("absent");
    if (S_ISLNK(info.st_mode))
        return hashed("link\n" + Paths::toBytes(Paths::linkTarget(path)));
    if (S_ISDIR(info.st_mode)) {
        QStringList names;
        Paths::listNames(path, &names);
        names.sort();
        QByteArray tree = "dir\n";
        for (const QString& name : names)
            tree += Paths::toBytes(name) + '\0' + stateOf(path + u'/' + name) + '\n';
        return hashed(tree);
    }
    if (!S_ISREG(info.st_mode))
        return hashed("other\n");
    const std::optional<QByteArray> bytes = Shell::readBytesIfReadable(path);
    return hashed(bytes ? "file\n" + *bytes : QByteArray("unreadable\n"));
}

QList<Journal::Entry> entries()
{
    if (historyFolder.isEmpty())
        return {};
    return readJournal().value_or(QList<Journal::Entry>());
}

Obstacle obstacleTo(const QList<Journal::Entry>& all, int index)
{
    for (const Journal::File& file : all.value(index).files) {
        if (stateOf(file.path) != file.after)
            return {file.path, Journal::laterChangeOf(all, index, file.path)};
    }
    return {};
}

bool undo(const Journal::Entry& entry, const QString& description)
{
    Scope scope(description);
    bool whole = true;
    for (qsizetype i = entry.files.size() - 1; i >= 0; --i) {
        const Journal::File& file = entry.files[i];
        willChange(file.path);
        const Paths::Entry::Kind now = Paths::entryAt(file.path).kind;
        if (file.kind == QLatin1String("absent")) {
            remove(file.path);
            whole = whole && Paths::entryAt(file.path).kind == Paths::Entry::Missing;
            continue;
        }
        // The old version is copied beside the file under a name of our
        // own and renamed over it: the file is the old one or the new one.
        const qsizetype slash = file.path.lastIndexOf(u'/');
        const QString sibling =
            file.path.left(slash) + QStringLiteral("/.") + file.path.mid(slash + 1).left(200) + QStringLiteral(".undo");
        remove(sibling);
        if (!done(Shell::run(QStringLiteral("cp -a %1 %2"), entryFolder(entry.id) + u'/' + QString::number(i),
                             sibling))) {
            remove(sibling);
            whole = false;
            continue;
        }
        // Only a file over a file is one rename; mv would put anything
        // else inside a folder (or a link to one), or refuse it.
        if (now != Paths::Entry::Missing && !(now == Paths::Entry::File && file.kind == QLatin1String("file")))
            remove(file.path);
        if (!done(Shell::run(QStringLiteral("mv -f %1 %2"), sibling, file.path))) {
            remove(sibling);
            whole = false;
        }
    }
    return whole;
}

} // namespace History
