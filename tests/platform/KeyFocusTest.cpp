// After a menu, dialog or notice closes, the keys a person presses reach the
// shown list again, also where no window manager activates the window below.

#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "PlatformTest.h"
#include "ZApplication.h"
#include "ZKbMainWidget.h"
#include "ZListBox.h"
#include "ZListBoxItem.h"
#include "ZMessageDlg.h"
#include "ZNavTabWidget.h"
#include "ZNoticeDlg.h"
#include "ZNumPickerDlg.h"
#include "ZOptionsMenu.h"
#include "ZSoftKey.h"

namespace {

// Where a key pressed on the keyboard goes: to a modal dialog that shows
// (it takes the input focus), else to the active window or, with none, to
// the window under the pointer, which is the phone's screen.
void press(QWidget* screen, int key)
{
    QWindow* target = QGuiApplication::focusWindow();
    if (QWidget* modal = QApplication::activeModalWidget())
        target = modal->windowHandle();
    else if (!target || !target->isVisible())
        target = screen->windowHandle();
    QTest::keyClick(target, Qt::Key(key));
}

class KeyFocus : public PlatformTest
{
public:
    enum Entry { Ask, Notice, Screen };

    void SetUp() override
    {
        PlatformTest::SetUp();
        screen = new ZKbMainWidget(3, nullptr, "ZMainWidget", 0);
        auto* tabs = new ZNavTabWidget(1, false, false, screen, nullptr, ZSkinService::clsZNavTabWidget);
        list = new ZListBox(QStringLiteral("%I%M"), screen, 0, ZSkinService::clsZListBox);
        for (int i = 0; i < 6; ++i) {
            auto* row = new ZListBoxItem(list, QStringLiteral("%I%M"));
            row->appendSubItem(1, QStringLiteral("row %1").arg(i));
            list->insertItem(row);
        }
        tabs->addTab(list, QIcon(), QString());
        tabs->addTab(new ZListBox(QStringLiteral("%I%M"), screen, 0, ZSkinService::clsZListBox), QIcon(), QString());
        screen->setContentWidget(tabs);
        auto* keys = new ZSoftKey(nullptr, screen, screen);
        screen->setSoftKey(keys);
        auto* menu = new ZOptionsMenu(QRect(QPoint(0, 0), QPoint(-1, -1)), keys, nullptr, 0);
        for (const char* text : {"Ask", "Notice", "Screen"})
            menu->insertItem(QString::fromLatin1(text), nullptr, nullptr);
        keys->setOptMenu(ZSoftKey::LEFT, menu);
        QObject::connect(menu, &ZOptionsMenu::activated, screen, [this](int id) { choose(id); });
        QObject::connect(list, &ZListBox::returnPressed, screen, [this] {
            ZNumPickerDlg picker(10, screen, "ZNumPickerDlg");
            answerWithKeys();
            picker.exec();
        });
        static_cast<ZApplication*>(qApp)->showMainWidget(screen);

        // Another window had the keys and went away: as without a window
        // manager, nothing made the screen the active window again.
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.hide();
        list->setCurrentItem(0);
    }

    void TearDown() override
    {
        delete screen;
        screen = nullptr;
        PlatformTest::TearDown();
    }

    void choose(int entry)
    {
        switch (entry) {
        case Ask: {
            ZMessageDlg question(QStringLiteral("Vardel"), QStringLiteral("Sure?"), ZMessageDlg::TypeChoose, 0,
                                 nullptr, "ZMessageDlg");
            answerWithKeys();
            question.exec();
            break;
        }
        case Notice:
            notice = new ZNoticeDlg(ZNoticeDlg::Other, 3000, QString(), QStringLiteral("Done"), screen, "z");
            notice->show();
            break;
        case Screen: {
            // A full-screen dialog whose right key closes it.
            auto* dialog = new ZKbMainWidget(3, nullptr, "ZMainWidget", 3);
            auto* keys = new ZSoftKey(nullptr, dialog, dialog);
            keys->setClickedSlot(ZSoftKey::RIGHT, dialog, SLOT(close()));
            dialog->setCSTWidget(keys);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->show();
            break;
        }
        }
    }

    // The keys a person presses into the dialog about to run, once it waits.
    void answerWithKeys()
    {
        QTimer::singleShot(0, screen, [this, keys = dialogKeys] {
            for (int key : keys)
                press(screen, key);
        });
    }

    ZKbMainWidget* screen = nullptr;
    ZListBox* list = nullptr;
    QPointer<ZNoticeDlg> notice;
    QList<int> dialogKeys;
};

TEST_F(KeyFocus, ArrowsMoveTheListAfterEveryKindOfPopup)
{
    const struct {
        const char* kind;
        std::function<void(KeyFocus*)> open;
    } cases[] = {
        {"menu closed with Escape", [](KeyFocus* t) { press(t->screen, Qt::Key_F1); press(t->screen, Qt::Key_Escape); }},
        {"question from a menu entry",
         [](KeyFocus* t) {
             t->dialogKeys = {Qt::Key_F1};
             press(t->screen, Qt::Key_F1);
             press(t->screen, Qt::Key_Return);
         }},
        {"number picker from a row",
         [](KeyFocus* t) {
             t->dialogKeys = {Qt::Key_1, Qt::Key_Escape};
             press(t->screen, Qt::Key_Return);
         }},
        {"notice from a menu entry",
         [](KeyFocus* t) {
             press(t->screen, Qt::Key_F1);
             press(t->screen, Qt::Key_Down);
             press(t->screen, Qt::Key_Return);
             ASSERT_TRUE(t->notice);
             t->notice->close();
         }},
        {"full-screen dialog from a menu entry",
         [](KeyFocus* t) {
             press(t->screen, Qt::Key_F1);
             press(t->screen, Qt::Key_Up);
             press(t->screen, Qt::Key_Return);
             press(t->screen, Qt::Key_F2);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        TearDown();
        SetUp();
        c.open(this);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(QApplication::topLevelWidgets().contains(screen));
        EXPECT_EQ(screen->focusWidget(), list);
        press(screen, Qt::Key_Down);
        press(screen, Qt::Key_Down);
        EXPECT_EQ(list->currentItem(), 2);
    }
}

} // namespace
