#include "ZSoftKey.h"

#include <QMouseEvent>
#include <QPainter>

#include "ZOptionsMenu.h"
#include "ZTheme.h"

ZSoftKey::ZSoftKey(const char* type, QWidget* parent, QObject* /*receiver*/)
    : QWidget(parent)
{
    if (type && *type)
        setObjectName(QString::fromLatin1(type));
    setFixedHeight(ZTheme::SoftKeyHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

ZSoftKey::~ZSoftKey()
{
    // The menus made on this bar report to it as they go, so they go while
    // the bar is still whole, not among the children a QWidget deletes.
    qDeleteAll(findChildren<ZOptionsMenu*>(Qt::FindDirectChildrenOnly));
}

void ZSoftKey::setText(int key, const QString& text, int /*priority*/)
{
    if (!validKey(key))
        return;
    m_text[key] = text;
    update();
}

QString ZSoftKey::text(int key) const
{
    return validKey(key) ? m_text[key] : QString();
}

void ZSoftKey::setTextForOptMenuHide(const QString& left)
{
    m_menuHideLeft = left;
    m_hideTextSet = true;
}

void ZSoftKey::setTextForOptMenuShow(const QString& left, const QString& right)
{
    m_menuShowLeft = left;
    m_menuShowRight = right;
    m_showTextSet = true;
    update();
}

void ZSoftKey::setOptMenu(int key, ZOptionsMenu* menu)
{
    if (!validKey(key))
        return;
    if (m_menu[key] && m_menu[key] != menu && m_menu[key] == m_open)
        m_open->hide();
    m_menu[key] = menu;
    if (menu)
        menu->m_bar = this;
}

ZOptionsMenu* ZSoftKey::optMenu(int key) const
{
    return validKey(key) ? m_menu[key].data() : nullptr;
}

void ZSoftKey::setClickedSlot(int key, QObject* receiver, const char* slot)
{
    if (!validKey(key))
        return;
    const char* signal = key == LEFT ? SIGNAL(leftClicked()) : SIGNAL(rightClicked());
    disconnect(this, signal, nullptr, nullptr);
    if (receiver && slot)
        connect(this, signal, receiver, slot);
}

void ZSoftKey::click(int key)
{
    if (!validKey(key))
        return;
    if (m_open) {
        // The keys of an open menu: choose the highlighted entry or close.
        ZOptionsMenu* menu = m_open;
        if (key == LEFT)
            menu->activateIndex(menu->currentIndex());
        else
            menu->hide();
        return;
    }
    if (m_menu[key]) {
        m_menu[key]->popup();
        return;
    }
    emit clicked(key);
    if (key == LEFT)
        emit leftClicked();
    else
        emit rightClicked();
}

QString ZSoftKey::shownText(int key) const
{
    if (!validKey(key))
        return QString();
    if (m_open && m_showTextSet)
        return key == LEFT ? m_menuShowLeft : m_menuShowRight;
    return m_text[key];
}

ZOptionsMenu* ZSoftKey::openMenu() const
{
    return m_open;
}

QSize ZSoftKey::sizeHint() const
{
    return QSize(240, ZTheme::SoftKeyHeight);
}

void ZSoftKey::menuShown(ZOptionsMenu* menu)
{
    m_open = menu;
    update();
}

void ZSoftKey::menuHidden(ZOptionsMenu* menu)
{
    if (m_open != menu)
        return;
    m_open = nullptr;
    if (m_hideTextSet)
        m_text[LEFT] = m_menuHideLeft;
    update();
}

void ZSoftKey::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    ZTheme::paintBar(p, rect(), ZTheme::barTop, ZTheme::barBottom);
    p.setPen(QColor(255, 255, 255, 50));
    p.drawLine(0, 0, width(), 0);

    // A small joystick mark in the middle, as on the handset.
    const QRectF dot(width() / 2.0 - 5, height() / 2.0 - 5, 10, 10);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawEllipse(dot);

    p.setFont(ZTheme::font(12, true));
    p.setPen(Qt::white);
    const int half = width() / 2 - 12;
    const QRect left(8, 0, half - 8, height());
    const QRect right(width() - half, 0, half - 8, height());
    const QFontMetrics fm = p.fontMetrics();
    p.drawText(left, Qt::AlignVCenter | Qt::AlignLeft,
               fm.elidedText(shownText(LEFT), Qt::ElideRight, left.width()));
    p.drawText(right, Qt::AlignVCenter | Qt::AlignRight,
               fm.elidedText(shownText(RIGHT), Qt::ElideRight, right.width()));
}

void ZSoftKey::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    click(event->position().x() < width() / 2.0 ? LEFT : RIGHT);
}
