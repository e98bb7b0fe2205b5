// Soft keys, options menus and the screen that holds them.

#include <QKeyEvent>
#include <QSignalSpy>

#include "PlatformTest.h"
#include "ZKbMainWidget.h"
#include "ZOptionsMenu.h"
#include "ZSoftKey.h"

namespace {

class Counter : public QObject
{
    Q_OBJECT
public:
    int first = 0;
    int second = 0;
public slots:
    void onFirst() { ++first; }
    void onSecond() { ++second; }
};

class SoftKeyMenu : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ensureApplication();
        screen = new ZKbMainWidget(3, nullptr, "ZMainWidget", 0);
        keys = new ZSoftKey(nullptr, screen, screen);
        screen->setSoftKey(keys);
        menu = new ZOptionsMenu(QRect(QPoint(0, 0), QPoint(-1, -1)), keys, nullptr, 0, ZSkinService::clsZOptionsMenu);
        QPixmap icon(16, 16);
        icon.fill(Qt::blue);
        menu->insertItem(QStringLiteral("Remove"), nullptr, &icon, true, 0, 0);
        menu->insertSeparator(1, 1);
        menu->insertItem(QStringLiteral("About"), nullptr, &icon, true, 2, 2);
        EXPECT_TRUE(menu->connectItem(0, &counter, SLOT(onFirst())));
        EXPECT_TRUE(menu->connectItem(2, &counter, SLOT(onSecond())));
        EXPECT_FALSE(menu->connectItem(2, &counter, SLOT(noSuchSlot())));
        keys->setOptMenu(ZSoftKey::LEFT, menu);
        keys->setText(ZSoftKey::LEFT, QStringLiteral("Menu"));
        keys->setText(ZSoftKey::RIGHT, QStringLiteral("Exit"));
        keys->setTextForOptMenuHide(QStringLiteral("Menu"));
        keys->setTextForOptMenuShow(QStringLiteral("Select"), QStringLiteral("Cancel"));
        screen->show();
    }
    void TearDown() override { delete screen; }

    Counter counter;
    ZKbMainWidget* screen = nullptr;
    ZSoftKey* keys = nullptr;
    ZOptionsMenu* menu = nullptr;
};

void press(QWidget* w, int key)
{
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST_F(SoftKeyMenu, KeyWithMenuOpensItAndTheKeysServeTheMenu)
{
    QSignalSpy clicked(keys, &ZSoftKey::clicked);
    keys->click(ZSoftKey::LEFT);
    ASSERT_TRUE(menu->isOpen());
    EXPECT_EQ(keys->openMenu(), menu);
    EXPECT_EQ(keys->shownText(ZSoftKey::LEFT), QStringLiteral("Select"));
    EXPECT_EQ(keys->shownText(ZSoftKey::RIGHT), QStringLiteral("Cancel"));
    EXPECT_EQ(menu->parentWidget(), screen) << "laid over the screen while open";
    EXPECT_EQ(clicked.count(), 0);

    keys->click(ZSoftKey::RIGHT);
    EXPECT_FALSE(menu->isOpen());
    EXPECT_EQ(counter.first + counter.second, 0) << "the right key only closed the menu";
    EXPECT_EQ(menu->parentWidget(), keys) << "back with its owner";
    EXPECT_EQ(keys->shownText(ZSoftKey::LEFT), QStringLiteral("Menu"));

    keys->click(ZSoftKey::LEFT);
    keys->click(ZSoftKey::LEFT); // chooses the first entry
    EXPECT_EQ(counter.first, 1);
    EXPECT_FALSE(menu->isOpen());
}

TEST_F(SoftKeyMenu, EntriesInvokeTheirSlotsAndSeparatorsNothing)
{
    QSignalSpy activated(menu, &ZOptionsMenu::activated);
    menu->popup();
    menu->activateIndex(1);
    EXPECT_TRUE(menu->isOpen()) << "a separator cannot be chosen";
    menu->activateIndex(2);
    EXPECT_FALSE(menu->isOpen());
    EXPECT_EQ(counter.second, 1);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).toInt(), 2);
    menu->activateIndex(2);
    EXPECT_EQ(counter.second, 2) << "choosing also works on a closed menu";
    EXPECT_EQ(menu->count(), 3);
    EXPECT_TRUE(menu->isSeparator(1));
    EXPECT_EQ(menu->text(2), QStringLiteral("About"));
    EXPECT_EQ(menu->idAt(2), 2);
}

TEST_F(SoftKeyMenu, KeyboardDrivesScreenAndMenu)
{
    press(screen, Qt::Key_F1);
    ASSERT_TRUE(menu->isOpen());
    press(menu, Qt::Key_Down); // skips the separator
    EXPECT_EQ(menu->currentIndex(), 2);
    press(menu, Qt::Key_Down); // wraps
    EXPECT_EQ(menu->currentIndex(), 0);
    press(menu, Qt::Key_Up);
    press(menu, Qt::Key_Return);
    EXPECT_EQ(counter.second, 1);
    press(screen, Qt::Key_F1);
    press(menu, Qt::Key_Escape);
    EXPECT_FALSE(menu->isOpen());
}

TEST_F(SoftKeyMenu, PlainKeysCallTheirSlotAndASetSlotReplacesTheOld)
{
    QSignalSpy clicked(keys, &ZSoftKey::clicked);
    keys->setClickedSlot(ZSoftKey::RIGHT, &counter, SLOT(onFirst()));
    keys->setClickedSlot(ZSoftKey::RIGHT, &counter, SLOT(onSecond()));
    press(screen, Qt::Key_F2);
    EXPECT_EQ(counter.first, 0);
    EXPECT_EQ(counter.second, 1);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 1);

    keys->setOptMenu(ZSoftKey::LEFT, nullptr);
    keys->click(ZSoftKey::LEFT);
    EXPECT_FALSE(menu->isOpen());
    EXPECT_EQ(clicked.count(), 2) << "without a menu key 0 is a plain key";
}

TEST_F(SoftKeyMenu, DetachingTheOpenMenuClosesIt)
{
    keys->click(ZSoftKey::LEFT);
    keys->setOptMenu(ZSoftKey::LEFT, nullptr);
    EXPECT_FALSE(menu->isOpen());
    EXPECT_EQ(keys->openMenu(), nullptr);
}

#include "SoftKeyMenuTest.moc"
