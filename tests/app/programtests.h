#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class ZApplication;

// The common frame of the tests that build the window as the installed
// program would: started inside the phone sandbox, with the program's
// folders beside a program path, under one ZApplication.
namespace ProgramTests {

// The start of such a test's main: reruns the executable inside a fresh
// phone sandbox (with the sandbox options) and returns its exit status;
// inside it, initialises GoogleTest and the offscreen platform (unless one
// is set) and returns -1, meaning "go on here".
int start(int& argc, char** argv, const QStringList& sandboxOptions = {});

// Copies the built program folders (such as "images" and "languages") into
// programDir, as an installation puts them beside the program.
void installBuiltFolders(const QString& programDir, const QStringList& folders);

// Runs every test under a ZApplication started as the program at
// programPath (its bytes as argv[0]) with the other arguments of argv;
// app points to it while the tests run. Returns the tests' status.
int runAsProgram(int argc, char** argv, const QByteArray& programPath, ZApplication*& app);

} // namespace ProgramTests
