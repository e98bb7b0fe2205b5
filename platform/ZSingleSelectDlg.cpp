#include "ZSingleSelectDlg.h"

#include <QVBoxLayout>

#include "ZListBox.h"
#include "ZSelectDlgCommon.h"

ZSingleSelectDlg::ZSingleSelectDlg(const QString& title, const QString& text, QWidget* parent,
                                   const char* name, bool modal, int, int)
    : ZPopup(parent, name, modal, 0)
    , m_text(text)
{
    setTitle(title);
    setKeyTexts(tr("Select"), tr("Cancel"));
    m_textLabel = ZSelectDlgCommon::addPrompt(this, bodyLayout(), text);
    m_list = ZSelectDlgCommon::addList(this, bodyLayout(), true);
    connect(m_list, &ZListBox::returnPressed, this, [this] { leftKey(); });
}

ZSingleSelectDlg::~ZSingleSelectDlg() = default;

void ZSingleSelectDlg::addItemsList(const QStringList& entries)
{
    ZSelectDlgCommon::addEntries(m_list, entries);
}

int ZSingleSelectDlg::getCheckedItemIndex() const
{
    const QList<int> rows = m_list->checkedItems();
    return rows.isEmpty() ? -1 : rows.first();
}

QJsonObject ZSingleSelectDlg::describe() const
{
    QJsonObject o = ZPopup::describe();
    o[QStringLiteral("text")] = m_text;
    o[QStringLiteral("entries")] = ZSelectDlgCommon::entries(m_list);
    o[QStringLiteral("checked")] = ZSelectDlgCommon::checked(m_list);
    return o;
}

void ZSingleSelectDlg::leftKey()
{
    // The left key chooses the highlighted entry.
    if (m_list->currentItem() >= 0)
        m_list->checkItem(m_list->currentItem(), true);
    accept();
}

int ZSingleSelectDlg::applyAnswer(const ZAutomation::Answer& answer, QString* error)
{
    switch (answer.kind) {
    case ZAutomation::Answer::Accept:
        if (m_list->currentItem() >= 0)
            m_list->checkItem(m_list->currentItem(), true);
        return 1;
    case ZAutomation::Answer::Check:
        if (answer.checks.size() > 1) {
            *error = QStringLiteral("only one entry can be checked here");
            return 0;
        }
        return ZSelectDlgCommon::checkExactly(m_list, answer.checks, error) ? 1 : 0;
    default:
        return ZPopup::applyAnswer(answer, error);
    }
}

void ZSingleSelectDlg::showEvent(QShowEvent* event)
{
    // Open on the checked entry.
    const int checked = getCheckedItemIndex();
    if (checked >= 0)
        m_list->setCurrentItem(checked);
    ZPopup::showEvent(event);
    m_list->setFocus();
}
