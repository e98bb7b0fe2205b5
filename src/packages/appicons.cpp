#include "packages/appicons.h"

#include "shell/paths.h"

AppIcons::AppIcons(const QString& fallbackFile)
    : m_fallbackFile(fallbackFile)
{
}

QPixmap AppIcons::forRow(const QPixmap& picture)
{
    if (picture.height() > rowSize.height())
        return picture.scaled(rowSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return picture;
}

QPixmap AppIcons::fallback()
{
    if (!m_fallback)
        m_fallback = forRow(Paths::loadPixmap(m_fallbackFile));
    return *m_fallback;
}

QPixmap AppIcons::icon(const QString& file)
{
    const auto made = m_made.constFind(file);
    if (made != m_made.constEnd())
        return *made;
    const QPixmap loaded = Paths::loadPixmap(file);
    const QPixmap shown = loaded.isNull() ? fallback() : forRow(loaded);
    m_made.insert(file, shown);
    return shown;
}
