#pragma once

#include <QDialog>
#include <QJsonObject>
#include <QPointer>
#include <QString>

#include "ZAutomation.h"

class QLabel;
class QVBoxLayout;
class ZSoftKey;

// Base of the platform dialogs: a phone-width sheet with a title, a body and
// two soft keys, laid over the bottom of the screen it belongs to.
// Keys: F1 presses the left key (confirms: result 1), F2 the right key and
// Escape cancel (result 0).
// Under automation exec() shows the dialog, takes the next script answer,
// applies it and returns without waiting; every exec() is recorded in the
// transcript as a "dialog" event.
class ZPopup : public QDialog
{
    Q_OBJECT
public:
    ZPopup(QWidget* parent, const char* name, bool modal, int flags);
    ~ZPopup() override;

    void setTitle(const QString& title);
    QString title() const;

    int exec() override;

    ZSoftKey* softKeyBar() const { return m_keys; }

    // The transcript fields describing this dialog (without answer/result).
    virtual QJsonObject describe() const;

    // Records that a dialog (described by fields) now waits for a person:
    // an "asking" event, for whatever drives the keyboard from outside.
    static void recordAsking(QJsonObject fields);

protected:
    QVBoxLayout* bodyLayout() const { return m_bodyLayout; }
    void setKeyTexts(const QString& left, const QString& right);

    // Whether exec() waits for an answer (wait messages and notices do not).
    virtual bool takesAnswer() const { return true; }
    // Applies a script answer; returns the dialog's result, or sets *error
    // and returns 0 when the answer does not fit this dialog.
    virtual int applyAnswer(const ZAutomation::Answer& answer, QString* error);
    // Records this dialog as a non-waiting event ("wait", "notice").
    void recordShown(const char* event, int time) const;

    virtual void leftKey();
    virtual void rightKey();

    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    // Puts the sheet over its screen: the parent's window, else the
    // application's main widget, else the middle of the desktop.
    void place();
    // The screen the sheet lies over, or null.
    QWidget* ownerScreen() const;

private:
    QString m_title;
    QLabel* m_titleLabel;
    QVBoxLayout* m_bodyLayout;
    ZSoftKey* m_keys;
    QPointer<QWidget> m_shade; // dims the screen under a modal sheet
};
