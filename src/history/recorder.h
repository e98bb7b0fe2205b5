#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "history/journal.h"

// The history of changes: every operation that changes the phone opens a
// Scope; the writers (Shell::writeThenMove, Shell::writeFile, ZConfig's
// write) and the installers call willChange before they create, replace or
// remove a file or folder, and the recorder keeps what stood there. When
// the outermost scope closes, what changed becomes one entry of the
// journal in the history folder. Recording never makes an operation fail:
// a history folder that is missing, unreadable or full only means that the
// change is not kept, or kept as one that cannot be undone.
namespace History {

// The folder of the journal and the entries; "" (the default) records
// nothing.
void setFolder(const QString& folder);
QString folder();

// Called by the writers before they touch path (a file or a folder,
// present or not), while an operation's scope is open; otherwise nothing.
void willChange(const QString& path);
// The same for a folder an installer is about to make: recorded only when
// nothing stands there yet (an existing folder stays as it is).
void willCreate(const QString& path);

// One operation: the changes made while the outermost scope is open form
// one entry, with the description the scope holds when it closes. Scopes
// opened inside it belong to it.
class Scope
{
public:
    explicit Scope(const QString& description);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    // The description, when the new value is known only at the end.
    void describe(const QString& description);
    // Records the entry now, before what the operation starts last (the
    // phone's own programs); what it changes after this is not recorded.
    void finish();

private:
    bool outermost;
    bool open = true;
};

// What stands at path, as the journal's after field holds it: "absent" or
// a hash of the content (a folder's whole tree, a link's target).
QByteArray stateOf(const QString& path);

// The journal's entries, oldest first (none when it is missing or cannot
// be read).
QList<Journal::Entry> entries();

// Why the entry cannot be undone now: the first of its files that no
// longer holds what the change left, and the index of the later entry
// that changed it (-1: a change from outside). Empty path: it can be.
struct Obstacle {
    QString path;
    int laterEntry = -1;
};
Obstacle obstacleTo(const QList<Journal::Entry>& all, int index);

// Puts every file of the entry back as it was before the change, as one
// new entry (description given), each file replaced whole. False when a
// file could not be put back (the others are).
bool undo(const Journal::Entry& entry, const QString& description);

} // namespace History
