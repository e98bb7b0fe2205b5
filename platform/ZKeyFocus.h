#pragma once

class QWidget;

// Where the keys go when something laid over a screen closes. A window
// manager gives them back to the window below a closed dialog; without one
// (a bare X server, as on the phone) nothing does, and a widget that had the
// keys may have been hidden on the way (an options menu takes them while
// open). Menus, dialogs and notices call giveBack when they close.
namespace ZKeyFocus {

// The widget of window that takes its keys, whether or not the window is
// active (QApplication::focusWidget() is null while no window is).
QWidget* holder(QWidget* window);

// The first widget of a screen's content that takes keys (the shown list of
// a tab widget, say); the screen itself when there is none.
QWidget* firstFocusable(QWidget* screen);

// After a menu, dialog or notice over window closed: while a modal dialog is
// still open, that dialog is made the active window. Otherwise the keys go
// to `before` when it can still take them, else to the window's focus widget
// when that can, else to its first focusable widget, and window is made the
// active window.
void giveBack(QWidget* window, QWidget* before = nullptr);

} // namespace ZKeyFocus
