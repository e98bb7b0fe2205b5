// The soft keys and the options menus of the tabs.

#include "vardel.h"

#include <QApplication>
#include <QPixmap>
#include <QRect>

#include <iterator>
#include <vector>

#include <ZConfig.h>
#include <ZOptionsMenu.h>
#include <ZSkinService.h>
#include <ZSoftKey.h>

#include "shell/changegate.h"
#include "shell/paths.h"

// One position of an options menu: an entry (icon, text ID, slot of the
// window or, for quit, of the application) or, without icon, a separator.
// An entry that changes the phone runs its slot under the program's lock.
struct Vardel::MenuEntry {
    const char* icon;
    const char* textId;
    const char* slot;
    bool quits;
    bool changes;
};

void Vardel::Create_SoftKey()
{
    const ZConfig lang(langFile, false);
    softKey->setOptMenu(ZSoftKey::LEFT, optMenu);
    softKey->setText(ZSoftKey::LEFT, text(lang, "MENU_MENU"), 0);
    softKey->setTextForOptMenuHide(text(lang, "MENU_MENU"));
    softKey->setTextForOptMenuShow(text(lang, "MENU_SELECT"), text(lang, "MENU_CANCEL"));
    softKey->setText(ZSoftKey::RIGHT, text(lang, "MENU_EXIT"), 0);
    softKey->setClickedSlot(ZSoftKey::RIGHT, qApp, SLOT(quit()));
}

void Vardel::buildMenu(std::initializer_list<MenuEntry> own)
{
    static constexpr MenuEntry separator{nullptr, nullptr, nullptr, false, false};
    static const MenuEntry common[] = {
        {"images/lang.png", "MENU_LANGUAGE", SLOT(language()), false, true},
        {"images/history.png", "MENU_HISTORY", SLOT(Historial()), false, true},
        separator,
        {"images/about.png", "MENU_ABOUT", SLOT(about()), false, false},
        {"images/exit.png", "MENU_EXIT", nullptr, true, false},
    };
    std::vector<MenuEntry> entries(own);
    if (!entries.empty())
        entries.push_back(separator);
    entries.insert(entries.end(), std::begin(common), std::end(common));

    const ZConfig lang(langFile, false);
    optMenu = new ZOptionsMenu(QRect(QPoint(0, 0), QPoint(-1, -1)), softKey, nullptr, 0,
                               ZSkinService::clsZOptionsMenu);
    optMenu->setItemSpacing(10);
    for (int position = 0; position < int(entries.size()); ++position) {
        const MenuEntry& entry = entries[size_t(position)];
        if (!entry.icon) {
            optMenu->insertSeparator(position, position);
            continue;
        }
        const QPixmap icon = Paths::loadPixmap(progDir + QLatin1String(entry.icon));
        optMenu->insertItem(text(lang, entry.textId), nullptr, &icon, true, position, position);
        if (entry.quits)
            optMenu->connectItem(position, qApp, SLOT(quit()));
        else if (entry.changes)
            optMenu->connectItem(position, new ChangeGate(this, entry.slot, optMenu), SLOT(run()));
        else
            optMenu->connectItem(position, this, entry.slot);
    }
}

void Vardel::Create_MenuApp()
{
    buildMenu({
        {"images/remove.png", "MENU_UNINSTALL", SLOT(BorrarMPKG()), false, true},
        {"images/install.png", "MENU_INSTALL", SLOT(InstalarDesdeMenu()), false, true},
    });
}

void Vardel::Create_MenuAutorun()
{
    buildMenu({
        {"images/runadd.png", "MENU_RUNADD", SLOT(AutorunAdd()), false, true},
        {"images/runremove.png", "MENU_RUNDELETE", SLOT(AutorunRemove()), false, true},
    });
}

void Vardel::Create_MenuConfig()
{
    buildMenu({});
}

void Vardel::Create_MenuTheme()
{
    buildMenu({
        {"images/skindel.png", "MENU_UNINSTALL", SLOT(BorrarTema()), false, true},
        {"images/install.png", "MENU_INSTALL", SLOT(InstalarDesdeMenu()), false, true},
    });
}

bool Vardel::createMenuOfTab(int tab)
{
    switch (tab) {
    case 0:
        Create_MenuApp();
        return true;
    case 1:
        Create_MenuAutorun();
        return true;
    case 2:
    case 3:
        Create_MenuConfig();
        return true;
    case 4:
        Create_MenuTheme();
        return true;
    default:
        return false;
    }
}
