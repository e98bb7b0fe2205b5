#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// The fault table and the kill sweep: one operation of the program, run on a
// fresh copy of the demo phone inside the phone sandbox, under a fault, and
// what must hold afterwards: no success told unless the change is whole;
// every phone file is its old or its new version (the new one as a run
// without the fault leaves it); a retry once the fault is lifted gives the
// new version of every file.
namespace Faults {

// A phone tree on the host: every entry below its root, by phone path, as
// kind, mode and owner, then the content (IDs of this program's form made
// alike, so that two installations compare equal) or the link target.
using Snapshot = QMap<QString, QByteArray>;

class Phone
{
public:
    explicit Phone(const QString& root) : root(root) {}
    QString host(const QString& phonePath) const { return root + phonePath; }
    QByteArray read(const QString& phonePath) const;
    void write(const QString& phonePath, const QByteArray& bytes) const;
    bool exists(const QString& phonePath) const;
    Snapshot snapshot() const;
    const QString root;
};

struct Run {
    int exitCode = -1;
    QByteArray output;
    QStringList told;      // texts of the dialogs and notices shown
    QStringList commands;  // the shell commands run
};

struct Operation {
    QString name = {};
    QStringList args = {};     // after the program's path
    QStringList script = {};   // automation answers and window steps
    QString success = {};      // a shown text holding this claims success ("": none is told)
    QString target = {};       // the file it changes, for the faults on a file
    QStringList options = {};  // sandbox options it always needs ("--brenik")
    std::function<void(const Phone&)> prepare = {};
    // Removals: the list shows the row to take again (tab, name).
    int tab = -1;
    QString row = {};
    // Extra checks of the run (planted faults): what went wrong, or "".
    std::function<QString(const Phone&, const Run&)> check = {};
};

struct Fault {
    QString name = {};
    QStringList options = {};
    enum Target { None, Unreadable, Folder, Unreplaceable } target = None;
};

// The demo phone's operations and the faults of the table.
QList<Operation> operations();
Fault fault(const QString& name);

// Runs the program for the operation on the phone (the sandbox options and
// the fault's on top); killAfterUs > 0 ends it with SIGKILL that many
// microseconds after its start.
Run run(const Phone& phone, const Operation& op, const QStringList& options = {}, int killAfterUs = 0);

// A fresh demo phone copied from one made once per test program.
QString freshPhone(const QString& parent, const QString& name);

// Puts the fault on the operation's target file, and takes it off again.
void applyFault(const Phone& phone, const Operation& op, const Fault& fault);
void liftFault(const Phone& phone, const Operation& op, const Fault& fault);

// The paths whose entry is neither as before nor as the reference has it.
QStringList neitherOldNorNew(const Snapshot& old, const Snapshot& reference, const Snapshot& now);
// The paths where two snapshots differ.
QStringList differences(const Snapshot& a, const Snapshot& b);

// Runs the operation again once the fault is lifted: a removal takes its row
// again when the list still shows it (a removal that went through shows
// nothing to retry).
Run retry(const Phone& phone, const Operation& op);

bool claimed(const Run& run, const Operation& op);

} // namespace Faults
