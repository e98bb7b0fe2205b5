#include "settings/settingsrows.h"

#include "shell/shellrun.h"

namespace SettingsRows {

OnOff equalizerState(int switchValue)
{
    switch (switchValue) {
    case 1:
        return OnOff::On;
    case 0:
        return OnOff::Off;
    default:
        return OnOff::Unknown;
    }
}

QString numberLine(int value, const QString& unit)
{
    return QString::number(value) + u' ' + unit;
}

QString fontLine(const QString& stored, const QString& systemFontText)
{
    if (stored == QLatin1String(systemFontValue))
        return systemFontText;
    return Shell::fileNameOf(stored);
}

} // namespace SettingsRows
