#include "ZTheme.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QWidget>

namespace ZTheme {

QFont font(int pixelSize, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

void styleTopLevel(QWidget* widget)
{
    widget->setFont(font());
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, paper);
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::WindowText, ink);
    pal.setColor(QPalette::Text, ink);
    pal.setColor(QPalette::Highlight, accent);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    widget->setPalette(pal);
}

void paintBar(QPainter& p, const QRect& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
}

void paintHighlight(QPainter& p, const QRect& r)
{
    paintBar(p, r, accent, accentDark);
    p.save();
    p.setPen(accent.lighter(130));
    p.drawLine(r.topLeft(), r.topRight());
    p.restore();
}

QPixmap fitted(const QPixmap& pixmap, const QSize& box)
{
    if (pixmap.isNull() || (pixmap.width() <= box.width() && pixmap.height() <= box.height()))
        return pixmap;
    return pixmap.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QPixmap glyph(Glyph kind, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = accent;
    QString mark;
    switch (kind) {
    case Glyph::Question: mark = QStringLiteral("?"); break;
    case Glyph::Information: mark = QStringLiteral("i"); break;
    case Glyph::Wait: fill = QColor(0xd0, 0x8a, 0x1c); break;
    case Glyph::Success: fill = QColor(0x2e, 0x9a, 0x4a); break;
    case Glyph::Warning: fill = QColor(0xc8, 0x3c, 0x2c); mark = QStringLiteral("!"); break;
    }
    const QRectF r(1, 1, size - 2, size - 2);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill.lighter(125));
    g.setColorAt(1, fill.darker(115));
    p.setPen(QPen(fill.darker(140), 1));
    p.setBrush(g);
    p.drawEllipse(r);
    p.setPen(QPen(Qt::white, qMax(2.0, size / 10.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (kind == Glyph::Success) {
        QPainterPath tick;
        tick.moveTo(size * 0.28, size * 0.52);
        tick.lineTo(size * 0.44, size * 0.68);
        tick.lineTo(size * 0.73, size * 0.34);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else if (kind == Glyph::Wait) {
        const QPointF c(size / 2.0, size / 2.0);
        p.drawLine(c, QPointF(c.x(), size * 0.24));
        p.drawLine(c, QPointF(size * 0.70, c.y()));
    } else {
        p.setFont(font(int(size * 0.62), true));
        p.drawText(r, Qt::AlignCenter, mark);
    }
    return pm;
}

} // namespace ZTheme
