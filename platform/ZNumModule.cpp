#include "ZNumModule.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <climits>

#include "ZLabel.h"
#include "ZTheme.h"

namespace {
constexpr int NumberHeight = 32;
constexpr int ArrowWidth = 26;

int largestWithDigits(int digits)
{
    qint64 v = 1;
    for (int i = 0; i < digits && v <= INT_MAX; ++i)
        v *= 10;
    return v - 1 > INT_MAX ? INT_MAX : int(v - 1);
}
} // namespace

ZNumModule::ZNumModule(int digits, QWidget* parent)
    : QWidget(parent)
    , m_digits(qMax(1, digits))
    , m_max(largestWithDigits(qMax(1, digits)))
{
    setFocusPolicy(Qt::StrongFocus);
}

ZNumModule::~ZNumModule() = default;

void ZNumModule::setMaxValue(int max)
{
    m_max = max;
    if (m_min > m_max)
        m_min = m_max;
    clampValue();
}

void ZNumModule::setMinValue(int min)
{
    m_min = min;
    if (m_max < m_min)
        m_max = m_min;
    clampValue();
}

void ZNumModule::setValue(int value)
{
    m_typing = false;
    assign(value);
    update();
}

void ZNumModule::assign(int value)
{
    const int clamped = value < m_min ? m_min : value > m_max ? m_max : value;
    if (clamped == m_value)
        return;
    m_value = clamped;
    update();
    emit valueChanged(m_value);
}

void ZNumModule::clampValue()
{
    assign(m_value);
    update();
}

QString ZNumModule::shownText() const
{
    return m_typing ? m_typed : QString::number(m_value);
}

void ZNumModule::typeDigit(int digit)
{
    if (!m_typing) {
        m_typing = true;
        m_typed.clear();
        m_beforeTyping = m_value;
    }
    const QString single = QString::number(digit);
    QString next = m_typed == QLatin1String("0") ? single : m_typed + single;
    if (next.size() > m_digits || next.toLongLong() > m_max)
        next = single;
    if (next.toLongLong() > m_max) {
        // Shown as the maximum, which no later digit is appended to.
        m_typing = false;
        assign(m_max);
    } else {
        m_typed = next;
        assign(int(next.toLongLong()));
    }
    update();
}

void ZNumModule::eraseDigit()
{
    if (!m_typing) {
        m_typing = true;
        m_typed = m_value < 0 ? QString() : QString::number(m_value);
        m_beforeTyping = m_value;
    }
    m_typed.chop(1);
    assign(m_typed.isEmpty() ? m_beforeTyping : int(m_typed.toLongLong()));
    update();
}

void ZNumModule::setLabel(ZLabel* label, int alignment)
{
    if (m_label && m_label != label)
        m_label->hide();
    m_label = label;
    if (!label)
        return;
    label->setParent(this);
    label->setAlignment(alignment ? Qt::Alignment(alignment) : Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(true);
    layoutLabel();
    label->show();
    updateGeometry();
    update();
}

int ZNumModule::labelHeight(int width) const
{
    if (!m_label)
        return 0;
    const int h = m_label->heightForWidth(width);
    return h > 0 ? h : m_label->sizeHint().height();
}

void ZNumModule::layoutLabel()
{
    if (m_label)
        m_label->setGeometry(0, 0, width(), labelHeight(width()));
}

void ZNumModule::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutLabel();
}

QSize ZNumModule::sizeHint() const
{
    const int extra = m_label ? labelHeight(qMax(200, width())) + 6 : 0;
    return QSize(220, extra + NumberHeight + 4);
}

QRect ZNumModule::numberRect() const
{
    const int top = m_label ? labelHeight(width()) + 6 : 0;
    return QRect(0, top, width(), NumberHeight);
}

void ZNumModule::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect box = numberRect().adjusted(0, 0, -1, -1);
    p.setPen(QPen(hasFocus() ? ZTheme::accent : ZTheme::panelBorder, hasFocus() ? 1.5 : 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    // Up and down arrows at the right.
    const QRect arrows(box.right() - ArrowWidth, box.top(), ArrowWidth, box.height());
    ZTheme::paintBar(p, arrows.adjusted(1, 1, 0, 0), QColor(0xee, 0xf1, 0xf6), QColor(0xd6, 0xdc, 0xe6));
    p.setPen(ZTheme::panelBorder);
    p.drawLine(arrows.topLeft(), arrows.bottomLeft());
    p.drawLine(arrows.left(), arrows.center().y(), arrows.right(), arrows.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(m_value < m_max ? ZTheme::ink : ZTheme::disabledInk);
    const QPointF up(arrows.center().x() + 0.5, arrows.top() + arrows.height() / 4.0);
    p.drawPolygon(QPolygonF({up + QPointF(-5, 3), up + QPointF(5, 3), up + QPointF(0, -3)}));
    p.setBrush(m_value > m_min ? ZTheme::ink : ZTheme::disabledInk);
    const QPointF down(arrows.center().x() + 0.5, arrows.bottom() - arrows.height() / 4.0);
    p.drawPolygon(QPolygonF({down + QPointF(-5, -3), down + QPointF(5, -3), down + QPointF(0, 3)}));

    p.setPen(ZTheme::ink);
    p.setFont(ZTheme::font(18, true));
    p.drawText(box.adjusted(10, 0, -ArrowWidth - 8, 0), Qt::AlignVCenter | Qt::AlignRight, shownText());
    p.setFont(ZTheme::font(10));
    p.setPen(ZTheme::mutedInk);
    p.drawText(box.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("%1..%2").arg(m_min).arg(m_max));
}

void ZNumModule::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Right) {
        m_typing = false;
        update();
        if (m_value < m_max)
            setValue(m_value + 1);
    } else if (key == Qt::Key_Down || key == Qt::Key_Left) {
        m_typing = false;
        update();
        if (m_value > m_min)
            setValue(m_value - 1);
    } else if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        typeDigit(key - Qt::Key_0);
    } else if (key == Qt::Key_Backspace) {
        eraseDigit();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void ZNumModule::mousePressEvent(QMouseEvent* event)
{
    const QRect box = numberRect();
    const QPoint pos = event->position().toPoint();
    if (!box.contains(pos) || pos.x() < box.right() - ArrowWidth) {
        setFocus();
        return;
    }
    m_typing = false;
    if (pos.y() < box.center().y()) {
        if (m_value < m_max)
            setValue(m_value + 1);
    } else if (m_value > m_min) {
        setValue(m_value - 1);
    }
}

void ZNumModule::focusOutEvent(QFocusEvent* event)
{
    m_typing = false;
    update();
    QWidget::focusOutEvent(event);
}
