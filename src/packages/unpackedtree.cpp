#include "packages/unpackedtree.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>

#include <optional>

#include "packages/desktopcheck.h"
#include "shell/paths.h"

namespace UnpackedTree {

namespace {

// The kernel gives up after as many.
constexpr int maxHops = 40;

// Where a target leads, walked from the folder "at" (parts below root):
// links met on the way are followed; a part that does not exist is taken
// as the name it would get. Nothing when the walk climbs above root, meets
// an absolute target or follows too many links.
std::optional<QStringList> walk(const QString& root, QStringList at, const QString& target, int* hops)
{
    if (target.isEmpty() || target.startsWith(u'/'))
        return std::nullopt;
    for (const QString& part : target.split(u'/')) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (at.isEmpty())
                return std::nullopt;
            at.removeLast();
            continue;
        }
        at << part;
        const QString here = root + u'/' + at.join(u'/');
        if (Paths::entryAt(here).kind != Paths::Entry::Link)
            continue;
        if (++*hops > maxHops)
            return std::nullopt;
        at.removeLast();
        const auto next = walk(root, at, Paths::linkTarget(here), hops);
        if (!next)
            return std::nullopt;
        at = *next;
    }
    return at;
}

} // namespace

bool isSafe(const QString& folder, Links links)
{
    if (Paths::entryAt(folder).kind != Paths::Entry::Folder)
        return false;
    // Files with more than one name, by which file they are: every other
    // name must lie in the folder too.
    QHash<QPair<quint64, quint64>, quint64> namesLeft;
    QList<QStringList> pending{QStringList()};
    while (!pending.isEmpty()) {
        const QStringList dir = pending.takeLast();
        const QString path = dir.isEmpty() ? folder : folder + u'/' + dir.join(u'/');
        QStringList names;
        if (!Paths::listNames(path, &names))
            return false;
        for (const QString& name : names) {
            // A name tar listed as two lines (a line feed in it) is caught
            // here at the latest.
            if (DesktopCheck::hasControlCharacter(name))
                return false;
            const QString entryPath = path + u'/' + name;
            const Paths::Entry entry = Paths::entryAt(entryPath);
            int hops = 0;
            switch (entry.kind) {
            case Paths::Entry::Folder:
                pending << dir + QStringList{name};
                break;
            case Paths::Entry::File:
                if (entry.hardLinks > 1) {
                    if (links == Links::None)
                        return false;
                    const QPair<quint64, quint64> file{entry.device, entry.inode};
                    namesLeft[file] = namesLeft.value(file, entry.hardLinks) - 1;
                }
                break;
            case Paths::Entry::Link:
                if (links == Links::None || !walk(folder, dir, Paths::linkTarget(entryPath), &hops))
                    return false;
                break;
            default:
                return false;
            }
        }
    }
    for (const quint64 left : namesLeft) {
        if (left != 0)
            return false;
    }
    return true;
}

} // namespace UnpackedTree
