#include "themes/descriptor.h"

namespace ThemeDescriptor {

QString section(const char* header)
{
    const QString line = QLatin1String(header);
    return line.mid(1, line.size() - 2);
}

QString text(const Theme& theme, const QString& skinBase, bool doubledVmAlertSlash)
{
    const QString skin = skinBase + u'/' + theme.folder;
    QString out = QLatin1String(configHeader) + u'\n';
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
    out += u'\n' + QLatin1String(propertiesHeader) + u'\n';
    out += QStringLiteral("CopyRight = ") + theme.author + u'\n';
    out += QStringLiteral("CreatedTime = \n");
    out += QStringLiteral("ThemeSize = \n");
    return out;
}

} // namespace ThemeDescriptor
