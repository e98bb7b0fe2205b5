#include "ZKeyFocus.h"

#include <QApplication>
#include <QWidget>

#include "ZKbMainWidget.h"

namespace ZKeyFocus {

namespace {

bool takesKeys(const QWidget* widget, const QWidget* window)
{
    return widget && widget->window() == window && widget->isVisible() && widget->isEnabled()
        && widget->focusPolicy() != Qt::NoFocus;
}

} // namespace

QWidget* holder(QWidget* window)
{
    return window ? window->window()->focusWidget() : nullptr;
}

QWidget* firstFocusable(QWidget* screen)
{
    if (!screen)
        return nullptr;
    QWidget* content = screen;
    if (auto* main = qobject_cast<ZKbMainWidget*>(screen); main && main->contentWidget())
        content = main->contentWidget();
    if (content->focusPolicy() & Qt::TabFocus)
        return content;
    const QList<QWidget*> children = content->findChildren<QWidget*>();
    for (QWidget* w : children) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(content) && w->isEnabled())
            return w;
    }
    return content;
}

void giveBack(QWidget* window, QWidget* before)
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal->isVisible() && !modal->isActiveWindow())
            modal->activateWindow();
        return;
    }
    if (!window)
        return;
    window = window->window();
    if (!window->isVisible())
        return;
    QWidget* target = takesKeys(before, window)                  ? before
                      : takesKeys(window->focusWidget(), window) ? window->focusWidget()
                                                                 : firstFocusable(window);
    if (target && window->focusWidget() != target)
        target->setFocus(Qt::OtherFocusReason);
    if (!window->isActiveWindow())
        window->activateWindow();
}

} // namespace ZKeyFocus
