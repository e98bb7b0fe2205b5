// A picture of what a person would see: the main screen with every open
// full-screen dialog, dialog and notice composed over it in that order.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "ZApplication.h"
#include "ZAutomation.h"
#include "ZKbMainWidget.h"
#include "ZNoticeDlg.h"

namespace {

// 0 full-screen dialogs, 1 dialogs, 2 notices, 3 anything else.
int layer(const QWidget* w)
{
    if (qobject_cast<const ZKbMainWidget*>(w))
        return 0;
    if (qobject_cast<const ZNoticeDlg*>(w))
        return 2;
    if (qobject_cast<const QDialog*>(w))
        return 1;
    return 3;
}

} // namespace

namespace ZAutomation {

bool saveScreenShot(const QString& path)
{
    if (path.isEmpty() || !qApp)
        return false;
    // Let layouts that were asked for settle, so the picture is what shows.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QWidget* base = ZApplication::currentMainWidget();
    QList<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowType() == Qt::ToolTip || w->windowType() == Qt::Desktop)
            continue;
        shown.append(w);
    }
    if (!base || !base->isVisible()) {
        base = nullptr;
        for (QWidget* w : shown)
            if (qobject_cast<ZKbMainWidget*>(w)) {
                base = w;
                break;
            }
        if (!base && !shown.isEmpty())
            base = shown.first();
    }
    if (!base)
        return false;
    shown.removeAll(base);
    std::stable_sort(shown.begin(), shown.end(),
                     [](const QWidget* a, const QWidget* b) { return layer(a) < layer(b); });

    QRect canvas = base->geometry();
    for (QWidget* w : shown)
        canvas |= w->geometry();
    QPixmap picture(canvas.size());
    picture.fill(QColor(0x20, 0x22, 0x26));
    {
        QPainter p(&picture);
        p.drawPixmap(base->geometry().topLeft() - canvas.topLeft(), base->grab());
        for (QWidget* w : shown)
            p.drawPixmap(w->geometry().topLeft() - canvas.topLeft(), w->grab());
    }
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    const bool ok = picture.save(path, "PNG");
    record({{QStringLiteral("event"), QStringLiteral("shot")},
            {QStringLiteral("path"), path},
            {QStringLiteral("ok"), ok}});
    return ok;
}

} // namespace ZAutomation
