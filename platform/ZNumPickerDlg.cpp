#include "ZNumPickerDlg.h"

#include <QVBoxLayout>

#include "ZLabel.h"
#include "ZNumModule.h"

ZNumPickerDlg::ZNumPickerDlg(int digits, QWidget* parent, const char* name, int flags)
    : ZPopup(parent, name, true, flags)
{
    setKeyTexts(tr("OK"), tr("Cancel"));
    m_module = new ZNumModule(digits, this);
    bodyLayout()->addWidget(m_module);
    m_module->setFocus();
}

ZNumPickerDlg::~ZNumPickerDlg() = default;

int ZNumPickerDlg::getNumValue() const
{
    return m_module->value();
}

QJsonObject ZNumPickerDlg::describe() const
{
    QJsonObject o = ZPopup::describe();
    o[QStringLiteral("text")] = m_module->label() ? m_module->label()->text() : QString();
    o[QStringLiteral("value")] = m_module->value();
    o[QStringLiteral("min")] = m_module->minValue();
    o[QStringLiteral("max")] = m_module->maxValue();
    return o;
}

int ZNumPickerDlg::applyAnswer(const ZAutomation::Answer& answer, QString* error)
{
    if (answer.kind == ZAutomation::Answer::Number) {
        m_module->setValue(answer.number);
        return 1;
    }
    return ZPopup::applyAnswer(answer, error);
}
