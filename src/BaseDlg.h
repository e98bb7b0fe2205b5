#pragma once

#include <QJsonObject>
#include <QPointer>
#include <QString>

#include <ZAutomation.h>
#include <ZKbMainWidget.h>

class QEventLoop;

// Base of the program's own full-screen dialogs: a phone screen that runs its
// own modal loop. exec() shows it and waits until done() is called; accept()
// and reject() end it with 1 and 0.
//
// Under automation exec() does not wait: it takes its answers from the
// script, applies them and records each one in the transcript.
class MyBaseDlg : public ZKbMainWidget
{
    Q_OBJECT
public:
    MyBaseDlg();
    ~MyBaseDlg() override;

    // Shows the dialog and returns the result given to done().
    int exec();

protected slots:
    virtual void done(int r);
    virtual void accept();
    virtual void reject();

protected:
    // A script line "file <path>": a dialog that picks files shows the path
    // and ends as the user would; the others refuse (return false) and the
    // answer counts as a cancel.
    virtual bool answerFile(const QString& path);
    // A script line "text <rest>": the same for a dialog with a text field.
    virtual bool answerText(const QString& text);
    // The transcript fields describing this dialog (without answer and
    // result): "class", "name", "title", "text", "type", "entries",
    // "checked", as the platform dialogs give them.
    virtual QJsonObject describe() const;

    // Escape cancels, as the right soft key of a dialog does.
    void keyPressEvent(QKeyEvent* event) override;

    bool inLoop = false; // the nested loop of exec() is running
    int result = 0;      // the value given to done()

private:
    void runScript();
    bool applyAnswer(const ZAutomation::Answer& answer);
    void record(const QJsonValue& answer, const QString& error) const;

    QPointer<QEventLoop> loop; // the loop exec() waits in, while it runs
    bool running = false;      // exec() has not returned yet
    bool finished = false;     // done() was called since exec() started
};
