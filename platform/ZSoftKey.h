#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class ZOptionsMenu;

// The soft-key bar at the bottom of a phone screen: two keys, LEFT (0) and
// RIGHT (1). A key with an options menu attached opens it; otherwise a press
// emits clicked(key) and calls the slot set with setClickedSlot. While a menu
// of this bar is open, LEFT chooses the highlighted entry and RIGHT closes it.
// Keyboard: F1 presses LEFT and F2 presses RIGHT (handled by the screen that
// holds the bar); a mouse click on a key presses it.
class ZSoftKey : public QWidget
{
    Q_OBJECT
public:
    enum { LEFT = 0, RIGHT = 1 };

    ZSoftKey(const char* type, QWidget* parent, QObject* receiver);
    ~ZSoftKey() override;

    void setText(int key, const QString& text, int priority = 0);
    QString text(int key) const;
    // Texts shown on the keys while a menu of this bar is closed / open.
    void setTextForOptMenuHide(const QString& left);
    void setTextForOptMenuShow(const QString& left, const QString& right);

    void setOptMenu(int key, ZOptionsMenu* menu); // null detaches
    ZOptionsMenu* optMenu(int key) const;

    // Replaces the slot a press of the key calls (old-style SLOT() string).
    void setClickedSlot(int key, QObject* receiver, const char* slot);

    // What a key press does (see the class comment).
    void click(int key);

    // The text currently shown on the key (menu texts while a menu is open).
    QString shownText(int key) const;
    // The open options menu of this bar, or null.
    ZOptionsMenu* openMenu() const;

    QSize sizeHint() const override;

signals:
    void clicked(int key);
    void leftClicked();
    void rightClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class ZOptionsMenu;
    void menuShown(ZOptionsMenu* menu);
    void menuHidden(ZOptionsMenu* menu);
    static bool validKey(int key) { return key == LEFT || key == RIGHT; }

    QString m_text[2];
    QString m_menuHideLeft;
    QString m_menuShowLeft;
    QString m_menuShowRight;
    bool m_hideTextSet = false;
    bool m_showTextSet = false;
    QPointer<ZOptionsMenu> m_menu[2];
    QPointer<ZOptionsMenu> m_open;
};
