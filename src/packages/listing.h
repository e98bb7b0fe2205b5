#pragma once

#include <QString>
#include <QStringList>

// The check a package must pass before it is unpacked. The package is
// listed first ("busybox tar -tv"); a listing is accepted only when every
// member lies inside one top-level directory and nothing it unpacks can
// reach outside that directory: no absolute member name, no ".." component,
// no link whose target is absolute or leads out of the directory (followed
// through the package's own symbolic links, the way the file system will
// follow them once unpacked), no device, pipe or socket, no control
// character in a line (a byte below 0x20 or 0x7F: the lines are the
// listing's bytes as they are, so a carriage return ending a name stays in
// it), and every line readable as a listing line (a name holding a line
// feed is not).
namespace PackageListing {

struct Result {
    bool safe = false;
    QString topDirectory;  // the one top-level directory, when safe
    bool links = false;    // a symbolic or hard link among the members
};

Result check(const QStringList& listingLines);

// True when an application package's Directory value names its top-level
// directory: not empty, no "/" and no "..", not of a staging folder's form
// (".X.partial"), and equal to it.
bool directoryFits(const QString& directory, const QString& topDirectory);

} // namespace PackageListing
