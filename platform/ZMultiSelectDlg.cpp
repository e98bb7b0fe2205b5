#include "ZMultiSelectDlg.h"

#include <QVBoxLayout>

#include "ZListBox.h"
#include "ZSelectDlgCommon.h"

ZMultiSelectDlg::ZMultiSelectDlg(const QString& title, const QString& text, QWidget* parent,
                                 const char* name, bool modal, int, int)
    : ZPopup(parent, name, modal, 0)
    , m_text(text)
{
    setTitle(title);
    setKeyTexts(tr("OK"), tr("Cancel"));
    m_textLabel = ZSelectDlgCommon::addPrompt(this, bodyLayout(), text);
    m_list = ZSelectDlgCommon::addList(this, bodyLayout(), false);
    m_list->setFocus();
}

ZMultiSelectDlg::~ZMultiSelectDlg() = default;

void ZMultiSelectDlg::addItemsList(const QStringList& entries)
{
    ZSelectDlgCommon::addEntries(m_list, entries);
}

QJsonObject ZMultiSelectDlg::describe() const
{
    QJsonObject o = ZPopup::describe();
    o[QStringLiteral("text")] = m_text;
    o[QStringLiteral("entries")] = ZSelectDlgCommon::entries(m_list);
    o[QStringLiteral("checked")] = ZSelectDlgCommon::checked(m_list);
    return o;
}

int ZMultiSelectDlg::applyAnswer(const ZAutomation::Answer& answer, QString* error)
{
    if (answer.kind == ZAutomation::Answer::Check)
        return ZSelectDlgCommon::checkExactly(m_list, answer.checks, error) ? 1 : 0;
    return ZPopup::applyAnswer(answer, error);
}
