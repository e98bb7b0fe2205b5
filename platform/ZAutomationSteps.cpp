// The main-window steps of an automation script: run one at a time from the
// event loop, each to completion, after the main widget is shown.

#include <QCoreApplication>
#include <QJsonArray>
#include <QPointer>
#include <QWidget>

#include "ZAutomation.h"
#include "ZAutomationScript.h"
#include "ZKbMainWidget.h"
#include "ZListBox.h"
#include "ZListBoxItem.h"
#include "ZNavTabWidget.h"
#include "ZOptionsMenu.h"
#include "ZSoftKey.h"

namespace {

struct Steps {
    QPointer<QWidget> window;
    bool queued = false;
    int run = 0; // bumped by reset, so a queued call of an old run does nothing
};

Steps& steps()
{
    static Steps s;
    return s;
}

bool fail(const QString& line, const QString& message)
{
    ZAutomation::record({{QStringLiteral("event"), QStringLiteral("error")},
                         {QStringLiteral("line"), line},
                         {QStringLiteral("message"), message}});
    return false;
}

ZNavTabWidget* tabsOf(QWidget* window)
{
    return window ? window->findChild<ZNavTabWidget*>() : nullptr;
}

// The list shown: the current tab's list, or the screen's only list.
ZListBox* shownList(QWidget* window)
{
    if (!window)
        return nullptr;
    if (ZNavTabWidget* tabs = tabsOf(window)) {
        QWidget* page = tabs->currentPage();
        if (!page)
            return nullptr;
        if (auto* list = qobject_cast<ZListBox*>(page))
            return list;
        return page->findChild<ZListBox*>();
    }
    return window->findChild<ZListBox*>();
}

ZSoftKey* softKeyOf(QWidget* window)
{
    if (auto* screen = qobject_cast<ZKbMainWidget*>(window))
        if (screen->softKey())
            return screen->softKey();
    return window ? window->findChild<ZSoftKey*>() : nullptr;
}

void dump(QWidget* window)
{
    ZNavTabWidget* tabs = tabsOf(window);
    ZListBox* list = shownList(window);
    QJsonArray rows;
    if (list) {
        for (int i = 0; i < list->count(); ++i)
            rows.append(QJsonArray::fromStringList(list->item(i)->allTexts()));
    }
    ZAutomation::record({{QStringLiteral("event"), QStringLiteral("dump")},
                         {QStringLiteral("tab"), tabs ? tabs->currentPageIndex() : -1},
                         {QStringLiteral("rows"), rows},
                         {QStringLiteral("current"), list ? list->currentItem() : -1}});
}

void runNext(int run)
{
    Steps& s = steps();
    if (run != s.run)
        return;
    s.queued = false;
    QString line;
    if (!ZAutomationScript::peekLine(&line)) {
        // The script is done: so is the application.
        QCoreApplication::exit(0);
        return;
    }
    ZAutomationScript::takeLine();
    const QString kw = ZAutomationScript::keyword(line);
    if (!s.window)
        fail(line, QStringLiteral("the main window is gone"));
    else if (ZAutomationScript::isStep(kw) || kw == QLatin1String("shot"))
        ZAutomation::runStep(s.window, line);
    else
        fail(line, QStringLiteral("no dialog is asking for this answer"));
    if (run == s.run && !s.queued) {
        s.queued = true;
        QMetaObject::invokeMethod(qApp, [run] { runNext(run); }, Qt::QueuedConnection);
    }
}

} // namespace

namespace ZAutomation {

void resetSteps()
{
    Steps& s = steps();
    s.window = nullptr;
    s.queued = false;
    ++s.run;
}

void startSteps(QWidget* mainWidget)
{
    if (!active() || !qApp)
        return;
    Steps& s = steps();
    s.window = mainWidget;
    if (s.queued)
        return;
    s.queued = true;
    const int run = s.run;
    QMetaObject::invokeMethod(qApp, [run] { runNext(run); }, Qt::QueuedConnection);
}

bool runStep(QWidget* window, const QString& rawLine)
{
    using namespace ZAutomationScript;
    const QString line = cleanLine(rawLine).trimmed();
    const QString kw = keyword(line);
    const QString arg = rest(line).trimmed();

    if (kw == QLatin1String("shot")) {
        if (arg.isEmpty())
            return fail(line, QStringLiteral("shot needs a file path"));
        return saveScreenShot(arg) || fail(line, QStringLiteral("the picture could not be written"));
    }
    if (kw == QLatin1String("dump")) {
        dump(window);
        return true;
    }
    int n = 0;
    if (!isStep(kw))
        return fail(line, QStringLiteral("not a main-window step"));
    if (!parseInt(arg, &n))
        return fail(line, QStringLiteral("the step needs one number"));

    if (kw == QLatin1String("tab")) {
        ZNavTabWidget* tabs = tabsOf(window);
        if (!tabs)
            return fail(line, QStringLiteral("the window has no tabs"));
        if (n < 0 || n >= tabs->count())
            return fail(line, QStringLiteral("there is no such tab"));
        tabs->setCurrentPage(n);
        return true;
    }
    if (kw == QLatin1String("current") || kw == QLatin1String("activate")) {
        ZListBox* list = shownList(window);
        if (!list)
            return fail(line, QStringLiteral("no list is shown"));
        if (n < 0 || n >= list->count())
            return fail(line, QStringLiteral("there is no such row"));
        list->setCurrentItem(n);
        if (kw == QLatin1String("activate"))
            list->activateCurrent();
        return true;
    }
    ZSoftKey* keys = softKeyOf(window);
    if (!keys)
        return fail(line, QStringLiteral("the window has no soft keys"));
    if (kw == QLatin1String("softkey")) {
        if (n != ZSoftKey::LEFT && n != ZSoftKey::RIGHT)
            return fail(line, QStringLiteral("there is no such soft key"));
        keys->click(n);
        return true;
    }
    // menu N: open the menu of key 0 and choose entry N.
    ZOptionsMenu* menu = keys->optMenu(ZSoftKey::LEFT);
    if (!menu)
        return fail(line, QStringLiteral("no options menu is attached to soft key 0"));
    if (n < 0 || n >= menu->count() || menu->isSeparator(n) || !menu->isEnabled(n))
        return fail(line, QStringLiteral("there is no such menu entry"));
    if (!menu->isOpen())
        keys->click(ZSoftKey::LEFT);
    menu->setCurrentIndex(n);
    menu->activateIndex(n);
    return true;
}

} // namespace ZAutomation
