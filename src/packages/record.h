#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class ZConfig;

// What an application installation writes: the install places, the
// application registry record, the application ID and the menu folder.
namespace AppRecord {

inline constexpr char workDir[] = "/mmc/mmca1/.system/tempmpkg";
inline constexpr char phoneRegistry[] = "/ezxlocal/download/appwrite/am/UserRegistry";
inline constexpr char cardRegistry[] = "/mmc/mmca1/.system/java/CardRegistry";
inline constexpr char phoneRegistryTemp[] = "/ezxlocal/download/appwrite/am/UserTemp";
inline constexpr char cardRegistryTemp[] = "/mmc/mmca1/.system/java/CardTemp";
inline constexpr char menuTree[] = "/ezxlocal/download/appwrite/am/UserMenuTree";
// The menu folder that receives installed applications, and its key.
inline constexpr char menuFolder[] = "2a58c0d6-05c6-45aa-8938-63059d41a4e9";
inline constexpr char menuItems[] = "Items";
inline constexpr char idPrefix[] = "10000000-0000-0000-0000-";

struct Place {
    bool card;
    QString base;          // B: where the package's folder goes
    QString relativeBase;  // R: the same, as Directory records it
    QString registry;
    QString registryTemp;  // the sibling a new registry text is written to first
};

Place phone();
Place card();
// The place whose registry that is (the card's, or else the phone's).
Place ofRegistry(const QString& registry);

// The [Desktop Entry] values of an unpacked package.
struct DesktopEntry {
    QString name, directory, exec, icon, bigIcon, aniIcon, autorun;
};
DesktopEntry read(const ZConfig& desktop);

// The record appended to the place's registry: an empty first line, then
// "[ID]" through "Visible = 0". imeiLine is the first line of the program's
// IMEI file (card only; empty when it cannot be read).
QString record(const Place& place, const DesktopEntry& entry, const QString& id,
               const QString& imeiLine);

// The ID of a new application from the time stamp "date +%y%m%d%H%M%S"
// printed: the prefix and the stamp, or, while taken(id) says that one is
// in use, the stamp plus one, two, ... (as a number of the same width).
QString chooseId(const QString& stamp, const std::function<bool(const QString&)>& taken);

// The menu tree without an application: every "ID;" of it removed, the
// braces of its stored AppID left out, wherever the ID stands.
QByteArray menuTreeWithout(QByteArray tree, const QString& appId);

} // namespace AppRecord
