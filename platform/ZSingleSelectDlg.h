#pragma once

#include <QStringList>

#include "ZPopup.h"

class QLabel;
class ZListBox;

// Choose one entry of a list (radio marks). The left key ("Select"), Enter
// or a double click checks the highlighted entry and confirms (result 1);
// a click checks an entry; the right key cancels.
// Script answers: accept (as the left key), check N, reject.
class ZSingleSelectDlg : public ZPopup
{
    Q_OBJECT
public:
    ZSingleSelectDlg(const QString& title, const QString& text, QWidget* parent,
                     const char* name, bool modal = true, int = 0, int = 0);
    ~ZSingleSelectDlg() override;

    void addItemsList(const QStringList& entries);
    ZListBox* getListBox() const { return m_list; }
    int getCheckedItemIndex() const; // -1 when none

    QJsonObject describe() const override;

protected:
    int applyAnswer(const ZAutomation::Answer& answer, QString* error) override;
    void leftKey() override;
    void showEvent(QShowEvent* event) override;

private:
    QString m_text;
    QLabel* m_textLabel;
    ZListBox* m_list;
};
