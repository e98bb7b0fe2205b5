#include "packages/record.h"

#include <ZConfig.h>

namespace AppRecord {

Place phone()
{
    return {false, QStringLiteral("/ezxlocal/download/mystuff/.system/QTDownLoad"),
            QStringLiteral("../../ezxlocal/download/mystuff/.system/QTDownLoad"),
            QString::fromLatin1(phoneRegistry), QString::fromLatin1(phoneRegistryTemp)};
}

Place card()
{
    return {true, QStringLiteral("/mmc/mmca1/.system/QTDownLoad"),
            QStringLiteral("../../mmc/mmca1/.system/QTDownLoad"), QString::fromLatin1(cardRegistry),
            QString::fromLatin1(cardRegistryTemp)};
}

Place ofRegistry(const QString& registry)
{
    return registry == QLatin1String(cardRegistry) ? card() : phone();
}

DesktopEntry read(const ZConfig& desktop)
{
    const QString group = QStringLiteral("Desktop Entry");
    auto value = [&](const char* key) { return desktop.readEntry(group, QLatin1String(key), QString()); };
    return {value("Name"),    value("Directory"), value("Exec"),   value("Icon"),
            value("BigIcon"), value("AniIcon"),   value("Autorun")};
}

QString record(const Place& place, const DesktopEntry& e, const QString& id, const QString& imeiLine)
{
    const QString folder = place.base + u'/' + e.directory + u'/';
    QStringList lines{
        QString(),
        u'[' + id + u']',
        QStringLiteral("AppID = {") + id + u'}',
        QStringLiteral("AniIcon = ") + folder + e.aniIcon,
        QStringLiteral("Args = "),
        QStringLiteral("Attribute = 1"),
        QStringLiteral("BigIcon = ") + folder + e.bigIcon,
        QStringLiteral("Daemon = 0"),
        QStringLiteral("Directory = ") + place.relativeBase + u'/' + e.directory,
        QStringLiteral("Exec = ") + e.exec,
    };
    if (place.card)
        lines << imeiLine;
    lines << QStringLiteral("FixedAllPosition = 0") << QStringLiteral("FixedPosition = 0")
          << QStringLiteral("GroupID = ezx")
          << (e.icon.isEmpty() ? QStringLiteral("Icon = ") : QStringLiteral("Icon = ") + folder + e.icon)
          << QStringLiteral("LockEnabled = 0") << QStringLiteral("MassStorageStatus = 1")
          << QStringLiteral("Name = ") + e.name << QStringLiteral("Type = 2")
          << QStringLiteral("UserID = root") << QStringLiteral("Visible = 0");
    return lines.join(u'\n');
}

namespace {

// The decimal number of the digits plus one, as wide as before at least.
QString plusOne(const QString& digits)
{
    QString next = digits;
    for (qsizetype i = next.size() - 1; i >= 0; --i) {
        if (next[i] != u'9') {
            next[i] = QChar(next[i].unicode() + 1);
            return next;
        }
        next[i] = u'0';
    }
    return u'1' + next;
}

bool allDigits(const QString& text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

QString chooseId(const QString& stamp, const std::function<bool(const QString&)>& taken)
{
    const QString prefix = QString::fromLatin1(idPrefix);
    QString id = prefix + stamp;
    if (!taken(id))
        return id;
    // A stamp that is no number (date failed) counts from zero.
    QString number = allDigits(stamp) && !stamp.isEmpty() ? stamp : QStringLiteral("0");
    do {
        number = plusOne(number);
        id = prefix + number;
    } while (taken(id));
    return id;
}

QByteArray menuTreeWithout(QByteArray tree, const QString& appId)
{
    const QByteArray id = QString(appId).remove(u'{').remove(u'}').toLatin1();
    return id.isEmpty() ? tree : tree.replace(id + ';', QByteArray());
}

} // namespace AppRecord
