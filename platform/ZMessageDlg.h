#pragma once

#include <QPixmap>

#include "ZPopup.h"

class QLabel;

// A message with a picture. Types: TypeOK and TypeInformation one key "OK";
// TypeChoose a yes/no question ("Yes" gives 1, "No" 0); TypeWait a wait
// message without keys. A time-out (milliseconds, > 0) closes the dialog by
// itself (a question with 0, anything else with 1). Under automation a
// wait message with a time-out closes at once and is recorded as "wait".
class ZMessageDlg : public ZPopup
{
    Q_OBJECT
public:
    enum MessageType { TypeOK = 0, TypeChoose = 1, TypeInformation = 2, TypeWait = 3 };

    ZMessageDlg(const QString& title, const QString& text, int type, int timeout,
                QWidget* parent, const char* name, bool modal = true, int flags = 0);
    ~ZMessageDlg() override;

    void setPicture(const QString& file); // a missing file keeps the type's picture
    void setText(const QString& text);
    QString text() const { return m_text; }
    int type() const { return m_type; }
    int timeout() const { return m_timeout; }

    int exec() override;
    QJsonObject describe() const override;

protected:
    bool takesAnswer() const override;
    int applyAnswer(const ZAutomation::Answer& answer, QString* error) override;

private:
    QString m_text;
    int m_type;
    int m_timeout;
    QLabel* m_picture;
    QLabel* m_textLabel;
};
