#include "ZApplication.h"

#include "ZAutomation.h"
#include "ZTheme.h"

namespace {
QPointer<QWidget>& mainWidgetSlot()
{
    static QPointer<QWidget> widget;
    return widget;
}
} // namespace

ZApplication::ZApplication(int& argc, char** argv, Type type)
    : QApplication(argc, argv)
    , m_type(type)
    , m_argc(argc)
    , m_argv(argv)
{
    setFont(ZTheme::font());
}

ZApplication::~ZApplication()
{
    mainWidgetSlot() = nullptr;
}

void ZApplication::showMainWidget(QWidget* widget)
{
    mainWidgetSlot() = widget;
    if (!widget)
        return;
    widget->show();
    // The keys go to the screen from the start: without a window manager
    // nothing else makes it the active window (the keys would reach it only
    // while the pointer happens to lie over it).
    widget->activateWindow();
    if (ZAutomation::active())
        ZAutomation::startSteps(widget);
}

QWidget* ZApplication::mainWidget() const
{
    return mainWidgetSlot();
}

QWidget* ZApplication::currentMainWidget()
{
    return mainWidgetSlot();
}
