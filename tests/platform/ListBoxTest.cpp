// ZListBox rows, current row, checks and the signals of keys and mouse.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStringList>

#include "PlatformTest.h"
#include "ZListBox.h"

namespace {

ZListBoxItem* row(ZListBox& list, const QString& name, const QString& second = QString())
{
    auto* item = new ZListBoxItem(&list, QStringLiteral("%I%M"));
    item->appendSubItem(1, name, false);
    if (!second.isEmpty()) {
        QPixmap pm(8, 8);
        pm.fill(Qt::red);
        item->appendSubItem(1, second, false, &pm);
    }
    return item;
}

void press(QWidget& w, int key)
{
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

QStringList names(const ZListBox& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

// The top of a row in the list's own coordinates.
int rowTopOf(const ZListBox& list, int index)
{
    int top = 0;
    for (int i = 0; i < index; ++i)
        top += list.rowHeight(i);
    return top;
}

class ListBox : public ::testing::Test
{
protected:
    void SetUp() override { ensureApplication(); }
};

} // namespace

TEST_F(ListBox, CurrentRowFollowsInsertAndRemove)
{
    ZListBox list(QStringLiteral("%I%M"), nullptr);
    EXPECT_EQ(list.currentItem(), -1);
    list.insertItem(row(list, QStringLiteral("b")), -1, false);
    EXPECT_EQ(list.currentItem(), -1) << "no automatic highlight asked for";
    list.insertItem(row(list, QStringLiteral("c")));
    EXPECT_EQ(list.currentItem(), 1);
    list.insertItem(row(list, QStringLiteral("a")), 0);
    EXPECT_EQ(list.currentItem(), 2) << "the current row stays on its item";
    EXPECT_EQ(names(list), (QStringList{"a", "b", "c"}));

    list.removeItem(2);
    EXPECT_EQ(list.currentItem(), 1) << "removing the last current row moves up";
    list.setCurrentItem(7);
    EXPECT_EQ(list.currentItem(), -1);
    list.setCurrentItem(0);
    while (list.count())
        list.removeItem(0);
    EXPECT_EQ(list.currentItem(), -1);
    EXPECT_EQ(list.item(0), nullptr);
}

TEST_F(ListBox, ItemsKeepLinesPerColumnAndLeaveTheirListWhenDeleted)
{
    ZListBox list(QStringLiteral("%I%M%I"), nullptr);
    auto* item = new ZListBoxItem(&list, QStringLiteral("%I%M%I"));
    item->setPixmap(0, QPixmap(19, 19));
    item->appendSubItem(1, QStringLiteral("Name"));
    item->appendSubItem(1, QStringLiteral("Phone"));
    list.insertItem(item);
    EXPECT_EQ(item->listBox(), &list);
    EXPECT_EQ(item->subItemCount(1), 2);
    EXPECT_EQ(item->getSubItemText(1, 1), QStringLiteral("Phone"));
    EXPECT_EQ(item->getSubItemText(1, 2), QString());
    EXPECT_EQ(item->getSubItemText(5, 0), QString());
    EXPECT_EQ(item->allTexts(), (QStringList{"Name", "Phone"}));
    delete item;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.currentItem(), -1);
}

TEST_F(ListBox, SortOrdersByFirstLineAndKeepsTheCurrentItem)
{
    ZListBox list(QStringLiteral("%I%M"), nullptr);
    for (const char* n : {"delta", "Bravo", "alpha", "Charlie"})
        list.insertItem(row(list, QString::fromLatin1(n)));
    list.setCurrentItem(2); // alpha
    list.sort();
    EXPECT_EQ(names(list), (QStringList{"Bravo", "Charlie", "alpha", "delta"}));
    EXPECT_EQ(list.item(list.currentItem())->text(), QStringLiteral("alpha"));
    list.sort(false);
    EXPECT_EQ(names(list), (QStringList{"delta", "alpha", "Charlie", "Bravo"}));
}

TEST_F(ListBox, RadioChecksStayExclusiveAndBoxesDoNot)
{
    ZListBox list(QStringLiteral("%M"), nullptr);
    for (const char* n : {"a", "b", "c"})
        list.insertItem(row(list, QString::fromLatin1(n)));
    list.setCheckable(true);
    list.checkItem(0, true);
    list.checkItem(2, true);
    EXPECT_EQ(list.checkedItems(), (QList<int>{0, 2}));
    list.setCheckStyle(ZListBox::RadioButtons);
    EXPECT_EQ(list.checkedItems(), QList<int>{0});
    list.checkItem(1, true);
    EXPECT_EQ(list.checkedItems(), QList<int>{1});
    EXPECT_FALSE(list.itemChecked(9));
    list.checkItem(9, true);
    EXPECT_EQ(list.checkedItems(), QList<int>{1});
    list.removeItem(0);
    EXPECT_TRUE(list.itemChecked(0)) << "checks travel with their rows";
}

TEST_F(ListBox, KeysMoveAndEnterActivates)
{
    ZListBox list(QStringLiteral("%I%M"), nullptr);
    list.resize(240, 200);
    QSignalSpy highlighted(&list, &ZListBox::highlighted);
    QStringList order;
    QObject::connect(&list, &ZListBox::selected, [&order](int i) { order << QStringLiteral("selected %1").arg(i); });
    QObject::connect(&list, &ZListBox::returnPressed,
                     [&order](ZListBoxItem* it) { order << QStringLiteral("return ") + it->text(); });

    press(list, Qt::Key_Return);
    EXPECT_TRUE(order.isEmpty()) << "Enter on an empty list does nothing";

    for (const char* n : {"a", "b", "c"})
        list.insertItem(row(list, QString::fromLatin1(n), QStringLiteral("second")));
    press(list, Qt::Key_Down);
    press(list, Qt::Key_Down);
    press(list, Qt::Key_Down);
    EXPECT_EQ(list.currentItem(), 2);
    ASSERT_EQ(highlighted.count(), 2) << "no signal when the last row stays current";
    EXPECT_EQ(highlighted.at(1).at(0).toInt(), 2);
    press(list, Qt::Key_Up);
    press(list, Qt::Key_Enter);
    EXPECT_EQ(order, (QStringList{"selected 1", "return b"}));

    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(&list, &f1);
    EXPECT_FALSE(f1.isAccepted()) << "soft keys are left to the screen";
}

TEST_F(ListBox, MouseClickHighlightsAndDoubleClickActivates)
{
    ZListBox list(QStringLiteral("%I%M"), nullptr);
    list.resize(240, 200);
    for (const char* n : {"a", "b", "c"})
        list.insertItem(row(list, QString::fromLatin1(n)));
    QSignalSpy clicked(&list, &ZListBox::clicked);
    QSignalSpy returned(&list, &ZListBox::returnPressed);
    const QPointF onSecond(20, list.rowHeight(0) + list.rowHeight(1) / 2.0);

    QMouseEvent click(QEvent::MouseButtonPress, onSecond, onSecond, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &click);
    EXPECT_EQ(list.currentItem(), 1);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).value<ZListBoxItem*>(), list.item(1));
    EXPECT_EQ(returned.count(), 0);

    QMouseEvent dbl(QEvent::MouseButtonDblClick, onSecond, onSecond, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &dbl);
    ASSERT_EQ(returned.count(), 1);
    EXPECT_EQ(returned.at(0).at(0).value<ZListBoxItem*>(), list.item(1));
}

TEST_F(ListBox, ClicksFindTheirRowAfterRowsGrowAndTheListScrolls)
{
    ZListBox list(QStringLiteral("%I%M"), nullptr);
    list.resize(240, 120);
    list.show();
    for (int i = 0; i < 200; ++i)
        list.insertItem(row(list, QStringLiteral("r%1").arg(i, 3, 10, QLatin1Char('0'))));
    // Lines added after insertion make some rows taller than the others.
    for (int i = 0; i < 200; i += 3)
        list.item(i)->appendSubItem(1, QStringLiteral("more"), false);
    list.setCurrentItem(150);
    list.ensureCurrentVisible();

    // Aim at the middle of row 149, just above the current one.
    int top = 0;
    for (int i = 0; i < 149; ++i)
        top += list.rowHeight(i);
    const int offset = top + list.rowHeight(149) + list.rowHeight(150) - list.viewport()->height();
    const QPointF at(20, top - offset + list.rowHeight(149) / 2.0);
    QSignalSpy clicked(&list, &ZListBox::clicked);
    QMouseEvent click(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &click);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(list.currentItem(), 149);
}

TEST_F(ListBox, ReturnPressedIsNotSentForARowASelectedSlotRemoved)
{
    // A browser-like list that lists anew on "selected".
    ZListBox list(QStringLiteral("%I%M"), nullptr);
    for (const char* n : {"dir", "file"})
        list.insertItem(row(list, QString::fromLatin1(n)));
    QObject::connect(&list, &ZListBox::selected, [&list](int) {
        list.clear();
        list.insertItem(row(list, QStringLiteral("..")));
    });
    QSignalSpy returned(&list, &ZListBox::returnPressed);
    list.activateCurrent();
    EXPECT_EQ(returned.count(), 0);
    EXPECT_EQ(list.count(), 1);
}

// Pictures made on first paint: only painted rows make theirs, each once,
// and the list then looks as one given every picture at once, also when a
// picture turns out to have another size than the row was laid out for.
TEST_F(ListBox, WaitingPicturesAreMadeWhenTheirRowsArePaintedAndShowAsGivenOnes)
{
    const int rows = 60;
    const auto picture = [](int i) {
        QPixmap pm(i == 0 ? QSize(40, 10) : QSize(19, 19)); // row 0 is wider than laid out for
        pm.fill(i % 2 ? Qt::red : Qt::blue);
        return pm;
    };
    QList<int> made(rows, 0);
    ZListBox waiting(QStringLiteral("%I%M%I"), nullptr);
    ZListBox given(QStringLiteral("%I%M%I"), nullptr);
    for (ZListBox* list : {&waiting, &given}) {
        list->resize(240, 120);
        for (int i = 0; i < rows; ++i) {
            auto* item = new ZListBoxItem(list, QStringLiteral("%I%M%I"));
            if (list == &waiting)
                item->setPixmap(0, QSize(19, 19), [&made, picture, i] { ++made[i]; return picture(i); });
            else
                item->setPixmap(0, picture(i));
            item->appendSubItem(1, QStringLiteral("row %1").arg(i));
            item->appendSubItem(1, QStringLiteral("second line"));
            list->insertItem(item);
        }
    }
    EXPECT_EQ(made, QList<int>(rows, 0)) << "nothing is made while the list fills";

    waiting.viewport()->grab();
    int visible = 0;
    while (visible < rows && rowTopOf(waiting, visible) <= waiting.viewport()->height())
        ++visible;
    ASSERT_GT(visible, 1);
    ASSERT_LT(visible, rows);
    for (int i = 0; i < rows; ++i)
        EXPECT_EQ(made[i], i < visible ? 1 : 0) << i;
    // Row 0 made the picture column wider; the next paint shows it so.
    EXPECT_EQ(waiting.viewport()->grab().toImage(), given.viewport()->grab().toImage());

    for (ZListBox* list : {&waiting, &given})
        press(*list, Qt::Key_End);
    EXPECT_EQ(waiting.viewport()->grab().toImage(), given.viewport()->grab().toImage());
    EXPECT_EQ(made[rows - 1], 1);
    // A picture asked for is made then, once.
    const int hidden = visible + 1;
    ASSERT_EQ(made[hidden], 0);
    EXPECT_EQ(waiting.item(hidden)->pixmap(0).size(), QSize(19, 19));
    waiting.item(hidden)->pixmap(0);
    EXPECT_EQ(made[hidden], 1);
}
