#include "ZListBoxItem.h"

#include "ZListBox.h"

ZListBoxItem::ZListBoxItem(ZListBox* container, const QString& layout)
    : m_layout(layout)
    , m_list(container)
{
    // A list's rows share their layout: the columns of the last one worked
    // out are copied, not worked out again for each row.
    static QString lastLayout;
    static QList<Column> lastColumns;
    if (!lastColumns.isEmpty() && layout == lastLayout) {
        m_columns = lastColumns;
        return;
    }
    // "%I" is a picture column, "%M" a text column; anything else is skipped.
    for (int i = 0; i + 1 < layout.size(); ++i) {
        if (layout.at(i) != QLatin1Char('%'))
            continue;
        const QChar kind = layout.at(i + 1).toUpper();
        if (kind == QLatin1Char('I') || kind == QLatin1Char('M')) {
            Column c;
            c.text = kind == QLatin1Char('M');
            m_columns.append(c);
            ++i;
        }
    }
    if (m_columns.isEmpty()) {
        Column c;
        c.text = true;
        m_columns.append(c);
    }
    lastLayout = layout;
    lastColumns = m_columns;
}

ZListBoxItem::~ZListBoxItem()
{
    if (m_inList && m_list)
        m_list->detach(this);
}

void ZListBoxItem::setPixmap(int column, const QPixmap& pixmap)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].pixmap = pixmap;
    m_columns[column].make = nullptr;
    changed();
}

void ZListBoxItem::setPixmap(int column, const QSize& size, std::function<QPixmap()> make)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].pixmap = QPixmap();
    m_columns[column].make = std::move(make);
    m_columns[column].size = size;
    changed();
}

const QPixmap& ZListBoxItem::picture(int column) const
{
    Column& c = m_columns[column];
    if (c.make) {
        // Cleared first: what make holds (a shared cache, say) is let go.
        const std::function<QPixmap()> make = std::move(c.make);
        c.make = nullptr;
        c.pixmap = make();
        // Laid out for another size: the list works its rows out again.
        if (c.pixmap.size() != c.size)
            const_cast<ZListBoxItem*>(this)->changed();
    }
    return c.pixmap;
}

QPixmap ZListBoxItem::pixmap(int column) const
{
    return column >= 0 && column < m_columns.size() ? picture(column) : QPixmap();
}

void ZListBoxItem::appendSubItem(int column, const QString& text, bool /*translate*/,
                                 const QPixmap* linePixmap)
{
    if (column < 0 || column >= m_columns.size())
        return;
    Line line;
    line.text = text;
    if (linePixmap)
        line.pixmap = *linePixmap;
    m_columns[column].lines.append(line);
    changed();
}

QString ZListBoxItem::getSubItemText(int column, int line, bool /*translate*/) const
{
    if (column < 0 || column >= m_columns.size())
        return QString();
    const QList<Line>& lines = m_columns.at(column).lines;
    return line >= 0 && line < lines.size() ? lines.at(line).text : QString();
}

QPixmap ZListBoxItem::subItemPixmap(int column, int line) const
{
    if (column < 0 || column >= m_columns.size())
        return QPixmap();
    const QList<Line>& lines = m_columns.at(column).lines;
    return line >= 0 && line < lines.size() ? lines.at(line).pixmap : QPixmap();
}

int ZListBoxItem::subItemCount(int column) const
{
    return column >= 0 && column < m_columns.size() ? int(m_columns.at(column).lines.size()) : 0;
}

QString ZListBoxItem::text() const
{
    for (const Column& c : m_columns)
        if (c.text)
            return c.lines.isEmpty() ? QString() : c.lines.first().text;
    return QString();
}

QStringList ZListBoxItem::allTexts() const
{
    QStringList texts;
    for (const Column& c : m_columns)
        for (const Line& l : c.lines)
            texts.append(l.text);
    return texts;
}

bool ZListBoxItem::isTextColumn(int column) const
{
    return column >= 0 && column < m_columns.size() && m_columns.at(column).text;
}

void ZListBoxItem::changed()
{
    if (m_inList && m_list)
        m_list->itemChanged(this);
}
