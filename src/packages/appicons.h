#pragma once

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <optional>

// The pictures of the applications list. A row shows the file its BigIcon
// names, or the program's own apps.png when that file cannot be loaded;
// a picture more than 19 pixels high is scaled smoothly to exactly 19 by 19.
// Each file is decoded once, however many rows name it, and only when a row
// showing it is first painted.
class AppIcons
{
public:
    // What a row is laid out as before its picture is made: the size that
    // the usual picture, one scaled down, has.
    static constexpr QSize rowSize{19, 19};

    explicit AppIcons(const QString& fallbackFile);

    // The picture for a row whose BigIcon value is file.
    QPixmap icon(const QString& file);

    // A loaded picture as a row shows it.
    static QPixmap forRow(const QPixmap& picture);

private:
    QPixmap fallback();

    QString m_fallbackFile;
    std::optional<QPixmap> m_fallback;
    QHash<QString, QPixmap> m_made; // by file, as shown
};
