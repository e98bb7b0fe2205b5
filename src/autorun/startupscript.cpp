#include "autorun/startupscript.h"

#include "shell/paths.h"
#include "shell/shellquote.h"
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

template <typename Drop>
QStringList withEntriesLeftOut(const QStringList& lines, Drop drop)
{
    QList<bool> dropped(lines.size(), false);
    forEachEntry(lines, [&](qsizetype nameLine, qsizetype command) {
        if (!drop(Entry{nameOf(lines.at(nameLine)), command >= 0 ? lines.at(command) : QString()}))
            return;
        dropped[nameLine] = true;
        if (command >= 0)
            dropped[command] = true;
    });
    QStringList result;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!dropped.at(i))
            result << lines.at(i);
    }
    return result;
}

QString withoutSwitch(const QString& command)
{
    return command.startsWith(u'#') ? command.mid(1) : command;
}

bool blank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

QString Entry::path() const
{
    const QString line = withoutSwitch(command);
    const std::optional<QStringList> read = words(line);
    return read && read->size() == 1 ? read->first() : line;
}

QString commandFor(const QString& path)
{
    // Only a path starting with "/" can stand bare: a bare word could be
    // an assignment ("a=b") or a word of the shell's own ("if").
    return path.startsWith(u'/') ? Shell::literalWord(path) : Shell::quoteWord(path);
}

std::optional<QStringList> words(const QString& commandLine)
{
    QStringList found;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine.at(i);
        if (blank(c)) {
            if (inWord)
                found << word;
            word.clear();
            inWord = false;
        } else if (c == u'#' && !inWord) {
            break;
        } else if (c == u'\'') {
            const qsizetype end = commandLine.indexOf(u'\'', i + 1);
            if (end < 0)
                return std::nullopt;
            word += commandLine.mid(i + 1, end - i - 1);
            inWord = true;
            i = end;
        } else if (c == u'"') {
            inWord = true;
            for (++i;; ++i) {
                if (i >= commandLine.size())
                    return std::nullopt;
                const QChar d = commandLine.at(i);
                if (d == u'"')
                    break;
                if (d == u'$' || d == u'`')
                    return std::nullopt;
                if (d == u'\\' && i + 1 < commandLine.size()
                    && QStringView(u"$`\"\\").contains(commandLine.at(i + 1))) {
                    word += commandLine.at(++i);
                    continue;
                }
                if (d == u'\\' && i + 1 < commandLine.size() && commandLine.at(i + 1) == u'\n')
                    return std::nullopt;
                word += d;
            }
        } else if (c == u'\\') {
            if (i + 1 >= commandLine.size() || commandLine.at(i + 1) == u'\n')
                return std::nullopt;
            word += commandLine.at(++i);
            inWord = true;
        } else if (QStringView(u"$`;&|<>()*?[~{}\n\r").contains(c) || c == QChar(0)) {
            return std::nullopt;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        found << word;
    return found;
}

bool runsFrom(const Entry& entry, const QString& folder)
{
    const QString line = withoutSwitch(entry.command);
    const QString inside = folder + u'/';
    const std::optional<QStringList> read = words(line);
    if (!read)
        return line.startsWith(inside);
    return !read->isEmpty() && read->first().startsWith(u'/') && Paths::lexical(read->first()).startsWith(inside);
}

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

QStringList withLinesAdded(const QStringList& lines, const QString& name, const QString& commandLine)
{
    QStringList result;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            result << line;
    }
    result << u'#' + name << commandLine;
    return result;
}

QStringList withEntryAdded(const QStringList& lines, const QString& name, const QString& command,
                           const QStringList& arguments)
{
    const bool off = command.startsWith(u'#');
    QString line = (off ? QStringLiteral("#") : QString()) + commandFor(off ? command.mid(1) : command);
    for (const QString& argument : arguments)
        line += u' ' + Shell::literalWord(argument);
    return withLinesAdded(lines, name, line);
}

QStringList withEntryRemoved(const QStringList& lines, const QString& name)
{
    return withEntriesLeftOut(lines, [&](const Entry& entry) { return entry.name == name; });
}

QStringList withEntriesFromRemoved(const QStringList& lines, const QString& folder)
{
    return withEntriesLeftOut(lines, [&](const Entry& entry) { return runsFrom(entry, folder); });
}

QStringList withEntrySwitched(const QStringList& lines, const QString& name, bool on)
{
    return withEntriesSwitched(lines, [&](const Entry& entry) { return entry.name == name; }, on);
}

QStringList withEntriesSwitched(const QStringList& lines, const std::function<bool(const Entry&)>& which, bool on)
{
    QStringList result = lines;
    forEachEntry(lines, [&](qsizetype nameLine, qsizetype command) {
        if (!which(Entry{nameOf(lines.at(nameLine)), command >= 0 ? lines.at(command) : QString()}))
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
