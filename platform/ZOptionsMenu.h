#pragma once

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "ZSkinService.h"

class ZSoftKey;

// An options menu: a popup list of entries (icon and text) and separators
// that opens above the soft-key bar of its screen. While open it is laid over
// the screen it belongs to (a child of that window, so a picture of the
// window shows it); it returns to its original parent when it closes.
// Keys while open: Up/Down move, Enter or F1 chooses, F2 or Escape closes;
// a click on an entry chooses it, a click beside the menu closes it.
class ZOptionsMenu : public QWidget
{
    Q_OBJECT
public:
    ZOptionsMenu(const QRect& rect, QWidget* parent, const char* name, int flags,
                 ZSkinService::WidgetClsID cls = ZSkinService::clsZOptionsMenu);
    ~ZOptionsMenu() override;

    void setItemSpacing(int spacing);
    int itemSpacing() const { return m_spacing; }

    // Inserts an entry at position index (-1 or past the end appends). An id
    // of -1 picks a free one. Returns the entry's id. subMenu is kept but not
    // opened by the stand-in.
    int insertItem(const QString& text, QWidget* subMenu, const QPixmap* icon,
                   bool enabled = true, int id = -1, int index = -1);
    int insertSeparator(int id = -1, int index = -1);
    // Connects the entry with that id to a slot (old-style SLOT() string).
    bool connectItem(int id, const QObject* receiver, const char* member);
    void setItemEnabled(int id, bool enabled);
    void clear();

    int count() const;
    bool isSeparator(int index) const;
    bool isEnabled(int index) const;
    QString text(int index) const;
    QPixmap pixmap(int index) const;
    int idAt(int index) const;
    int indexOf(int id) const;

    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);

    void popup();
    void hide();
    bool isOpen() const { return isVisible(); }

    // Chooses the entry at that position: closes the menu and calls the
    // entry's slot (nothing for separators, disabled entries or bad indexes).
    void activateIndex(int index);

signals:
    void activated(int id);
    void aboutToShow();
    void aboutToHide();
    // Fired once per choice, only while the chosen entry's slot is connected.
    void entryTriggered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class ZSoftKey;
    struct Entry;
    QRect panelRect() const;
    QRect entryRect(int index) const;
    int entryAt(const QPoint& pos) const;
    int rowHeight(int index) const;
    int freeId() const;
    // Puts a filled entry at index (-1 or past the end appends) under id (a
    // free one when negative); returns the id.
    int insertEntry(Entry* entry, int id, int index);
    int stepFrom(int from, int step) const;

    QList<Entry*> m_entries;
    QRect m_requested;
    int m_spacing = 0;
    int m_current = -1;
    QPointer<QWidget> m_homeParent;
    QPointer<ZSoftKey> m_bar;
    QPointer<QWidget> m_focusBefore;
    int m_pressed = -1;
};
