// Main-window steps of a script, run against a small two-tab window.

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>

#include "PlatformTest.h"
#include "ZApplication.h"
#include "ZKbMainWidget.h"
#include "ZListBox.h"
#include "ZMessageDlg.h"
#include "ZNavTabWidget.h"
#include "ZOptionsMenu.h"
#include "ZSingleSelectDlg.h"
#include "ZSoftKey.h"

namespace {

class TestWindow : public ZKbMainWidget
{
    Q_OBJECT
public:
    TestWindow()
        : ZKbMainWidget(3, nullptr, "ZMainWidget", 0)
    {
        setMainWidgetTitle(QStringLiteral("Test"));
        tabs = new ZNavTabWidget(1, false, false, this, nullptr, ZSkinService::clsZNavTabWidget);
        for (int t = 0; t < 2; ++t) {
            lists[t] = new ZListBox(QStringLiteral("%I%M"), this, 0, ZSkinService::clsZListBox);
            for (int r = 0; r < 3; ++r) {
                auto* item = new ZListBoxItem(lists[t], QStringLiteral("%I%M"));
                item->appendSubItem(1, QStringLiteral("T%1 row %2").arg(t).arg(r));
                item->appendSubItem(1, QString::fromUtf8("línea %1").arg(r));
                lists[t]->insertItem(item, -1, true);
            }
            tabs->addTab(lists[t], QIcon(), QString());
        }
        connect(lists[0], SIGNAL(returnPressed(ZListBoxItem*)), this, SLOT(rowActivated(ZListBoxItem*)));
        setContentWidget(tabs);
        keys = new ZSoftKey(nullptr, this, this);
        menu = new ZOptionsMenu(QRect(), keys, nullptr, 0, ZSkinService::clsZOptionsMenu);
        menu->insertItem(QStringLiteral("Ask"), nullptr, nullptr, true, 0, 0);
        menu->insertSeparator(1, 1);
        menu->insertItem(QStringLiteral("Count"), nullptr, nullptr, true, 2, 2);
        menu->connectItem(0, this, SLOT(ask()));
        menu->connectItem(2, this, SLOT(count()));
        keys->setOptMenu(ZSoftKey::LEFT, menu);
        keys->setText(ZSoftKey::LEFT, QStringLiteral("Menu"));
        keys->setText(ZSoftKey::RIGHT, QStringLiteral("Exit"));
        keys->setClickedSlot(ZSoftKey::RIGHT, this, SLOT(count()));
        setSoftKey(keys);
        tabs->setCurrentPage(0);
    }

    ZNavTabWidget* tabs;
    ZListBox* lists[2];
    ZSoftKey* keys;
    ZOptionsMenu* menu;
    QStringList activated;
    int counted = 0;
    int answer = -1;

public slots:
    void rowActivated(ZListBoxItem* item) { activated << item->text(); }
    void count() { ++counted; }
    void ask()
    {
        ZSingleSelectDlg dlg(QStringLiteral("Pick"), QString(), nullptr, "ZSingleSelectDlg");
        dlg.addItemsList({QStringLiteral("one"), QStringLiteral("two")});
        answer = dlg.exec() == 1 ? dlg.getCheckedItemIndex() : -2;
    }
};

using MainWindowSteps = PlatformTest;

} // namespace

TEST_F(MainWindowSteps, RunInOrderAndQuitAfterTheLastLine)
{
    useScript(QStringLiteral("dump\n"
                             "activate 2\n"
                             "menu 0\n"
                             "check 1\n"
                             "tab 1\n"
                             "current 1\n"
                             "dump\n"
                             "menu 2\n"
                             "softkey 1\n"));
    TestWindow window;
    static_cast<ZApplication*>(qApp)->showMainWidget(&window);
    EXPECT_EQ(static_cast<ZApplication*>(qApp)->mainWidget(), &window);
    EXPECT_TRUE(window.activated.isEmpty()) << "steps wait for the event loop";
    EXPECT_EQ(runLoop(), 0);

    EXPECT_EQ(window.activated, QStringList{QStringLiteral("T0 row 2")});
    EXPECT_EQ(window.answer, 1);
    EXPECT_EQ(window.tabs->currentPageIndex(), 1);
    EXPECT_EQ(window.lists[1]->currentItem(), 1);
    EXPECT_EQ(window.counted, 2) << "menu 2 and soft key 1";

    const QList<QJsonObject> dumps = events(QStringLiteral("dump"));
    ASSERT_EQ(dumps.size(), 2);
    EXPECT_EQ(dumps.at(0).value(QStringLiteral("tab")).toInt(), 0);
    EXPECT_EQ(dumps.at(0).value(QStringLiteral("current")).toInt(), 0);
    const QJsonArray rows = dumps.at(0).value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(2).toArray(), (QJsonArray{QStringLiteral("T0 row 2"), QString::fromUtf8("línea 2")}));
    EXPECT_EQ(dumps.at(1).value(QStringLiteral("tab")).toInt(), 1);
    EXPECT_EQ(dumps.at(1).value(QStringLiteral("current")).toInt(), 1);

    const QList<QJsonObject> all = transcript();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all.at(1).value(QStringLiteral("event")).toString(), QStringLiteral("dialog"));
    EXPECT_EQ(all.at(1).value(QStringLiteral("answer")).toString(), QStringLiteral("check 1"));
}

TEST_F(MainWindowSteps, BadStepsAreRecordedAndTheRestStillRuns)
{
    useScript(QStringLiteral("tab 7\n"
                             "current -1\n"
                             "menu 1\n"
                             "accept\n"
                             "bogus\n"
                             "menu 0\n"
                             "softkey 1\n"));
    TestWindow window;
    static_cast<ZApplication*>(qApp)->showMainWidget(&window);
    EXPECT_EQ(runLoop(), 0);

    EXPECT_EQ(window.tabs->currentPageIndex(), 0);
    EXPECT_FALSE(window.menu->isOpen());
    EXPECT_EQ(window.answer, -2) << "menu 0 opened a dialog the next step could not answer";
    EXPECT_EQ(window.counted, 1);
    const QList<QJsonObject> errors = events(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 5);
    EXPECT_EQ(errors.at(0).value(QStringLiteral("line")).toString(), QStringLiteral("tab 7"));
    EXPECT_EQ(errors.at(2).value(QStringLiteral("line")).toString(), QStringLiteral("menu 1"));
    EXPECT_EQ(errors.at(3).value(QStringLiteral("line")).toString(), QStringLiteral("accept"));
    const QJsonObject dialog = events(QStringLiteral("dialog")).at(0);
    EXPECT_EQ(dialog.value(QStringLiteral("answer")).toString(), QStringLiteral("softkey 1"));
    EXPECT_EQ(dialog.value(QStringLiteral("result")).toInt(), 0);
}

TEST_F(MainWindowSteps, ShotPicturesTheScreenWithItsOpenMenu)
{
    const QString plain = path(QStringLiteral("plain.png"));
    const QString withMenu = path(QStringLiteral("menu.png"));
    useScript(QStringLiteral("shot %1\nsoftkey 0\nshot %2\n").arg(plain, withMenu));
    TestWindow window;
    static_cast<ZApplication*>(qApp)->showMainWidget(&window);
    EXPECT_EQ(runLoop(), 0);
    const QImage a(plain);
    const QImage b(withMenu);
    ASSERT_FALSE(a.isNull());
    ASSERT_FALSE(b.isNull());
    EXPECT_EQ(a.size(), QSize(240, 320));
    EXPECT_EQ(b.size(), QSize(240, 320));
    EXPECT_NE(a, b) << "the open menu shows in the second picture";
    EXPECT_EQ(events(QStringLiteral("shot")).size(), 2);
}

TEST_F(MainWindowSteps, ADialogShowsInItsShotAndLeavesNothingBehind)
{
    const QString before = path(QStringLiteral("before.png"));
    const QString during = path(QStringLiteral("during.png"));
    const QString after = path(QStringLiteral("after.png"));
    useScript(QStringLiteral("shot %1\nmenu 0\nshot %2\ncheck 1\nshot %3\n").arg(before, during, after));
    TestWindow window;
    static_cast<ZApplication*>(qApp)->showMainWidget(&window);
    EXPECT_EQ(runLoop(), 0);
    const QImage a(before);
    const QImage b(during);
    const QImage c(after);
    ASSERT_FALSE(a.isNull() || b.isNull() || c.isNull());
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c) << "menu, dialog and its shade are all gone";
}

TEST_F(MainWindowSteps, TabWidgetReportsChangesAndIgnoresBadIndexes)
{
    TestWindow window;
    QList<QWidget*> pages;
    QObject::connect(window.tabs, &ZNavTabWidget::currentChanged, [&pages](QWidget* w) { pages << w; });
    window.tabs->setCurrentPage(1);
    window.tabs->setCurrentPage(5);
    window.tabs->setCurrentPage(-1);
    window.tabs->setCurrentPage(1);
    EXPECT_EQ(pages, QList<QWidget*>{window.lists[1]});
    EXPECT_EQ(window.tabs->currentPage(), window.lists[1]);
    EXPECT_EQ(window.tabs->count(), 2);
}

TEST_F(MainWindowSteps, CommandsAreRecordedOneJsonLineEach)
{
    ZAutomation::recordCommand(QStringLiteral("cat \"a b\" > /tmp/x; echo 'ñ'\n"));
    const QList<QJsonObject> all = transcript();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all.at(0).value(QStringLiteral("event")).toString(), QStringLiteral("command"));
    EXPECT_EQ(all.at(0).value(QStringLiteral("command")).toString(),
              QString::fromUtf8("cat \"a b\" > /tmp/x; echo 'ñ'\n"));
}

#include "MainWindowStepsTest.moc"
