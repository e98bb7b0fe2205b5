#include "themes/descriptor.h"

namespace ThemeDescriptor {

QString text(const Theme& theme, const QString& skinBase, bool doubledVmAlertSlash)
{
    const QString skin = skinBase + u'/' + theme.folder;
    QString out = QStringLiteral("[THEME_CONFIG_TABLE]\n");
    out += QStringLiteral("ThemeName = ") + theme.name + u'\n';
    out += QStringLiteral("Skin = ") + skin + u'\n';
    for (int i = 0; i < eventKeyCount; ++i) {
        const QString value = theme.events.value(i);
        if (value.isEmpty())
            continue;
        const bool vmAlert = i == eventKeyCount - 1;
        out += QLatin1String(eventKeys[i]) + QStringLiteral(" = ");
        if (vmAlert && doubledVmAlertSlash)
            out += u'/';
        out += skin + u'/' + value + u'\n';
    }
    out += QStringLiteral("\n[THEME_PROP_TABLE]\n");
    out += QStringLiteral("CopyRight = ") + theme.author + u'\n';
    out += QStringLiteral("CreatedTime = \n");
    out += QStringLiteral("ThemeSize = \n");
    return out;
}

} // namespace ThemeDescriptor
