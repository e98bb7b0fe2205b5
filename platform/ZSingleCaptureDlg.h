#pragma once

#include "ZPopup.h"

class QLabel;
class QLineEdit;

// A prompt and a one-line text field. Enter or the left key confirms
// (result 1), the right key or Escape cancels. Script answers: accept (keeps
// the text), text <rest of line>, reject.
class ZSingleCaptureDlg : public ZPopup
{
    Q_OBJECT
public:
    ZSingleCaptureDlg(const QString& title, const QString& text, int captureType,
                      QWidget* parent, const char* name, bool modal = true, int = 0, int = 0);
    ~ZSingleCaptureDlg() override;

    QLineEdit* getLineEdit() const { return m_edit; }
    int captureType() const { return m_captureType; }

    QJsonObject describe() const override;

protected:
    int applyAnswer(const ZAutomation::Answer& answer, QString* error) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_text;
    int m_captureType;
    QLabel* m_textLabel;
    QLineEdit* m_edit;
};
