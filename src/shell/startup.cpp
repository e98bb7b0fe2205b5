#include "shell/startup.h"

#include <QCoreApplication>

#include <ZApplication.h>

#include "shell/paths.h"

#include <sys/stat.h>

namespace Startup {

Mode modeFor(const QString& argument)
{
    if (argument == QLatin1String(simCheckKeyword))
        return Mode::SimCheck;
    if (!argument.isEmpty()) {
        struct stat info;
        const QByteArray path = Paths::toBytes(argument);
        if (!path.isEmpty() && ::stat(path.constData(), &info) == 0)
            return Mode::Install;
    }
    return Mode::Window;
}

QString argumentFrom(const QStringList& arguments)
{
    return arguments.value(2);
}

QStringList arguments()
{
    QStringList list;
    if (const auto* application = qobject_cast<ZApplication*>(QCoreApplication::instance())) {
        char** argv = application->argv();
        for (int i = 0; argv && i < application->argc() && argv[i]; ++i)
            list << Paths::fromBytes(QByteArray(argv[i]));
        return list;
    }
    // Without the platform's application object only Qt's decoded form is
    // known.
    for (const QString& argument : QCoreApplication::arguments())
        list << Paths::fromQt(argument);
    return list;
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

QString programDir()
{
    const QString executable = Paths::runningExecutable();
    const qsizetype slash = executable.lastIndexOf(u'/');
    return programDir(arguments().value(0), slash < 0 ? QString() : executable.left(slash + 1));
}

QByteArray platformFor(Mode mode, const QByteArray& platform, const QByteArray& display)
{
    if (mode == Mode::Window || !platform.isEmpty())
        return QByteArray();
    return display.isEmpty() ? QByteArrayLiteral("offscreen") : QByteArrayLiteral("xcb;offscreen");
}

bool chooseDisplay(int argc, char** argv)
{
    const QString argument = argc > 2 && argv[2] ? Paths::fromBytes(QByteArray(argv[2])) : QString();
    const QByteArray platform = platformFor(modeFor(argument), qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"));
    if (platform.isEmpty())
        return false;
    qputenv("QT_QPA_PLATFORM", platform);
    return true;
}

} // namespace Startup
