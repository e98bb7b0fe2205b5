#include "packages/listing.h"

#include <QHash>
#include <QRegularExpression>

#include <optional>

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
std::optional<Member> parse(const QString& line)
{
    static const QRegularExpression form(QStringLiteral(
        "^([-dlpcbsh])[-rwxsStTl]{9} +\\S+ +\\d+(?:, *\\d+)? +\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d(?::\\d\\d)? (.+)$"));
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

// Walks a relative path from a directory (given as components, none of them
// a link) the way the file system would once the package is unpacked,
// following the package's symbolic links. Nothing when the walk leaves the
// work directory, meets an absolute target or loops.
class Resolver
{
public:
    explicit Resolver(const QHash<QString, QString>& links) : m_links(links) {}

    std::optional<QStringList> walk(QStringList at, const QString& relative)
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
            const auto link = m_links.constFind(at.join(u'/'));
            if (link == m_links.constEnd())
                continue;
            if (++m_hops > 64)
                return std::nullopt;
            at.removeLast();
            const auto next = walk(at, link.value());
            if (!next)
                return std::nullopt;
            at = *next;
        }
        return at;
    }

private:
    const QHash<QString, QString>& m_links;
    int m_hops = 0;
};

bool inside(const std::optional<QStringList>& path, const QString& top)
{
    return path && !path->isEmpty() && path->first() == top;
}

} // namespace

Result check(const QStringList& listingLines)
{
    QList<Member> members;
    QHash<QString, QString> links;
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
        if (member->type == u'l')
            links.insert(member->path.join(u'/'), member->linkTarget);
        members << *member;
    }
    if (top.isEmpty())
        return {};

    for (const Member& member : members) {
        if (member.path.size() == 1)
            continue;  // the top-level directory itself
        Resolver resolver(links);
        // Where the member itself lands: its folder walked through the links.
        QStringList folder = member.path;
        folder.removeLast();
        const auto landsIn = resolver.walk({}, folder.join(u'/'));
        if (!inside(landsIn, top))
            return {};
        if (member.type == u'l') {
            if (!inside(resolver.walk(*landsIn, member.linkTarget), top))
                return {};
        } else if (member.hardLink) {
            const auto target = componentsOf(member.linkTarget);
            if (!target || !inside(resolver.walk({}, member.linkTarget), top))
                return {};
        }
    }
    return {true, top};
}

bool directoryFits(const QString& directory, const QString& topDirectory)
{
    return !directory.isEmpty() && directory != QLatin1String(".") && !directory.contains(u'/') && !directory.contains(QLatin1String(".."))
        && directory == topDirectory;
}

} // namespace PackageListing
