// The main window: its tabs and lists, tab changes and the confirmed quit.

#include "vardel.h"

#include <QApplication>
#include <QHash>
#include <QIcon>
#include <QPixmap>

#include <ZApplication.h>
#include <ZMessageDlg.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>
#include <ZNavTabWidget.h>
#include <ZSkinService.h>
#include <ZSoftKey.h>

#include "shell/paths.h"

namespace {

QList<QStringList> rowTexts(const ZListBox* list)
{
    QList<QStringList> rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->allTexts();
    return rows;
}

// The first row of after that before did not have (as often), or -1.
int firstAddedRow(const QList<QStringList>& before, const QList<QStringList>& after)
{
    QHash<QString, int> left;
    for (const QStringList& row : before)
        ++left[row.join(QChar(0))];
    for (int i = 0; i < after.size(); ++i) {
        int& same = left[after[i].join(QChar(0))];
        if (same == 0)
            return i;
        --same;
    }
    return -1;
}

} // namespace

void Vardel::CreateWindow(QWidget* /*parent*/)
{
    setMainWidgetTitle(QStringLiteral("Vardel"));
    getIMEI();

    tabWidget = new ZNavTabWidget(1, false, false, this, nullptr, ZSkinService::clsZNavTabWidget);

    auto makeList = [this](const char* layout) {
        auto* list = new ZListBox(QString::fromLatin1(layout), this, 0, ZSkinService::clsZListBox);
        list->setFixedWidth(240);
        return list;
    };
    listaApps = makeList("%I%M%I");
    listaAutorun = makeList("%I%M");
    listaConfig = makeList("%I%M");
    listaSkins = makeList("%I%M");
    listaRobo = makeList("%I%M");

    const struct {
        ZListBox* list;
        const char* icon;
    } tabs[] = {
        {listaApps, "/images/apps.png"},
        {listaAutorun, "/images/autorun.png"},
        {listaConfig, "/images/modd.png"},
        {listaRobo, "/images/security.png"},
        {listaSkins, "/images/themes.png"},
    };
    for (const auto& tab : tabs) {
        tabWidget->addTab(tab.list, QIcon(Paths::loadPixmap(progDir + QLatin1String(tab.icon))),
                          QString());
    }

    CargarListaApps();
    connect(listaApps, &ZListBox::returnPressed, this, &Vardel::appClicked);
    CargarListaConfig();
    // The rows of these lists open editors: each runs under the program's
    // lock. Starting an application takes it only to read the registries.
    const auto changing = [this](void (Vardel::*handler)(ZListBoxItem*)) {
        return [this, handler](ZListBoxItem* item) { oneAtATime([&] { (this->*handler)(item); }); };
    };
    connect(listaConfig, &ZListBox::returnPressed, this, changing(&Vardel::itemClicked));
    CargarListaAutorun();
    connect(listaAutorun, &ZListBox::returnPressed, this, changing(&Vardel::runClicked));
    CargarListaSkins();
    CargarListaRobo();
    connect(listaRobo, &ZListBox::returnPressed, this, changing(&Vardel::itemClicked));

    setContentWidget(tabWidget);
    softKey = new ZSoftKey(nullptr, this, this);
    Create_MenuApp();
    connect(tabWidget, &ZNavTabWidget::currentChanged, this, &Vardel::slotCurrentChanged);
    Create_SoftKey();
    setSoftKey(softKey);
    tabWidget->setCurrentPage(0);
}

void Vardel::refillList(ZListBox* list, void (Vardel::*load)(), Highlight highlight)
{
    const QList<QStringList> before = rowTexts(list);
    const int current = list->currentItem();
    emptyList(list);
    (this->*load)();
    if (highlight == Highlight::AsLoaded || list->count() == 0)
        return;
    int row = highlight == Highlight::Added ? firstAddedRow(before, rowTexts(list)) : -1;
    if (row < 0 && current >= 0)
        row = qMin(current, list->count() - 1);
    if (row >= 0)
        list->setCurrentItem(row);
}

void Vardel::slotCurrentChanged(QWidget* /*page*/)
{
    softKey->setOptMenu(ZSoftKey::LEFT, nullptr);
    if (createMenuOfTab(tabWidget->currentPageIndex()))
        softKey->setOptMenu(ZSoftKey::LEFT, optMenu);
}

void Vardel::salir()
{
    if (askYesNo(QStringLiteral(
            "Desea salir?\nRecuerde que algunos cambios no tendran efecto hasta reiniciar.")))
        QApplication::quit();
}
