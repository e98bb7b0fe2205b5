// The phone screen's parts, and dialogs answered from the keyboard.

#include <QKeyEvent>
#include <QTimer>

#include "PlatformTest.h"
#include "ZApplication.h"
#include "ZKbMainWidget.h"
#include "ZListBox.h"
#include "ZMessageDlg.h"
#include "ZMultiLineEdit.h"
#include "ZNavTabWidget.h"
#include "ZSingleSelectDlg.h"
#include "ZSoftKey.h"

namespace {

using ScreenAndKeys = PlatformTest;

// Sends keys to whatever has the focus once the dialog's loop runs.
void typeLater(QList<int> keys)
{
    QTimer::singleShot(0, [keys] {
        for (int key : keys) {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &press);
        }
    });
}

} // namespace

TEST_F(ScreenAndKeys, ScreenHoldsContentAndBarsAndFocusesTheShownList)
{
    ZKbMainWidget screen(3, nullptr, "ZMainWidget", 0);
    EXPECT_EQ(screen.size(), QSize(240, 320));
    screen.setMainWidgetTitle(QStringLiteral("Title"));
    EXPECT_EQ(screen.mainWidgetTitle(), QStringLiteral("Title"));

    auto* tabs = new ZNavTabWidget(1, false, false, &screen, nullptr, ZSkinService::clsZNavTabWidget);
    auto* first = new ZListBox(QStringLiteral("%I%M"), &screen, 0, ZSkinService::clsZListBox);
    auto* second = new ZListBox(QStringLiteral("%I%M"), &screen, 0, ZSkinService::clsZListBox);
    tabs->addTab(first, QIcon(), QString());
    tabs->addTab(second, QIcon(), QString());
    tabs->setCurrentPage(1);
    screen.setContentWidget(tabs);
    EXPECT_EQ(screen.contentWidget(), tabs);
    EXPECT_TRUE(screen.isAncestorOf(tabs));

    auto* keys = new ZSoftKey(nullptr, &screen, &screen);
    screen.setCSTWidget(keys);
    EXPECT_EQ(screen.softKey(), keys) << "a soft-key bar given as a plain widget is still one";
    auto* plain = new QWidget(&screen);
    screen.setCSTWidget(plain);
    EXPECT_EQ(screen.softKey(), nullptr);
    EXPECT_EQ(screen.cstWidget(), plain);
    screen.setSoftKey(keys);

    screen.show();
    EXPECT_EQ(screen.focusWidget(), second) << "keys go to the list shown";
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(second, &left);
    EXPECT_EQ(tabs->currentPageIndex(), 0) << "Left reaches the tabs through the list";
    EXPECT_EQ(screen.focusWidget(), first);
}

TEST_F(ScreenAndKeys, FullScreenDialogCoversTheMainScreen)
{
    ZKbMainWidget main(3, nullptr, "ZMainWidget", 0);
    main.move(40, 50);
    static_cast<ZApplication*>(qApp)->showMainWidget(&main);
    ZKbMainWidget dialog(3, nullptr, "ZMainWidget", 3);
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    dialog.show();
    EXPECT_EQ(dialog.geometry(), main.geometry());

    // Its own soft keys answer F1 and F2.
    auto* keys = new ZSoftKey(nullptr, &dialog, &dialog);
    dialog.setCSTWidget(keys);
    int pressed = -1;
    QObject::connect(keys, &ZSoftKey::clicked, [&pressed](int key) { pressed = key; });
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &f2);
    EXPECT_EQ(pressed, 1);
}

TEST_F(ScreenAndKeys, PersonAnswersDialogsWithSoftKeysEnterAndEscape)
{
    ZMessageDlg question(QStringLiteral("Vardel"), QStringLiteral("Sure?"), ZMessageDlg::TypeChoose, 0, nullptr, "ZMessageDlg");
    typeLater({Qt::Key_F1});
    EXPECT_EQ(question.exec(), 1);
    typeLater({Qt::Key_Escape});
    EXPECT_EQ(question.exec(), 0);
    typeLater({Qt::Key_F2});
    EXPECT_EQ(question.exec(), 0);

    ZSingleSelectDlg choice(QStringLiteral("Place"), QString(), nullptr, "ZSingleSelectDlg");
    choice.addItemsList({QStringLiteral("Phone"), QStringLiteral("Card")});
    typeLater({Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(choice.exec(), 1);
    EXPECT_EQ(choice.getCheckedItemIndex(), 1);
    typeLater({Qt::Key_Up, Qt::Key_Escape});
    EXPECT_EQ(choice.exec(), 0);
    EXPECT_EQ(choice.getCheckedItemIndex(), 1);

    // A person's answers are written down too, without a script line.
    const QList<QJsonObject> dialogs = events(QStringLiteral("dialog"));
    ASSERT_EQ(dialogs.size(), 5);
    EXPECT_TRUE(dialogs.at(0).value(QStringLiteral("answer")).isNull());
    EXPECT_EQ(dialogs.at(3).value(QStringLiteral("result")).toInt(), 1);
}

TEST_F(ScreenAndKeys, MultiLineEditReadsBackItsText)
{
    ZMultiLineEdit edit(nullptr, true, 1, "name");
    edit.setText(QStringLiteral("a\nb"));
    EXPECT_EQ(edit.text(), QStringLiteral("a\nb"));
    EXPECT_EQ(edit.objectName(), QStringLiteral("name"));
    ZMultiLineEdit shown(nullptr, false, 3);
    EXPECT_TRUE(shown.isReadOnly());
    EXPECT_GT(shown.height(), edit.height());
}
