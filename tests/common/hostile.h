#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>

// The one table of hostile values that every test feeding outside text to a
// command or a file draws from: text a careless command line would split,
// expand, glob, run or cut, and text a careless file writer would mangle.
namespace Hostile {

// A file that appears only when a value was run as a command. Each canary
// lies in a fresh directory of its own under /tmp, so runs and tests never
// see each other's traces; the directory goes away with the object.
// The phone sandbox gives every command a private /tmp: a canary made
// inside a sandbox is seen by every command of that sandbox, and one made
// outside is listed (colon-separated) in the environment variable
// VARDEL_TEST_CANARIES while it lives, whose folders TestSandbox::run hands
// to the sandbox writable, so a command inside can still fire it.
class Canary
{
public:
    Canary();
    ~Canary();
    Canary(const Canary&) = delete;
    Canary& operator=(const Canary&) = delete;

    // The path the hostile values try to create.
    QString path() const { return m_path; }
    // True when something created it: a value ran as a command.
    bool fired() const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

struct Value {
    const char* label;  // what the value tries, for test output
    QString text;       // the value, each character one byte (Latin-1)
    bool fileName;      // usable as one file-name component
};

// Every hostile value, the canary's path filled in wherever a value tries
// to create a file. At least 30 values, among them blanks, a tab, line feeds,
// both quotes, $HOME, $(...) and backquotes, backslashes, ;, &&, |, >, *,
// %1 and %2, a leading -, .., Latin-1 bytes, a NUL byte (which would cut a
// command line short) and a value over 128 KiB (the most one command-line
// argument may hold). A command that cannot carry a value whole must refuse
// it, not run a cut or changed command.
QList<Value> values(const Canary& canary);

// Only those that can name a file: not empty, no "/" or NUL, not "." or
// "..", at most 255 bytes.
QList<Value> fileNames(const Canary& canary);

} // namespace Hostile
