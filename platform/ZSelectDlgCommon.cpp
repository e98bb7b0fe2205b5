#include "ZSelectDlgCommon.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ZListBox.h"
#include "ZListBoxItem.h"

namespace ZSelectDlgCommon {

QLabel* addPrompt(QWidget* dialog, QVBoxLayout* body, const QString& text)
{
    auto* label = new QLabel(text, dialog);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setVisible(!text.isEmpty());
    label->setContentsMargins(8, 2, 8, 2);
    body->addWidget(label);
    return label;
}

ZListBox* addList(QWidget* dialog, QVBoxLayout* body, bool radio)
{
    auto* list = new ZListBox(QStringLiteral("%M"), dialog, 0, ZSkinService::clsZListBox);
    list->setCheckable(true);
    list->setCheckStyle(radio ? ZListBox::RadioButtons : ZListBox::CheckBoxes);
    body->addWidget(list, 1);
    body->setContentsMargins(0, 4, 0, 0);
    return list;
}

void addEntries(ZListBox* list, const QStringList& entries)
{
    for (const QString& entry : entries) {
        auto* item = new ZListBoxItem(list, QStringLiteral("%M"));
        item->appendSubItem(0, entry);
        list->insertItem(item);
    }
}

QJsonArray entries(const ZListBox* list)
{
    QJsonArray a;
    for (int i = 0; i < list->count(); ++i)
        a.append(list->item(i)->text());
    return a;
}

QJsonArray checked(const ZListBox* list)
{
    QJsonArray a;
    for (int row : list->checkedItems())
        a.append(row);
    return a;
}

bool checkExactly(ZListBox* list, const QList<int>& rows, QString* error)
{
    for (int row : rows)
        if (row < 0 || row >= list->count()) {
            *error = QStringLiteral("entry %1 does not exist").arg(row);
            return false;
        }
    for (int i = 0; i < list->count(); ++i)
        list->checkItem(i, false);
    for (int row : rows)
        list->checkItem(row, true);
    if (!rows.isEmpty())
        list->setCurrentItem(rows.last());
    return true;
}

} // namespace ZSelectDlgCommon
