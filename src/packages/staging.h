#pragma once

#include <QString>

// The folders an installation builds its result in before the result takes
// its name: base/.NAME.partial for the new folder, base/.NAME.previous for
// the old one an update keeps until the new one is whole. Neither name is
// ever a package's own, so that clearing them can never take an installed
// application or theme.
namespace Staging {

// The file an application installation puts into its staging folder and
// removes once the record names the folder: a folder that still holds it
// is what an interrupted installation left.
inline constexpr char marker[] = ".vardel-installing";

QString partial(const QString& base, const QString& name);
QString previous(const QString& base, const QString& name);

// True when the name has the form of a staging folder's (".X.partial" or
// ".X.previous"); such a name is refused as a package's Directory or Folder.
bool isStagingName(const QString& name);

} // namespace Staging
