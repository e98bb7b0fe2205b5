#pragma once

#include <QString>

// Where an installed application lives. Registries record its Directory
// relative to the application manager's working directory
// ("../../ezxlocal/..."); the program resolves it against "/" so that it
// names the same folder whatever its own working directory is.
namespace AppDirs {

// The Directory value as an absolute path, "." and ".." worked out (".." at
// the root stays at the root), no trailing "/".
QString resolve(const QString& directory);

// True when the resolved directory lies strictly inside one of the two
// install bases (phone memory or card), never a base itself. The base it
// lies in is stored in base.
bool removable(const QString& resolved, QString* base = nullptr);

// The command that starts an application: the resolved folder as one word,
// "/", and the Exec value split at blanks into words, each quoted as one
// word (so "run.sh -f" passes "-f" as an argument, and "$", ";" or
// backquotes stay text). "" when Exec has no word.
QString startCommand(const QString& folder, const QString& exec);

// True when the Directory value places the application on the card.
bool onCard(const QString& directory);

} // namespace AppDirs
