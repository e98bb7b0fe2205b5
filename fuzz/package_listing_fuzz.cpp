// The package check on arbitrary "busybox tar -tv" listings, read as the
// installer reads them. When the check calls a listing safe, its top-level
// directory is one plain name, every member name lies under it, and
// unpacking the members in order on a small model of the file system (links
// followed when each member is written, as the kernel follows them) writes
// nothing outside that directory and leaves no link leading out of it. A
// safe listing stays safe with every line repeated and turns unsafe with an
// absolute name, a ".." member, a second top-level folder or a device added
// at either end. A safe listing holds no control byte, and turns unsafe
// when one (a carriage return, say, which a display hides) is put into a
// member's line. Its links flag tells exactly whether a member is a symbolic
// or hard link, which the theme installer refuses (a theme's files move one
// folder up, where a link would lead elsewhere). directoryFits accepts only
// the plain top-level name itself.
//
// Input: the listing, then optionally NUL and a Directory value.

#include "fuzzing.h"

#include "packages/listing.h"
#include "shell/shellrun.h"

#include <QHash>

#include <optional>

namespace {

struct Line {
    QChar type;
    QString name;
    QString target;  // after " -> ", when the name is followed by one
};

// A listing line taken apart by its blanks: mode, owner, size (two numbers
// for a device), date, time, then one blank and the rest. Only used on lines
// the check accepted, so the form is known to fit.
std::optional<Line> fields(const QString& text)
{
    qsizetype at = 0;
    auto token = [&] {
        while (at < text.size() && text[at] == u' ')
            ++at;
        const qsizetype from = at;
        while (at < text.size() && text[at] != u' ')
            ++at;
        return text.mid(from, at - from);
    };
    const QString mode = token();
    token();  // owner/group
    if (token().endsWith(u','))
        token();
    token();  // date
    token();  // time
    if (mode.isEmpty() || at >= text.size())
        return std::nullopt;
    Line line{mode[0], text.mid(at + 1), QString()};
    const qsizetype arrow = line.name.indexOf(QLatin1String(" -> "));
    if (line.type != u'd' && arrow >= 0) {
        line.target = line.name.mid(arrow + 4);
        line.name.truncate(arrow);
    }
    return line;
}

QStringList components(const QString& name)
{
    QStringList parts;
    for (const QString& part : name.split(u'/')) {
        if (!part.isEmpty() && part != QLatin1String("."))
            parts << part;
    }
    return parts;
}

// Unpacking on a model file system rooted at the work directory, as busybox
// tar does it: leading folders made as needed (through links), an old entry
// unlinked before a file, link or hard link takes its place (an old folder
// cannot be, and ends the unpacking), a folder entry on an existing link
// changing what the link leads to.
class Model
{
public:
    explicit Model(const QString& top) : m_top(top) {}

    // What went wrong, or an empty string.
    QString unpack(const QList<Line>& lines)
    {
        for (const Line& line : lines) {
            const QStringList path = components(line.name);
            if (path.isEmpty())
                continue;  // "./": the work directory itself
            QStringList folder = path;
            folder.removeLast();
            const Where parent = resolve({}, folder.join(u'/'), true, true);
            if (parent.outcome == Failed)
                continue;
            if (parent.outcome == Escaped)
                return "member " + line.name + " is written above the work directory";
            const QStringList at = parent.at + QStringList{path.last()};
            if (!inside(at) || (at.size() == 1 && line.type != u'd'))
                return "member " + line.name + " is written at " + at.join(u'/');
            const QString key = at.join(u'/');
            const auto old = m_nodes.constFind(key);
            if (line.type == u'd') {
                if (old == m_nodes.constEnd())
                    m_nodes.insert(key, Node{Node::Folder, {}});
                else if (old->kind == Node::Link && !leadsInside(parent.at, old->target))
                    return "folder " + line.name + " changes what link " + key + " leads to";
                continue;
            }
            if (old != m_nodes.constEnd() && old->kind == Node::Folder)
                break;  // busybox cannot remove it and stops
            if (line.type == u'l') {
                m_nodes.insert(key, Node{Node::Link, line.target});
            } else if (line.target.isNull()) {
                m_nodes.insert(key, Node{Node::File, {}});
            } else {
                // A hard link: the same inode, so a link stays a link.
                const Where source = resolve({}, line.target, false, false);
                if (source.outcome == Escaped || (source.outcome == Ok && !inside(source.at)))
                    return "hard link " + line.name + " shares " + line.target;
                if (source.outcome == Ok) {
                    const auto node = m_nodes.constFind(source.at.join(u'/'));
                    // A copy: inserting may move the hash's nodes.
                    if (node != m_nodes.constEnd() && node->kind != Node::Folder)
                        m_nodes.insert(key, Node(*node));
                }
            }
        }
        for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it) {
            if (it->kind != Node::Link)
                continue;
            QStringList folder = it.key().split(u'/');
            folder.removeLast();
            if (!leadsInside(folder, it->target))
                return "link " + it.key() + " -> " + it->target + " leads out";
        }
        return {};
    }

private:
    struct Node {
        enum Kind { Folder, File, Link } kind;
        QString target;
    };
    enum Outcome { Ok, Escaped, Failed };
    struct Where {
        Outcome outcome;
        QStringList at;
    };

    bool inside(const QStringList& at) const { return !at.isEmpty() && at.first() == m_top; }

    // A link's target followed from its folder; a loop the kernel gives up
    // on leads nowhere.
    bool leadsInside(const QStringList& folder, const QString& target)
    {
        int hops = 0;
        const Where w = resolve(folder, target, true, false, &hops);
        return w.outcome == Failed || (w.outcome == Ok && inside(w.at));
    }

    Where resolve(QStringList at, const QString& relative, bool followLast, bool make, int* hops = nullptr)
    {
        int own = 0;
        if (!hops)
            hops = &own;
        if (relative.startsWith(u'/'))
            return {Escaped, {}};
        const QStringList parts = relative.split(u'/');
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QString& part = parts[i];
            if (part.isEmpty() || part == QLatin1String("."))
                continue;
            if (part == QLatin1String("..")) {
                if (at.isEmpty())
                    return {Escaped, {}};
                at.removeLast();
                continue;
            }
            at << part;
            bool last = true;
            for (qsizetype j = i + 1; j < parts.size() && last; ++j)
                last = parts[j].isEmpty() || parts[j] == QLatin1String(".");
            const QString key = at.join(u'/');
            const auto node = m_nodes.constFind(key);
            if (node == m_nodes.constEnd()) {
                if (make)
                    m_nodes.insert(key, Node{Node::Folder, {}});
                continue;
            }
            if (node->kind == Node::File && !last)
                return {Failed, {}};
            if (node->kind != Node::Link || (last && !followLast))
                continue;
            if (++*hops > 40)
                return {Failed, {}};
            at.removeLast();
            const Where next = resolve(at, node->target, true, make, hops);
            if (next.outcome != Ok)
                return next;
            at = next.at;
        }
        return {Ok, at};
    }

    QString m_top;
    QHash<QString, Node> m_nodes;
};

QString line(const char* mode, const QString& name)
{
    return QString::fromLatin1(mode) + QStringLiteral(" root/root 0 2026-03-01 10:00:00 ") + name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> parts = Fuzz::split(data, size, '\0', 2);
    const QString path = Fuzz::scratchDir() + QStringLiteral("/mpkglist");
    FUZZ_CHECK(Fuzz::writeFile(path, parts[0]), "cannot write " + path.toStdString());
    const QStringList lines = Shell::readLines(path, Shell::CarriageReturn::Kept);
    const QString directory = QString::fromLatin1(parts[1]);
    const auto what = [&] { return "listing " + Fuzz::show(parts[0]); };

    const PackageListing::Result result = PackageListing::check(lines);
    const QString& top = result.topDirectory;

    if (PackageListing::directoryFits(directory, top)) {
        FUZZ_CHECK(result.safe && directory == top && !top.contains(u'/') && !top.contains(QLatin1String("..")),
                   what() + "\ndirectory " + Fuzz::show(directory));
    }
    if (!result.safe)
        return 0;

    FUZZ_CHECK(!top.isEmpty() && !top.contains(u'/') && top != QLatin1String(".") && top != QLatin1String(".."),
               what() + "\ntop " + Fuzz::show(top));
    QList<Line> members;
    bool links = false;
    for (const QString& text : lines) {
        for (const QChar c : text)
            FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7f, what() + "\ncontrol byte in " + Fuzz::show(text));
        const auto member = fields(text);
        FUZZ_CHECK(member && QStringLiteral("-dl").contains(member->type), what() + "\nline " + Fuzz::show(text));
        const QStringList path = components(member->name);
        FUZZ_CHECK(!member->name.startsWith(u'/') && !path.contains(QStringLiteral(".."))
                       && (path.isEmpty() || path.first() == top),
                   what() + "\nline " + Fuzz::show(text) + "\ntop " + Fuzz::show(top));
        members << *member;
        links = links || !member->target.isNull();
    }
    FUZZ_CHECK(result.links == links, what() + "\nlinks flag " + std::to_string(result.links));
    // A control byte put into a line (in the name, or a link's target) makes
    // it unsafe, wherever it stands: the first, a middle and the last line,
    // a carriage return and one other control byte each.
    const char* const controls[] = {"\t", "\x1b", "\x7f", "\x01"};
    for (const qsizetype i : {qsizetype(0), lines.size() / 2, lines.size() - 1}) {
        for (const char* control : {"\r", controls[i % 4]}) {
            QStringList changed = lines;
            changed[i].insert(changed[i].size() - 1, QLatin1String(control));
            FUZZ_CHECK(!PackageListing::check(changed).safe,
                       what() + "\nsafe with " + Fuzz::show(QByteArray(control)) + " in line " + std::to_string(i));
        }
    }
    const QString wrong = Model(top).unpack(members);
    FUZZ_CHECK(wrong.isEmpty(), what() + "\ntop " + Fuzz::show(top) + "\n" + Fuzz::show(wrong));

    // tar writing the same member twice in a row ends where it did once.
    QStringList doubled;
    for (const QString& text : lines)
        doubled << text << text;
    const PackageListing::Result twice = PackageListing::check(doubled);
    FUZZ_CHECK(twice.safe && twice.topDirectory == top, what() + "\nunsafe with every line repeated");

    const QString hostile[] = {
        line("-rw-r--r--", QStringLiteral("/etc/passwd")),
        line("-rw-r--r--", top + QStringLiteral("/../../x")),
        line("drwxr-xr-x", top + QStringLiteral("x/")),
        QStringLiteral("crw-r--r-- 0/0 1, 3 2026-03-01 10:00:00 ") + top + QStringLiteral("/null"),
    };
    for (const QString& bad : hostile) {
        FUZZ_CHECK(!PackageListing::check(QStringList{bad} + lines).safe, what() + "\nafter " + Fuzz::show(bad));
        FUZZ_CHECK(!PackageListing::check(lines + QStringList{bad}).safe, what() + "\nbefore " + Fuzz::show(bad));
    }
    return 0;
}
