#pragma once

#include <QString>

// The check of an unpacked package as it really stands on disk, made after
// unpacking and before anything changes a mode or an owner. The listing
// check (listing.h) judges what tar says it will write; this one reads what
// was written, so that a name the listing showed otherwise, or a tar that
// unpacked otherwise, cannot leave a way out of the package's folder for a
// later chmod or chown, or for the application itself, to follow.
namespace UnpackedTree {

enum class Links {
    // Symbolic links that lead to a place inside the folder, and hard links
    // among the folder's own files (an application package).
    LeadingInside,
    // No link of either kind: a theme's files move into another folder, where
    // a link would lead somewhere else than it did in the package.
    None,
};

// True when the folder is a folder (not a link to one) and everything below
// it is a folder, a regular file or a link allowed by links, under a name
// without control characters. A symbolic
// link's target is walked from the link's folder through the tree as it
// stands, links on the way followed; it must not climb above the folder,
// be absolute or go round in circles. Devices, pipes and sockets are never
// allowed.
bool isSafe(const QString& folder, Links links);

} // namespace UnpackedTree
