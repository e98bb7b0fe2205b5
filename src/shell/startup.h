#pragma once

#include <QString>
#include <QStringList>

// How a start of the program is decided: the program directory and the mode.
namespace Startup {

enum class Mode {
    Window,   // the interactive window
    Install,  // install the package (or entry) named by the argument, then end
    SimCheck  // the anti-theft SIM check, then end
};

// The keyword that asks for the SIM check.
inline constexpr char simCheckKeyword[] = "WardLex";

// The mode for a start-up argument: the exact keyword, else any existing
// file-system entry of that path, else the window. The path is checked as
// the bytes the shell commands will be given (Latin-1).
Mode modeFor(const QString& argument);

// The start-up argument: the second argument after the program name, or ""
// when there are fewer.
QString argumentFrom(const QStringList& arguments);

// The program's command line as the application object left it (its own
// options taken out), each argument as its bytes, one character per byte.
// Qt's decoded arguments would lose every byte that is not UTF-8.
QStringList arguments();

// The program directory, ending in "/": the first argument up to and
// including its last "/"; when it holds none (the program was found through
// PATH), the directory of the running executable.
QString programDir(const QString& argv0, const QString& executableDir);

// The program directory of this run, from arguments() and the running
// executable. Every part of the program that needs it asks here.
QString programDir();

// The display platform a start asks Qt for, before the application object
// exists, given QT_QPA_PLATFORM and DISPLAY as set (empty when unset): ""
// to leave Qt's own choice (the window; a platform the caller chose).
// A windowless start with no display runs on the offscreen platform, and
// one whose display may be out of reach tries it first, then offscreen: the
// SIM check runs from cron and boot scripts, where there is none.
QByteArray platformFor(Mode mode, const QByteArray& platform, const QByteArray& display);

// Sets QT_QPA_PLATFORM as platformFor says for this command line (argv as
// main() gets it); true when it set it.
bool chooseDisplay(int argc, char** argv);

} // namespace Startup
