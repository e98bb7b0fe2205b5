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

} // namespace Startup
