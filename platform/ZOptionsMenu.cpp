#include "ZOptionsMenu.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "ZKeyFocus.h"
#include "ZSoftKey.h"
#include "ZTheme.h"

namespace {
constexpr int IconBox = 16;
constexpr int SeparatorHeight = 7;
constexpr int PanelMargin = 3;
constexpr int MinPanelWidth = 132;
} // namespace

struct ZOptionsMenu::Entry {
    QString text;
    QPixmap icon;
    QPointer<QWidget> subMenu;
    bool separator = false;
    bool enabled = true;
    int id = -1;
    QPointer<const QObject> receiver;
    QByteArray member;
};

ZOptionsMenu::ZOptionsMenu(const QRect& rect, QWidget* parent, const char* name, int /*flags*/,
                           ZSkinService::WidgetClsID /*cls*/)
    : QWidget(parent)
    , m_requested(rect)
    , m_homeParent(parent)
    , m_bar(qobject_cast<ZSoftKey*>(parent))
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    QWidget::hide();
}

ZOptionsMenu::~ZOptionsMenu()
{
    if (m_bar)
        m_bar->menuHidden(this);
    qDeleteAll(m_entries);
}

void ZOptionsMenu::setItemSpacing(int spacing)
{
    m_spacing = qMax(0, spacing);
    update();
}

int ZOptionsMenu::freeId() const
{
    int id = 0;
    for (const Entry* e : m_entries)
        id = qMax(id, e->id + 1);
    return id;
}

int ZOptionsMenu::insertItem(const QString& text, QWidget* subMenu, const QPixmap* icon,
                             bool enabled, int id, int index)
{
    auto* e = new Entry;
    e->text = text;
    e->subMenu = subMenu;
    if (icon)
        e->icon = *icon; // copied: callers reuse one pixmap for every entry
    e->enabled = enabled;
    return insertEntry(e, id, index);
}

int ZOptionsMenu::insertSeparator(int id, int index)
{
    auto* e = new Entry;
    e->separator = true;
    e->enabled = false;
    return insertEntry(e, id, index);
}

int ZOptionsMenu::insertEntry(Entry* e, int id, int index)
{
    e->id = id < 0 ? freeId() : id;
    if (index < 0 || index > m_entries.size())
        index = int(m_entries.size());
    m_entries.insert(index, e);
    if (m_current >= index)
        ++m_current;
    update();
    return e->id;
}

bool ZOptionsMenu::connectItem(int id, const QObject* receiver, const char* member)
{
    const int i = indexOf(id);
    if (i < 0 || !receiver || !member)
        return false;
    // Check the slot exists before keeping it.
    const QMetaObject::Connection probe = connect(this, SIGNAL(entryTriggered()), receiver, member);
    if (!probe)
        return false;
    disconnect(probe);
    m_entries[i]->receiver = receiver;
    m_entries[i]->member = member;
    return true;
}

void ZOptionsMenu::setItemEnabled(int id, bool enabled)
{
    const int i = indexOf(id);
    if (i >= 0 && !m_entries[i]->separator) {
        m_entries[i]->enabled = enabled;
        update();
    }
}

void ZOptionsMenu::clear()
{
    qDeleteAll(m_entries);
    m_entries.clear();
    m_current = -1;
    update();
}

int ZOptionsMenu::count() const
{
    return int(m_entries.size());
}

bool ZOptionsMenu::isSeparator(int index) const
{
    return index >= 0 && index < count() && m_entries[index]->separator;
}

bool ZOptionsMenu::isEnabled(int index) const
{
    return index >= 0 && index < count() && m_entries[index]->enabled;
}

QString ZOptionsMenu::text(int index) const
{
    return index >= 0 && index < count() ? m_entries[index]->text : QString();
}

QPixmap ZOptionsMenu::pixmap(int index) const
{
    return index >= 0 && index < count() ? m_entries[index]->icon : QPixmap();
}

int ZOptionsMenu::idAt(int index) const
{
    return index >= 0 && index < count() ? m_entries[index]->id : -1;
}

int ZOptionsMenu::indexOf(int id) const
{
    for (int i = 0; i < count(); ++i)
        if (m_entries[i]->id == id)
            return i;
    return -1;
}

void ZOptionsMenu::setCurrentIndex(int index)
{
    if (index >= 0 && index < count() && m_entries[index]->enabled)
        m_current = index;
    update();
}

int ZOptionsMenu::stepFrom(int from, int step) const
{
    const int n = count();
    if (n == 0)
        return -1;
    int i = from;
    for (int tries = 0; tries < n; ++tries) {
        i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
        if (m_entries[i]->enabled)
            return i;
    }
    return -1;
}

void ZOptionsMenu::popup()
{
    if (isVisible())
        return;
    QWidget* anchor = m_bar ? static_cast<QWidget*>(m_bar.data()) : parentWidget();
    QWidget* win = anchor ? anchor->window() : nullptr;
    if (!win)
        return;
    // The window's own focus widget: without a window manager no window may
    // be active, and QApplication::focusWidget() is then null.
    m_focusBefore = ZKeyFocus::holder(win);
    if (parentWidget() != win)
        setParent(win);
    // The menu covers the screen above the soft-key bar; it paints only its
    // panel, so the screen stays visible around it.
    int coverHeight = win->height() - ZTheme::SoftKeyHeight;
    if (m_bar && m_bar->window() == win)
        coverHeight = m_bar->mapTo(win, QPoint(0, 0)).y();
    setGeometry(0, 0, win->width(), qMax(0, coverHeight));
    m_current = stepFrom(-1, 1);
    m_pressed = -1;
    emit aboutToShow();
    raise();
    QWidget::show();
    setFocus(Qt::PopupFocusReason);
    if (m_bar)
        m_bar->menuShown(this);
}

void ZOptionsMenu::hide()
{
    if (!isVisible())
        return;
    emit aboutToHide();
    QWidget::hide();
    if (m_homeParent && parentWidget() != m_homeParent)
        setParent(m_homeParent);
    if (m_bar)
        m_bar->menuHidden(this);
    ZKeyFocus::giveBack(window(), m_focusBefore);
    m_focusBefore = nullptr;
}

void ZOptionsMenu::activateIndex(int index)
{
    if (index < 0 || index >= count() || m_entries[index]->separator || !m_entries[index]->enabled) {
        return;
    }
    const int id = m_entries[index]->id;
    const QPointer<const QObject> receiver = m_entries[index]->receiver;
    const QByteArray member = m_entries[index]->member;
    hide();
    QPointer<ZOptionsMenu> self(this);
    if (receiver && !member.isEmpty()) {
        const QMetaObject::Connection c = connect(this, SIGNAL(entryTriggered()), receiver.data(), member.constData());
        emit entryTriggered();
        if (self)
            disconnect(c);
    }
    if (self)
        emit activated(id);
}

int ZOptionsMenu::rowHeight(int index) const
{
    if (m_entries[index]->separator)
        return SeparatorHeight;
    return qMax(IconBox + 4, fontMetrics().height() + 4) + m_spacing / 2;
}

QRect ZOptionsMenu::panelRect() const
{
    int w = MinPanelWidth;
    int h = 2 * PanelMargin;
    const QFontMetrics fm(ZTheme::font());
    for (int i = 0; i < count(); ++i) {
        h += rowHeight(i);
        if (!m_entries[i]->separator)
            w = qMax(w, fm.horizontalAdvance(m_entries[i]->text) + IconBox + 30);
    }
    w = qMin(w, width() - 8);
    if (m_requested.isValid() && m_requested.width() > 0)
        return QRect(m_requested.topLeft(), QSize(w, qMin(h, height())));
    h = qMin(h, height() - 4);
    return QRect(2, height() - h - 1, w, h);
}

QRect ZOptionsMenu::entryRect(int index) const
{
    const QRect panel = panelRect();
    int y = panel.top() + PanelMargin;
    for (int i = 0; i < index; ++i)
        y += rowHeight(i);
    return QRect(panel.left() + PanelMargin, y, panel.width() - 2 * PanelMargin, rowHeight(index));
}

int ZOptionsMenu::entryAt(const QPoint& pos) const
{
    for (int i = 0; i < count(); ++i)
        if (entryRect(i).contains(pos))
            return i;
    return -1;
}

void ZOptionsMenu::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(ZTheme::font());
    const QRect panel = panelRect();

    // Shadow, then the panel.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(QRectF(panel).translated(2, 2), 4, 4);
    p.setBrush(ZTheme::panel);
    p.setPen(QPen(ZTheme::panelBorder, 1));
    p.drawRoundedRect(QRectF(panel).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    p.setClipRect(panel.adjusted(1, 1, -1, -1));
    for (int i = 0; i < count(); ++i) {
        const Entry* e = m_entries[i];
        const QRect r = entryRect(i);
        if (e->separator) {
            p.setPen(ZTheme::rowLine.darker(110));
            const int y = r.center().y();
            p.drawLine(r.left() + 6, y, r.right() - 6, y);
            continue;
        }
        const bool current = i == m_current;
        if (current) {
            p.save();
            p.setPen(Qt::NoPen);
            QPainterPath path;
            path.addRoundedRect(QRectF(r), 3, 3);
            p.setClipPath(path, Qt::IntersectClip);
            ZTheme::paintHighlight(p, r);
            p.restore();
        }
        const QPixmap icon = ZTheme::fitted(e->icon, QSize(IconBox, IconBox));
        if (!icon.isNull())
            p.drawPixmap(r.left() + 4 + (IconBox - icon.width()) / 2,
                         r.top() + (r.height() - icon.height()) / 2, icon);
        const QRect textRect = r.adjusted(IconBox + 12, 0, -6, 0);
        p.setPen(!e->enabled ? ZTheme::disabledInk : current ? QColor(Qt::white) : ZTheme::ink);
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                   p.fontMetrics().elidedText(e->text, Qt::ElideRight, textRect.width()));
    }
}

void ZOptionsMenu::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        m_current = stepFrom(m_current, -1);
        update();
        break;
    case Qt::Key_Down:
        m_current = stepFrom(m_current, 1);
        update();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
    case Qt::Key_F1:
        activateIndex(m_current);
        break;
    case Qt::Key_Escape:
    case Qt::Key_F2:
    case Qt::Key_Back:
        hide();
        break;
    default:
        event->accept(); // an open menu keeps every key to itself
        break;
    }
}

void ZOptionsMenu::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!panelRect().contains(pos)) {
        hide();
        return;
    }
    m_pressed = entryAt(pos);
    if (m_pressed >= 0 && m_entries[m_pressed]->enabled)
        m_current = m_pressed;
    update();
}

void ZOptionsMenu::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const int i = entryAt(event->position().toPoint());
    if (i >= 0 && m_entries[i]->enabled && i != m_current) {
        m_current = i;
        update();
    }
}

void ZOptionsMenu::mouseReleaseEvent(QMouseEvent* event)
{
    const int i = entryAt(event->position().toPoint());
    const int pressed = m_pressed;
    m_pressed = -1;
    if (i >= 0 && i == pressed)
        activateIndex(i);
}
