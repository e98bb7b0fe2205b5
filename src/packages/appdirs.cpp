#include "packages/appdirs.h"

#include <QRegularExpression>
#include <QStringList>

#include "packages/record.h"
#include "shell/paths.h"
#include "shell/shellquote.h"

namespace AppDirs {

QString resolve(const QString& directory)
{
    return Paths::lexical(directory);
}

bool removable(const QString& resolved, QString* base)
{
    for (const QString& b : {AppRecord::phone().base, AppRecord::card().base}) {
        if (resolved.size() > b.size() + 1 && resolved.startsWith(b + u'/')) {
            if (base)
                *base = b;
            return true;
        }
    }
    return false;
}

QString startCommand(const QString& folder, const QString& exec)
{
    QStringList words;
    for (const QString& word : exec.split(QRegularExpression(QStringLiteral("[ \\t]+")), Qt::SkipEmptyParts))
        words << Shell::quoteWord(word);
    if (words.isEmpty())
        return QString();
    words.first() = Shell::quoteWord(folder) + u'/' + words.first();
    return words.join(u' ');
}

bool named(const QStringList& directories, const QString& folder)
{
    for (const QString& directory : directories) {
        const QString resolved = resolve(directory);
        if (resolved == folder || resolved.startsWith(folder + u'/'))
            return true;
    }
    return false;
}

bool onCard(const QString& directory)
{
    return directory.startsWith(QLatin1String("../../mmc/mmca1"));
}

} // namespace AppDirs
