#include "packages/staging.h"

namespace Staging {

QString partial(const QString& base, const QString& name)
{
    return base + QStringLiteral("/.") + name + QStringLiteral(".partial");
}

QString previous(const QString& base, const QString& name)
{
    return base + QStringLiteral("/.") + name + QStringLiteral(".previous");
}

bool isStagingName(const QString& name)
{
    return name.startsWith(u'.')
        && (name.endsWith(QLatin1String(".partial")) || name.endsWith(QLatin1String(".previous")));
}

} // namespace Staging
