#include "autorun/startupscript.h"

#include "shell/paths.h"
#include "shell/shellrun.h"

namespace StartupScript {

namespace {

// Walks the lines the way the autorun list reads them. For every entry
// calls onEntry(nameIndex, commandIndex or -1 at the end of the script).
template <typename OnEntry>
void forEachEntry(const QStringList& lines, OnEntry onEntry)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).isEmpty())
            continue;
        const qsizetype command = i + 1 < lines.size() ? i + 1 : -1;
        onEntry(i, command);
        if (command >= 0)
            i = command;
    }
}

QString nameOf(const QString& nameLine)
{
    return nameLine.mid(1);
}

} // namespace

QList<Entry> entries(const QStringList& lines)
{
    QList<Entry> found;
    forEachEntry(lines, [&](qsizetype name, qsizetype command) {
        found.append({nameOf(lines.at(name)), command >= 0 ? lines.at(command) : QString()});
    });
    return found;
}

bool canStore(const QString& name, const QString& command)
{
    const QString lines[] = {QString(u'#') + name, command};
    for (const QString& line : lines) {
        if (line.contains(u'\n') || line.endsWith(u'\r'))
            return false;
        for (const QChar c : line) {
            if (c.unicode() > 0xff)
                return false;
        }
    }
    return true;
}

QStringList withEntryAdded(const QStringList& lines, const QString& name, const QString& command)
{
    QStringList result;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            result << line;
    }
    result << u'#' + name << command;
    return result;
}

QStringList withEntryRemoved(const QStringList& lines, const QString& name)
{
    QList<bool> drop(lines.size(), false);
    forEachEntry(lines, [&](qsizetype nameLine, qsizetype command) {
        if (nameOf(lines.at(nameLine)) != name)
            return;
        drop[nameLine] = true;
        if (command >= 0)
            drop[command] = true;
    });
    QStringList result;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!drop.at(i))
            result << lines.at(i);
    }
    return result;
}

QStringList withEntrySwitched(const QStringList& lines, const QString& name, bool on)
{
    QStringList result = lines;
    forEachEntry(lines, [&](qsizetype nameLine, qsizetype command) {
        if (nameOf(lines.at(nameLine)) != name)
            return;
        // A name line at the very end has an empty command line after it.
        if (command < 0) {
            result << QString();
            command = result.size() - 1;
        }
        QString& line = result[command];
        if (on && line.startsWith(u'#'))
            line.remove(0, 1);
        else if (!on && !line.startsWith(u'#'))
            line.prepend(u'#');
    });
    return result;
}

QString text(const QStringList& lines)
{
    QString out;
    for (const QString& line : lines) {
        out += line;
        out += u'\n';
    }
    return out;
}

std::optional<QStringList> read()
{
    const QString script = QString::fromLatin1(path);
    if (!Paths::exists(script))
        return QStringList();
    return Shell::readLinesIfReadable(script);
}

bool rewrite(const QStringList& lines)
{
    const QString script = QString::fromLatin1(path);
    return Shell::writeThenMove(script + QStringLiteral(".new"), script, text(lines));
}

} // namespace StartupScript
