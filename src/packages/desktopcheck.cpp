#include "packages/desktopcheck.h"

#include <ZConfig.h>

#include "themes/descriptor.h"

namespace DesktopCheck {

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

QStringList usedKeys()
{
    QStringList keys{"Name",    "Directory", "Exec",      "Icon",   "BigIcon",
                     "AniIcon", "Autorun",   "ThemeName", "Folder", "Author"};
    for (const char* key : ThemeDescriptor::eventKeys)
        keys << QLatin1String(key);
    return keys;
}

bool isPlain(const ZConfig& desktop)
{
    for (const QString& key : usedKeys()) {
        if (hasControlCharacter(desktop.readEntry(QStringLiteral("Desktop Entry"), key, QString())))
            return false;
    }
    return true;
}

} // namespace DesktopCheck
