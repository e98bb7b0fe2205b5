#pragma once

#include "ZPopup.h"

class ZNumModule;

// Picks a number within the module's bounds. The left key or Enter confirms
// (result 1), the right key cancels. Script answers: accept, number N
// (clamped by the bounds), reject.
class ZNumPickerDlg : public ZPopup
{
    Q_OBJECT
public:
    ZNumPickerDlg(int digits, QWidget* parent, const char* name, int flags = 0);
    ~ZNumPickerDlg() override;

    ZNumModule* getNumModule() const { return m_module; }
    int getNumValue() const;

    QJsonObject describe() const override;

protected:
    int applyAnswer(const ZAutomation::Answer& answer, QString* error) override;

private:
    ZNumModule* m_module;
};
