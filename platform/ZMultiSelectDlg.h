#pragma once

#include <QStringList>

#include "ZPopup.h"

class QLabel;
class ZListBox;

// Check any number of entries (check boxes). A click, Enter or Space toggles
// the highlighted entry; the left key confirms (result 1), the right key
// cancels. Script answers: accept (as checked), check N [N ...], reject.
class ZMultiSelectDlg : public ZPopup
{
    Q_OBJECT
public:
    ZMultiSelectDlg(const QString& title, const QString& text, QWidget* parent,
                    const char* name, bool modal = true, int = 0, int = 0);
    ~ZMultiSelectDlg() override;

    void addItemsList(const QStringList& entries);
    ZListBox* getListBox() const { return m_list; }

    QJsonObject describe() const override;

protected:
    int applyAnswer(const ZAutomation::Answer& answer, QString* error) override;

private:
    QString m_text;
    QLabel* m_textLabel;
    ZListBox* m_list;
};
