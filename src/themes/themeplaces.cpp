#include "themes/themeplaces.h"

#include <QLatin1String>

namespace ThemePlaces {

namespace {

// The part of path after base + "/", when path starts with that; else null.
QString below(const QString& path, const char* base)
{
    const QString prefix = QLatin1String(base) + u'/';
    if (!path.startsWith(prefix))
        return QString();
    return path.mid(prefix.size());
}

bool isDirectChild(const QString& path, const char* base)
{
    return isFileName(below(path, base));
}

} // namespace

bool isFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(u'/') && !name.contains(QChar(0)) && name.size() <= 255;
}

bool isInstallable(const QString& themeName, const QString& folder)
{
    return isFileName(folder) && isFileName(folder + QLatin1String(".phm"))
        && !themeName.isEmpty() && isFileName(themeName + QLatin1String(".chm"));
}

bool isRemovableSkin(const QString& skin, bool firmwareArea)
{
    return isDirectChild(skin, phoneSkins) || isDirectChild(skin, cardSkins)
        || (firmwareArea && isDirectChild(skin, firmwareSkins));
}

bool isRemovableDescriptor(const QString& path, bool firmwareArea)
{
    return isDirectChild(path, installedDescriptors) || (firmwareArea && isDirectChild(path, firmwareDescriptors));
}

} // namespace ThemePlaces
