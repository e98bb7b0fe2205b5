#pragma once

#include <QAbstractScrollArea>
#include <QList>
#include <QString>

#include "ZSkinService.h"

#include "ZListBoxItem.h"

// A scrolling list whose rows are ZListBoxItems painted as their layout says:
// picture column, multi-line text column with small pictures per line, the
// current row highlighted. Keyboard: Up/Down (and PageUp/PageDown/Home/End)
// move the current row and emit highlighted; Enter emits selected then
// returnPressed. Mouse: a click makes the row current (highlighted) and emits
// clicked; a double click emits selected then returnPressed.
// Checkable lists (the select dialogs) draw a check box or radio mark per row
// and toggle it on click, Enter or Space; radio lists keep at most one row
// checked.
class ZListBox : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum CheckStyle { CheckBoxes, RadioButtons };

    ZListBox(const QString& layout, QWidget* parent, int flags = 0,
             ZSkinService::WidgetClsID cls = ZSkinService::clsZListBox);
    ~ZListBox() override;

    // Takes ownership. index -1 (or past the end) appends. With
    // autoHighlighted the row becomes current when the list had none
    // (silently: highlighted is not emitted).
    void insertItem(ZListBoxItem* item, int index = -1, bool autoHighlighted = true);
    int count() const;
    ZListBoxItem* item(int index) const; // null when out of range
    int index(const ZListBoxItem* item) const; // -1 when not in this list

    int currentItem() const; // -1 when nothing is current
    // Out of range makes nothing current. Emits highlighted when it changes.
    void setCurrentItem(int index, bool highlighted = true);
    // What Enter does: selected(current) then returnPressed(item), if any.
    void activateCurrent();

    void removeItem(int index); // deletes the row
    ZListBoxItem* takeItem(int index); // removes without deleting
    void clear();
    // Stable sort by ZListBoxItem::text(); the current row stays on its item.
    void sort(bool ascending = true);

    void setCheckable(bool checkable);
    bool isCheckable() const { return m_checkable; }
    void setCheckStyle(CheckStyle style);
    CheckStyle checkStyle() const { return m_checkStyle; }
    void checkItem(int index, bool checked);
    bool itemChecked(int index) const;
    QList<int> checkedItems() const;

    QString layout() const { return m_layout; }
    int rowHeight(int index) const;
    void ensureCurrentVisible();

    QSize sizeHint() const override;

signals:
    void returnPressed(ZListBoxItem* item);
    void highlighted(int index);
    void selected(int index);
    void clicked(ZListBoxItem* item);
    void checkToggled(int index, bool checked);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class ZListBoxItem;
    void itemChanged(ZListBoxItem* item);
    void detach(ZListBoxItem* item);
    void relayout();
    void layoutIfNeeded() const;
    void doLayout();
    int rowTop(int index) const;
    int rowAt(int y) const;
    void moveCurrent(int to);
    void toggleCheck(int index);
    void paintRow(QPainter& p, int index, const QRect& rect);
    int lineHeight(int line) const;
    static QSize pictureSize(const ZListBoxItem* item, int column);

    QString m_layout;
    QList<ZListBoxItem*> m_items;
    QList<int> m_tops; // y of each row; last entry is the total height
    QList<int> m_iconWidths; // width of each picture column, by column index
    mutable int m_lineHeights[2] = {0, 0}; // of line 0 and of the lines below it
    bool m_layoutDirty = false; // m_tops and m_iconWidths need working out again
    quint64 m_generation = 0; // counts removals, to tell when rows went away
    int m_current = -1;
    bool m_checkable = false;
    CheckStyle m_checkStyle = CheckBoxes;
};
