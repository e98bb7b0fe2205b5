#pragma once

#include "ZPopup.h"

class QLabel;

// A short notice shown with show() without waiting; it closes and deletes
// itself after msec milliseconds. It never blocks input. Under automation it
// closes as soon as the event loop runs; each showing is recorded as a
// "notice" event.
class ZNoticeDlg : public ZPopup
{
    Q_OBJECT
public:
    enum { Success = 0, Other = 1 };

    ZNoticeDlg(int type, int msec, const QString& title, const QString& text,
               QWidget* parent, const char* name, bool modal = true, int flags = 0);
    ~ZNoticeDlg() override;

    QString text() const { return m_text; }
    int type() const { return m_type; }
    int time() const { return m_msec; }

    // Run modally instead: waits out its time (no answer is taken); the
    // caller keeps ownership then.
    int exec() override;
    QJsonObject describe() const override;

protected:
    bool takesAnswer() const override { return false; }
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_text;
    int m_type;
    int m_msec;
    bool m_recorded = false;
    bool m_timerStarted = false;
};
