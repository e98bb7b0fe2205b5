#include "packages/listing.h"

#include <QHash>
#include <QSet>
#include <QRegularExpression>

#include <optional>

#include "packages/desktopcheck.h"
#include "packages/staging.h"

namespace PackageListing {

namespace {

struct Member {
    QChar type;          // '-', 'd', 'l' as tar shows them
    QStringList path;    // components, "" and "." left out
    QString linkTarget;  // symbolic link target, or hard link's member name
    bool hardLink = false;
};

// The components of a name, "" and "." dropped; nothing when the name is
// absolute or has a ".." component.
std::optional<QStringList> componentsOf(const QString& name)
{
    if (name.startsWith(u'/'))
        return std::nullopt;
    QStringList parts;
    for (const QString& part : name.split(u'/')) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return std::nullopt;
        parts << part;
    }
    return parts;
}

// One line of "tar -tv": mode, owner/group, size, date, time, name. A
// symbolic link ends in " -> target"; busybox shows a hard link the same way
// behind a regular file's mode.
//
// A name holding a line feed goes on as a line of its own, which may well
// read as a member. That line's mode and owner are then part of the real
// name's components, so the owner may hold one "/" at most: otherwise an
// owner such as "../../.." would be a real ".." the check never sees.
//
// A control character anywhere in the line is refused: a carriage return or
// an escape sequence would make a name look like another one (the listing
// is read byte for byte, so "f\r" is not "f").
std::optional<Member> parse(const QString& line)
{
    if (DesktopCheck::hasControlCharacter(line))
        return std::nullopt;
    static const QRegularExpression form(QStringLiteral(
        "^([-dlpcbsh])[-rwxsStTl]{9} +[^\\s/]+(?:/[^\\s/]+)? +\\d+(?:, *\\d+)? +\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d(?::\\d\\d)? (.+)$"));
    const QRegularExpressionMatch m = form.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    Member member;
    member.type = m.captured(1).at(0);
    QString name = m.captured(2);
    if (member.type != u'-' && member.type != u'd' && member.type != u'l')
        return std::nullopt;  // device, pipe, socket: never installed
    static const QString arrow = QStringLiteral(" -> ");
    if (member.type != u'd' && name.contains(arrow)) {
        // Two arrows leave open where the name ends.
        if (name.count(arrow) != 1)
            return std::nullopt;
        const qsizetype at = name.indexOf(arrow);
        member.linkTarget = name.mid(at + arrow.size());
        name.truncate(at);
        member.hardLink = member.type == u'-';
        if (member.linkTarget.isEmpty())
            return std::nullopt;
    } else if (member.type == u'l') {
        return std::nullopt;
    }
    const auto path = componentsOf(name);
    if (!path)
        return std::nullopt;
    member.path = *path;
    return member;
}

// Unpacks the members in the order tar does, keeping only what decides
// where later members land: the symbolic links made so far and the folders
// made so far (both by where they really are, links followed). A link is
// taken as it stands when a member is written, since a later line may point
// it elsewhere; what is left at the end must lead inside the package too,
// since the program and the application use the folder afterwards.
class Unpacking
{
public:
    explicit Unpacking(const QString& top) : m_top(top) {}

    bool unpack(const Member& member)
    {
        QStringList folder = member.path;
        const QString name = folder.takeLast();
        if (folder.isEmpty()) {
            m_folders.insert(name);  // the top-level directory, checked to be one
            return true;
        }
        const auto landsIn = walk({}, folder.join(u'/'), true);
        if (!inside(landsIn))
            return false;
        const QString at = (*landsIn + QStringList{name}).join(u'/');
        if (member.type == u'd') {
            // mkdir leaves a link in place, and the folder's mode then goes
            // to whatever the link leads to.
            const auto link = m_links.constFind(at);
            if (link != m_links.constEnd())
                return inside(walk(*landsIn, link.value(), false));
            m_folders.insert(at);
            return true;
        }
        // tar cannot put anything else in a folder's place.
        if (m_folders.contains(at))
            return false;
        if (member.type == u'l') {
            m_files.remove(at);
            m_links.insert(at, member.linkTarget);
            return true;
        }
        if (member.hardLink) {
            // tar archives a hard link after the file it shares, so its
            // source must be a regular file this package wrote before. Any
            // other source (a symbolic link, which would be that link again
            // read from its new place, or nothing, which leaves open what
            // stays in the link's place) is refused.
            const auto target = componentsOf(member.linkTarget);
            if (!target || target->size() < 2)
                return false;
            QStringList sourceFolder = *target;
            const QString sourceName = sourceFolder.takeLast();
            const auto source = walk({}, sourceFolder.join(u'/'), false);
            if (!inside(source) || !m_files.contains((*source + QStringList{sourceName}).join(u'/')))
                return false;
        }
        m_links.remove(at);  // a file replaces a link
        m_files.insert(at);
        return true;
    }

    bool linksLeadInside()
    {
        for (auto link = m_links.cbegin(); link != m_links.cend(); ++link) {
            QStringList folder = link.key().split(u'/');
            folder.removeLast();
            if (!inside(walk(folder, link.value(), false)))
                return false;
        }
        return true;
    }

private:
    bool inside(const std::optional<QStringList>& path) const
    {
        return path && !path->isEmpty() && path->first() == m_top;
    }

    // Walks a relative path from a folder the way the file system would,
    // following the links; with make, the folders it passes are made (as
    // tar makes a member's leading folders). Nothing when the walk leaves
    // the work directory, meets an absolute target or loops.
    std::optional<QStringList> walk(const QStringList& from, const QString& relative, bool make)
    {
        m_hops = 0;
        return walkFrom(from, relative, make);
    }

    std::optional<QStringList> walkFrom(QStringList at, const QString& relative, bool make)
    {
        if (relative.startsWith(u'/'))
            return std::nullopt;
        for (const QString& part : relative.split(u'/')) {
            if (part.isEmpty() || part == QLatin1String("."))
                continue;
            if (part == QLatin1String("..")) {
                if (at.isEmpty())
                    return std::nullopt;
                at.removeLast();
                continue;
            }
            at << part;
            const QString here = at.join(u'/');
            const auto link = m_links.constFind(here);
            if (link == m_links.constEnd()) {
                if (make)
                    m_folders.insert(here);
                continue;
            }
            if (++m_hops > 64)
                return std::nullopt;
            at.removeLast();
            const auto next = walkFrom(at, link.value(), make);
            if (!next)
                return std::nullopt;
            at = *next;
        }
        return at;
    }

    QString m_top;
    QHash<QString, QString> m_links;  // where a link is, its target
    QSet<QString> m_folders;
    QSet<QString> m_files;  // regular files written, by where they really are
    int m_hops = 0;
};

} // namespace

Result check(const QStringList& listingLines)
{
    QList<Member> members;
    QString top;
    for (const QString& line : listingLines) {
        const auto member = parse(line);
        if (!member)
            return {};
        if (member->path.isEmpty()) {
            if (member->type != u'd')
                return {};
            continue;  // "./": the work directory itself
        }
        if (top.isEmpty())
            top = member->path.first();
        if (member->path.first() != top)
            return {};
        // The top-level directory is a directory, nothing else.
        if (member->path.size() == 1 && (member->type != u'd'))
            return {};
        members << *member;
    }
    if (top.isEmpty())
        return {};
    bool links = false;
    for (const Member& member : members)
        links = links || !member.linkTarget.isEmpty();

    Unpacking unpacking(top);
    for (const Member& member : members) {
        if (!unpacking.unpack(member))
            return {};
    }
    if (!unpacking.linksLeadInside())
        return {};
    return {true, top, links};
}

bool directoryFits(const QString& directory, const QString& topDirectory)
{
    return !directory.isEmpty() && directory != QLatin1String(".") && !directory.contains(u'/') && !directory.contains(QLatin1String(".."))
        && !Staging::isStagingName(directory) && directory == topDirectory;
}

} // namespace PackageListing
