#include "shell/startup.h"

#include <sys/stat.h>

namespace Startup {

Mode modeFor(const QString& argument)
{
    if (argument == QLatin1String(simCheckKeyword))
        return Mode::SimCheck;
    if (!argument.isEmpty()) {
        struct stat info;
        if (::stat(argument.toLatin1().constData(), &info) == 0)
            return Mode::Install;
    }
    return Mode::Window;
}

QString argumentFrom(const QStringList& arguments)
{
    return arguments.value(2);
}

QString programDir(const QString& argv0, const QString& executableDir)
{
    const qsizetype slash = argv0.lastIndexOf(u'/');
    if (slash >= 0)
        return argv0.left(slash + 1);
    if (executableDir.isEmpty() || executableDir.endsWith(u'/'))
        return executableDir;
    return executableDir + u'/';
}

} // namespace Startup
