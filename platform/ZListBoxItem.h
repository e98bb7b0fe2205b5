#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>

class ZListBox;

// One row of a ZListBox. The layout string names its columns from left to
// right: "%I" a picture column, "%M" a multi-line text column; "%I%M" and
// "%I%M%I" are the usual ones. Each text line may carry a small picture in
// front of it.
class ZListBoxItem
{
public:
    ZListBoxItem(ZListBox* container, const QString& layout);
    virtual ~ZListBoxItem(); // leaves its list first when still in one

    void setPixmap(int column, const QPixmap& pixmap);
    // A picture made only when it is needed: when the row is first painted
    // or its picture is asked for. make runs once; until then the list lays
    // the row out as for a picture of the given size.
    void setPixmap(int column, const QSize& size, std::function<QPixmap()> make);
    QPixmap pixmap(int column) const;

    // Adds one text line to a column, with an optional picture before it.
    // translate is accepted for compatibility; texts are shown as given.
    void appendSubItem(int column, const QString& text, bool translate = false,
                       const QPixmap* linePixmap = nullptr);
    // Empty when the column or line does not exist.
    QString getSubItemText(int column, int line, bool translate = false) const;
    QPixmap subItemPixmap(int column, int line) const;
    int subItemCount(int column) const;

    // Line 0 of the first text column: what the list sorts by.
    QString text() const;
    // Every text line of the row, column by column, in order.
    QStringList allTexts() const;

    QString layout() const { return m_layout; }
    int columnCount() const { return int(m_columns.size()); }
    bool isTextColumn(int column) const;

    ZListBox* listBox() const { return m_list; }
    bool isChecked() const { return m_checked; }

private:
    friend class ZListBox;
    struct Line {
        QString text;
        QPixmap pixmap;
    };
    struct Column {
        bool text = false;
        QPixmap pixmap;
        QList<Line> lines;
        std::function<QPixmap()> make; // the picture, while not yet made
        QSize size;                    // what it is laid out as until then
    };
    void changed();
    // The column's picture, made now if it was waiting.
    const QPixmap& picture(int column) const;

    QString m_layout;
    mutable QList<Column> m_columns;
    ZListBox* m_list;   // the list it is in (or was made for)
    bool m_inList = false;
    bool m_checked = false;
};
