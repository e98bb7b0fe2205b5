#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

#include <ZKbMainWidget.h>

class BusyLock;
class QTextCodec;
class ZApplication;
class ZConfig;
class ZListBox;
class ZListBoxItem;
class ZNavTabWidget;
class ZNoticeDlg;
class ZNumPickerDlg;
class ZOptionsMenu;
class ZSoftKey;
namespace PackageListing {
struct Result;
}
namespace AppRecord {
struct Place;
struct DesktopEntry;
}

// The application object, set by main() and cleared after it is deleted.
extern ZApplication* app;
// The UTF-8 codec that texto() decodes Unicode language files with.
extern QTextCodec* txtcodec;
// The program directory as the file browser last computed it.
extern QString ProgDir;

// The program's one window. It holds all state of the program; each
// subsystem adds its operations as members (src/shell, src/packages,
// src/autorun, src/themes, src/settings, src/antitheft).
class Vardel : public ZKbMainWidget
{
    Q_OBJECT
public:
    // Does all start-up work: finds the program directory and the language,
    // then either builds and shows the window, or does the work of a
    // windowless start (package installation, SIM check) and ends it.
    Vardel(const QString& argument, QWidget* parent, const char* name, int flags);
    ~Vardel() override;

    // True when the constructor ran a windowless mode: there is no window
    // and the process has nothing left to do.
    bool endsWithoutWindow() const { return windowless; }

    QString getProgramDir();

    // Display text of language-file bytes (or bytes read from other files),
    // decoded as the current language file's UNICODE entry says. That entry
    // is read once per language: again when langFile names another file or
    // the language chooser has run.
    QString texto(const char* bytes);
    QString texto(const QByteArray& bytes);
    // Text ID looked up in an opened language file, through texto().
    QString text(const ZConfig& lang, const char* id);

    QString getFileName(const QString& path);

    void CreateWindow(QWidget* parent);
    void Create_SoftKey();
    void Create_MenuApp();
    void Create_MenuAutorun();
    void Create_MenuConfig();
    void Create_MenuTheme();

    // Builds the options menu of tab 0 to 4 into optMenu (tabs 2 and 3 share
    // one); false, and nothing built, for any other index.
    bool createMenuOfTab(int tab);

    // Empties a list by removing its row 0 for as long as it has rows.
    static void emptyList(ZListBox* list);

    // Which row is current once a list is filled again: what its loading
    // method chose; the row of the same place as before (the last one when
    // the list got shorter); or the first row the list did not have before
    // (rows told by all their texts), else the same place.
    enum class Highlight { AsLoaded, Kept, Added };
    // Empties the list, fills it with load and makes a row current as
    // highlight says.
    void refillList(ZListBox* list, void (Vardel::*load)(), Highlight highlight);

    // A ZMessageDlg titled "Vardel", run modally and deleted; its result. A
    // wait message (type 3) closes itself after 200 ms.
    int message(const QString& text, int type);
    // A yes/no question (type 1): true for yes.
    bool askYesNo(const QString& question);
    // The timed notice over the window (type 0 success, 1 other; 3000 or
    // 8000 milliseconds), shown through noticeDlg without waiting.
    void timedNotice(int type, int msec, const QString& text);

    // "Brenik" on the firmware variant whose /usr/data_resource accepts new
    // files (themes and fonts then go into the phone's own areas).
    QString checkBrenik();

    // Runs work while this process holds the program's lock (see
    // src/shell/oneatatime.cpp): at once when no other Vardel holds it,
    // else after the wait message, as soon as the other lets go. After a
    // minute it gives up, tells VARDEL_BUSY and returns false without
    // running work. Calls nest.
    bool oneAtATime(const std::function<void()>& work);
    bool beginChange();
    void endChange();

    // Installs the unpacked application whose desktop entry Instalar read
    // and checked: the record, the folder and the start-up entry come from
    // that very value, never from the scratch file again.
    void InstalarApp(const QString& package, const AppRecord::DesktopEntry& desktop);

public slots:
    void Instalar(const QString& path);
    void InstalarSkin(const QString& package, const QString& themeName);
    void InstalarSkinBrenik(const QString& package, const QString& themeName);
    void about();
    void salir();
    void language();
    // The recorded changes, newest first; the one chosen is undone.
    void Historial();
    // Both return false, after telling the user, when a file could not be
    // rewritten (it keeps its old text).
    bool LimpiarCR();
    void IngresoClave();
    bool AsociarMPKGs();
    void CargarListaApps();
    void CargarListaConfig();
    void CargarListaSkins();
    void CargarListaAutorun();
    void CargarListaRobo();
    void EntradaAutorun(const QString& name, int row, const QString& enabled);
    void AutorunAdd();
    void AutorunRemove();
    void EjecutarMPKG();
    void BuscarMPKG();
    // The install entry of the applications and themes menus: the package
    // search, then the lists a package may have changed, reloaded.
    void InstalarDesdeMenu();
    void BorrarMPKG();
    void BorrarTema();
    void BT_Discover();
    void Time_Alarm();
    void ID_Contacts();
    void SMS_Empty();
    void Sidebar();
    void Slider();
    void Cron();
    void Inetd();
    void Antirrobo();
    void zWardlex(const QString& numbers);
    void Equalize();
    void getIMEI();
    void ChangeFont(const QString& current);
    void SelectFont(const QString& current);
    void runZWardlex();
    void SendSMS(const QString& number, const QString& message);
    void slotCurrentChanged(QWidget* page);
    void appClicked(ZListBoxItem* item);
    void runClicked(ZListBoxItem* item);
    void itemClicked(ZListBoxItem* item);

public:
    QString progDir;
    QString langFile;
    ZNumPickerDlg* numPickerDlg = nullptr;
    ZNoticeDlg* noticeDlg = nullptr;
    ZListBox* listaApps = nullptr;
    ZListBox* listaAutorun = nullptr;
    ZListBox* listaConfig = nullptr;
    ZListBox* listaSkins = nullptr;
    ZListBox* listaRobo = nullptr;
    ZNavTabWidget* tabWidget = nullptr;
    ZSoftKey* softKey = nullptr;
    ZOptionsMenu* optMenu = nullptr;

private:
    // Builds one options menu: the tab's own entries (see the Create_Menu*),
    // then those every menu ends with.
    struct MenuEntry;
    void buildMenu(std::initializer_list<MenuEntry> own);

    bool windowless = false;
    std::unique_ptr<BusyLock> busyLock;
    int changeDepth = 0;

    // Whether the current language file is UTF-8 (its UNICODE entry), read
    // once per language file and again after a language choice.
    bool languageIsUnicode();
    // What texto() last read: the language file and its encoding.
    QString textoLanguage;
    bool textoUnicode = false;
    bool textoKnown = false;

    // Helpers of the subsystems, each in its own folder.
    // packages (src/packages)
    // Tells the user the package cannot be installed and removes the work
    // directory and the desktop scratch file; nothing else on the phone has
    // changed.
    void pkgRefuse();
    // True when the desktop scratch file holds every byte of the unpacked
    // package's desktop files.
    bool pkgDesktopCopied(const QString& topDirectory);
    // Installs the unpacked application into the place: folder, menu tree,
    // start-up entry, record. False, with everything it did taken back,
    // when a step fails.
    bool pkgInstallApp(const AppRecord::Place& place, const AppRecord::DesktopEntry& desktop);
    // The checks of a package once unpacked, its desktop entries read: see
    // Instalar. False when it must be refused.
    bool pkgUnpackedAccepted(const ZConfig& desktop, const PackageListing::Result& listing);
    // Rewrites one registry tidily through its temporary file (from its
    // bytes when given, already read); a registry that exists but cannot be
    // read is left as it is, and a tidy one is not written. False when the
    // rewrite failed (the registry keeps its old text).
    bool pkgCleanRegistry(const QString& registry, const QString& temp,
                          const std::optional<QByteArray>& read = std::nullopt);
    // The current row of the applications list: its name as shown and the
    // registry its location line names. False when no row is current.
    bool pkgCurrentApp(QString* name, QString* registry);
    // Rewrites the registry without the section [id]. False, and the
    // registry left as it is, when it cannot be read, holds no such section
    // or cannot be written.
    bool pkgRemoveRecord(const QString& registry, const QString& id);
    bool pkgRemoveMenuId(const QString& appId);
    // Removes an application's folder when it lies inside an install base.
    void pkgRemoveDirectory(const QString& directory);
    // Once the application's folder is gone, removes the start-up script
    // entries that run a program inside it; the other lines stay as they are.
    void pkgRemoveStartupEntries(const QString& directory);
    // True when a record of that shown name in the registry is this program
    // itself (its folder holds the running program).
    bool pkgRemovesThisProgram(const QString& name, const QString& registry);
    // texto() with the language file already opened.
    QString pkgTexto(const ZConfig& lang, const QString& bytes);

    // autorun (src/autorun)
    // Shows the switch of the cron or inetd row, records the choice under
    // key in Vardel.cfg and makes that row current again.
    void recordSwitch(const char* titleId, const char* key, int row);
    // Rewrites the start-up script with change(its lines) unless it cannot
    // be read, then reloads the autorun list.
    template <typename Change>
    void rewriteAutorun(const Change& change, Highlight highlight);
    // True when the guard is on and an entry of that name (one switched on,
    // with onlyEnabled) runs this program: changing it needs the password.
    bool autorunGuarded(const QString& name, bool onlyEnabled);

    // themes (src/themes)
    enum class SkinPlace : int;
    // The installation of the unpacked theme package into one place, from
    // the wait message to the theme settings application.
    void installTheme(SkinPlace place);
    // The theme package, when it allows a safe install into the firmware's
    // theme area or the ordinary places; otherwise the package is refused
    // (INSTALL_ERROR), its work directory and desktop scratch file removed,
    // and false returned.
    bool themePackageAccepted(bool firmware);
    // Tells the user the theme package cannot be installed, and removes the
    // work directory and the desktop scratch file.
    void refuseThemePackage();

    // settings (src/settings)
    // The number picker of one of NumericSettings::all, by its index.
    void editNumber(int setting);
    // The on/off editor of a flag-table setting (a FlexBits::Switch).
    void editFlexSwitch(int which);
    // The font choice on either firmware: a font file's path, or "NO" for
    // the system font; recorded in the settings file.
    void applyFont(const QString& fontPath);

    // history (src/history)
    // A change in the user's words: the title (a text ID, or a row's
    // label) and the new value, when there is one.
    QString historyDescription(const char* titleId, const QString& value);
    QString historyDescription(const QString& title, const QString& value);
    // A row's label with the value the list now shows under it.
    QString historyRowDescription(const QString& label);

    // anti-theft (src/antitheft)
    // Writes the anti-theft settings file with the numbers and the SIM card
    // now in the phone (the one recorded before when it cannot be read);
    // a file that cannot be written whole is kept, and the user told.
    void saveNumbers(const QString& numbers);

public:
    // True while the guard is switched on (the flag file zWardlex exists).
    bool guardOn() const;
    // The security tab's password check: asks for the password; a wrong
    // one is told, a cancelled entry is not. True for the stored password.
    bool passwordAccepted();
    // True when an application record's Directory is a folder a removal
    // would delete and that folder holds this program.
    bool holdsThisProgram(const QString& directory);
    // True when a start-up script command line (switched on or off) runs
    // this program or another file of its folder.
    bool runsThisProgram(const QString& command);
    // The start-up script's command line that runs this program's SIM
    // check, and whether a command line (switched on or off) runs it.
    QString simCheckCommand();
    bool runsSimCheck(const QString& command);
    // Switching the guard on makes sure the start-up script has an entry,
    // switched on, that runs the SIM check (WARDLEX_BOOTENTRY, added when
    // none runs it); switching it off switches every such entry off.
    void guardBootEntry(bool on);
};
