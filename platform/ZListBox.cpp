#include "ZListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <algorithm>

#include "ZListBoxItem.h"
#include "ZTheme.h"

namespace {
constexpr int CheckColumn = 24;
constexpr int MinRowHeight = 26;
constexpr int RowPadding = 8;
constexpr int LinePictureBox = 14;
constexpr int MaxPicture = 40;

QFont lineFont(int line)
{
    return line == 0 ? ZTheme::font(12) : ZTheme::font(11);
}

} // namespace

// The size a picture column is laid out with: that of the picture as shown,
// or, for one not made yet, of the size it stands for.
QSize ZListBox::pictureSize(const ZListBoxItem* item, int column)
{
    const ZListBoxItem::Column& c = item->m_columns.at(column);
    const QSize box(MaxPicture, MaxPicture);
    if (!c.make)
        return ZTheme::fitted(c.pixmap, box).size();
    if (c.size.isEmpty() || (c.size.width() <= box.width() && c.size.height() <= box.height()))
        return c.size;
    return c.size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

ZListBox::ZListBox(const QString& layout, QWidget* parent, int /*flags*/, ZSkinService::WidgetClsID /*cls*/)
    : QAbstractScrollArea(parent)
    , m_layout(layout)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(pal);
    // A slim phone-style scroll bar.
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: #eef1f5; width: 6px; margin: 0; border: none; }"
        "QScrollBar::handle:vertical { background: #9aa4b4; min-height: 24px; border-radius: 3px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
    m_tops.append(0);
}

ZListBox::~ZListBox()
{
    const QList<ZListBoxItem*> items = m_items;
    m_items.clear();
    for (ZListBoxItem* it : items) {
        it->m_inList = false;
        delete it;
    }
}

void ZListBox::insertItem(ZListBoxItem* item, int index, bool autoHighlighted)
{
    if (!item)
        return;
    if (item->m_inList && item->m_list) {
        ZListBox* old = item->m_list;
        old->takeItem(old->index(item));
    }
    if (index < 0 || index > m_items.size())
        index = int(m_items.size());
    m_items.insert(index, item);
    item->m_list = this;
    item->m_inList = true;
    if (m_current >= index)
        ++m_current;
    else if (m_current < 0 && autoHighlighted)
        m_current = index;
    relayout();
}

int ZListBox::count() const
{
    return int(m_items.size());
}

ZListBoxItem* ZListBox::item(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

int ZListBox::index(const ZListBoxItem* item) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i) == item)
            return i;
    return -1;
}

int ZListBox::currentItem() const
{
    return m_current;
}

void ZListBox::setCurrentItem(int index, bool /*highlighted*/)
{
    if (index < 0 || index >= count())
        index = -1;
    if (index == m_current)
        return;
    m_current = index;
    ensureCurrentVisible();
    viewport()->update();
    if (index >= 0)
        emit highlighted(index);
}

void ZListBox::activateCurrent()
{
    if (m_current < 0)
        return;
    ZListBoxItem* it = m_items.at(m_current);
    const quint64 generation = m_generation;
    emit selected(m_current);
    // A slot of selected may have rebuilt the list; then the row is gone.
    if (generation == m_generation && index(it) >= 0)
        emit returnPressed(it);
}

void ZListBox::removeItem(int index)
{
    delete takeItem(index);
}

ZListBoxItem* ZListBox::takeItem(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    ZListBoxItem* it = m_items.takeAt(index);
    it->m_inList = false;
    ++m_generation;
    if (index < m_current)
        --m_current;
    else if (index == m_current && m_current >= m_items.size())
        m_current = int(m_items.size()) - 1;
    relayout();
    return it;
}

void ZListBox::detach(ZListBoxItem* item)
{
    takeItem(index(item));
}

void ZListBox::clear()
{
    const QList<ZListBoxItem*> items = m_items;
    m_items.clear();
    m_current = -1;
    ++m_generation;
    for (ZListBoxItem* it : items) {
        it->m_inList = false;
        delete it;
    }
    relayout();
}

void ZListBox::sort(bool ascending)
{
    ZListBoxItem* current = item(m_current);
    std::stable_sort(m_items.begin(), m_items.end(), [ascending](ZListBoxItem* a, ZListBoxItem* b) {
        const int c = QString::compare(a->text(), b->text());
        return ascending ? c < 0 : c > 0;
    });
    m_current = current ? index(current) : -1;
    relayout();
}

void ZListBox::setCheckable(bool checkable)
{
    m_checkable = checkable;
    relayout();
}

void ZListBox::setCheckStyle(CheckStyle style)
{
    m_checkStyle = style;
    if (style == RadioButtons) {
        // Keep the first checked row only.
        bool seen = false;
        for (ZListBoxItem* it : m_items) {
            if (it->m_checked && seen)
                it->m_checked = false;
            seen = seen || it->m_checked;
        }
    }
    viewport()->update();
}

void ZListBox::checkItem(int index, bool checked)
{
    if (index < 0 || index >= count())
        return;
    if (checked && m_checkStyle == RadioButtons) {
        for (int i = 0; i < count(); ++i)
            if (i != index && m_items[i]->m_checked) {
                m_items[i]->m_checked = false;
                emit checkToggled(i, false);
            }
    }
    if (m_items[index]->m_checked != checked) {
        m_items[index]->m_checked = checked;
        emit checkToggled(index, checked);
    }
    viewport()->update();
}

bool ZListBox::itemChecked(int index) const
{
    return index >= 0 && index < count() && m_items.at(index)->m_checked;
}

QList<int> ZListBox::checkedItems() const
{
    QList<int> rows;
    for (int i = 0; i < count(); ++i)
        if (m_items.at(i)->m_checked)
            rows.append(i);
    return rows;
}

void ZListBox::toggleCheck(int index)
{
    if (!m_checkable || index < 0 || index >= count())
        return;
    if (m_checkStyle == RadioButtons)
        checkItem(index, true);
    else
        checkItem(index, !itemChecked(index));
}

int ZListBox::lineHeight(int line) const
{
    // Two fonts, measured once: rows are many and their lines alike.
    int& height = m_lineHeights[line == 0 ? 0 : 1];
    if (height == 0)
        height = QFontMetrics(lineFont(line)).height() + 1;
    return height;
}

int ZListBox::rowHeight(int index) const
{
    const ZListBoxItem* it = item(index);
    if (!it)
        return 0;
    int lines = 0;
    int picture = 0;
    for (int c = 0; c < it->m_columns.size(); ++c) {
        if (it->m_columns.at(c).text)
            lines = qMax(lines, int(it->m_columns.at(c).lines.size()));
        else
            picture = qMax(picture, pictureSize(it, c).height());
    }
    int text = 0;
    for (int l = 0; l < qMax(1, lines); ++l)
        text += lineHeight(l);
    return qMax(MinRowHeight, qMax(text, picture) + RowPadding);
}

// Row geometry is worked out lazily: filling a list inserts rows and lines one
// by one, and measuring every row after each of them made filling quadratic.
void ZListBox::relayout()
{
    m_layoutDirty = true;
    viewport()->update();
    updateGeometry();
}

void ZListBox::layoutIfNeeded() const
{
    if (m_layoutDirty)
        const_cast<ZListBox*>(this)->doLayout();
}

void ZListBox::doLayout()
{
    m_layoutDirty = false;
    m_tops.clear();
    int y = 0;
    for (int i = 0; i < count(); ++i) {
        m_tops.append(y);
        y += rowHeight(i);
    }
    m_tops.append(y);

    m_iconWidths.clear();
    for (const ZListBoxItem* it : m_items) {
        for (int c = 0; c < it->m_columns.size(); ++c) {
            while (m_iconWidths.size() <= c)
                m_iconWidths.append(0);
            const ZListBoxItem::Column& col = it->m_columns.at(c);
            if (!col.text && (col.make || !col.pixmap.isNull())) {
                const int w = pictureSize(it, c).width();
                m_iconWidths[c] = qMax(m_iconWidths[c], qMax(w, 19) + 8);
            }
        }
    }

    // The bar shows only when the rows do not fit (decided here, at once,
    // rather than later by the scroll area).
    const Qt::ScrollBarPolicy policy = y > viewport()->height() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (verticalScrollBarPolicy() != policy)
        setVerticalScrollBarPolicy(policy);
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, qMax(0, y - viewport()->height()));
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(MinRowHeight);
}

int ZListBox::rowTop(int index) const
{
    layoutIfNeeded();
    return index >= 0 && index < m_tops.size() ? m_tops.at(index) : 0;
}

int ZListBox::rowAt(int y) const
{
    layoutIfNeeded();
    if (y < 0 || y >= m_tops.last())
        return -1;
    // m_tops holds each row's top and, last, the total height.
    const auto next = std::upper_bound(m_tops.cbegin(), m_tops.cend(), y);
    return int(next - m_tops.cbegin()) - 1;
}

void ZListBox::ensureCurrentVisible()
{
    if (m_current < 0)
        return;
    layoutIfNeeded();
    QScrollBar* bar = verticalScrollBar();
    const int top = rowTop(m_current);
    const int bottom = top + rowHeight(m_current);
    if (top < bar->value())
        bar->setValue(top);
    else if (bottom > bar->value() + viewport()->height())
        bar->setValue(bottom - viewport()->height());
}

void ZListBox::moveCurrent(int to)
{
    if (count() == 0)
        return;
    setCurrentItem(qBound(0, to, count() - 1));
    ensureCurrentVisible();
}

void ZListBox::itemChanged(ZListBoxItem*)
{
    relayout();
}

QSize ZListBox::sizeHint() const
{
    layoutIfNeeded();
    return QSize(240, qBound(MinRowHeight, m_tops.last(), 240));
}

void ZListBox::paintEvent(QPaintEvent*)
{
    layoutIfNeeded();
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    const int offset = verticalScrollBar()->value();
    for (int i = qMax(0, rowAt(offset)); i < count(); ++i) {
        const int top = m_tops.at(i);
        const QRect r(0, top - offset, viewport()->width(), m_tops.at(i + 1) - top);
        if (r.top() > viewport()->height())
            break;
        paintRow(p, i, r);
    }
}

void ZListBox::paintRow(QPainter& p, int index, const QRect& r)
{
    const ZListBoxItem* it = m_items.at(index);
    const bool current = index == m_current;
    if (current)
        ZTheme::paintHighlight(p, r);
    else {
        p.setPen(ZTheme::rowLine);
        p.drawLine(r.left() + 4, r.bottom(), r.right() - 4, r.bottom());
    }

    int x = r.left() + 4;
    if (m_checkable) {
        const QRectF box(x + 3, r.center().y() - 6.5, 13, 13);
        p.save();
        p.setPen(QPen(current ? QColor(Qt::white) : ZTheme::panelBorder.darker(120), 1.2));
        p.setBrush(Qt::white);
        if (m_checkStyle == RadioButtons) {
            p.drawEllipse(box);
            if (it->m_checked) {
                p.setPen(Qt::NoPen);
                p.setBrush(ZTheme::accent);
                p.drawEllipse(box.adjusted(3.5, 3.5, -3.5, -3.5));
            }
        } else {
            p.drawRoundedRect(box, 2, 2);
            if (it->m_checked) {
                QPainterPath tick;
                tick.moveTo(box.left() + 3, box.center().y());
                tick.lineTo(box.left() + 5.5, box.bottom() - 3);
                tick.lineTo(box.right() - 2.5, box.top() + 3);
                p.setPen(QPen(ZTheme::accent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                p.setBrush(Qt::NoBrush);
                p.drawPath(tick);
            }
        }
        p.restore();
        x += CheckColumn;
    }

    // Room for the text columns: what the picture columns leave.
    const int columns = int(it->m_columns.size());
    int pictureWidth = 0;
    int textColumns = 0;
    for (int c = 0; c < columns; ++c) {
        if (it->m_columns.at(c).text)
            ++textColumns;
        else
            pictureWidth += c < m_iconWidths.size() ? m_iconWidths.at(c) : 0;
    }
    const int textWidth = textColumns
        ? qMax(0, (r.right() - 4 - x - pictureWidth) / textColumns)
        : 0;

    for (int c = 0; c < columns; ++c) {
        const ZListBoxItem::Column& col = it->m_columns.at(c);
        if (!col.text) {
            const int w = c < m_iconWidths.size() ? m_iconWidths.at(c) : 0;
            const QPixmap pm = ZTheme::fitted(it->picture(c), QSize(MaxPicture, MaxPicture));
            if (!pm.isNull())
                p.drawPixmap(x + (w - pm.width()) / 2, r.top() + (r.height() - pm.height()) / 2, pm);
            x += w;
            continue;
        }
        int total = 0;
        for (int l = 0; l < qMax(1, int(col.lines.size())); ++l)
            total += lineHeight(l);
        int y = r.top() + (r.height() - total) / 2;
        for (int l = 0; l < col.lines.size(); ++l) {
            const ZListBoxItem::Line& line = col.lines.at(l);
            const int h = lineHeight(l);
            int tx = x + 2;
            const QPixmap pm = ZTheme::fitted(line.pixmap, QSize(LinePictureBox, LinePictureBox));
            if (!pm.isNull()) {
                p.drawPixmap(tx, y + (h - pm.height()) / 2, pm);
                tx += pm.width() + 4;
            }
            p.setFont(lineFont(l));
            QColor ink = l == 0 ? ZTheme::ink : ZTheme::mutedInk;
            if (current)
                ink = l == 0 ? QColor(Qt::white) : QColor(0xdc, 0xe6, 0xf5);
            p.setPen(ink);
            const QRect tr(tx, y, x + textWidth - tx - 2, h);
            p.drawText(tr, Qt::AlignVCenter | Qt::AlignLeft,
                       p.fontMetrics().elidedText(line.text, Qt::ElideRight, tr.width()));
            y += h;
        }
        x += textWidth;
    }
}

void ZListBox::keyPressEvent(QKeyEvent* event)
{
    const int page = qMax(1, viewport()->height() / MinRowHeight);
    switch (event->key()) {
    case Qt::Key_Up:
        if (count())
            moveCurrent(m_current < 0 ? 0 : m_current - 1);
        break;
    case Qt::Key_Down:
        if (count())
            moveCurrent(m_current < 0 ? 0 : m_current + 1);
        break;
    case Qt::Key_PageUp:
        moveCurrent(m_current - page);
        break;
    case Qt::Key_PageDown:
        moveCurrent(qMax(0, m_current) + page);
        break;
    case Qt::Key_Home:
        moveCurrent(0);
        break;
    case Qt::Key_End:
        moveCurrent(count() - 1);
        break;
    case Qt::Key_Space:
        if (!m_checkable) {
            event->ignore();
            return;
        }
        toggleCheck(m_current);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        if (m_checkable)
            toggleCheck(m_current);
        activateCurrent();
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void ZListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int row = rowAt(int(event->position().y()) + verticalScrollBar()->value());
    if (row < 0)
        return;
    const quint64 generation = m_generation;
    setCurrentItem(row);
    // A slot of highlighted may have rebuilt the list; the click is then void.
    if (generation != m_generation)
        return;
    toggleCheck(row);
    if (ZListBoxItem* it = item(row))
        emit clicked(it);
}

void ZListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int row = rowAt(int(event->position().y()) + verticalScrollBar()->value());
    if (row < 0)
        return;
    setCurrentItem(row);
    activateCurrent();
}

void ZListBox::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
    // A row made current while the list was still small may have scrolled
    // it; at its real size the list shows that row from the top again.
    ensureCurrentVisible();
}

void ZListBox::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ZListBox::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
