#include "BaseDlg.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonValue>
#include <QKeyEvent>

#include <ZApplication.h>
#include <ZPopup.h>

MyBaseDlg::MyBaseDlg()
    : ZKbMainWidget(3, nullptr, "ZMainWidget", 3)
{
}

MyBaseDlg::~MyBaseDlg()
{
    // Deleted while exec() waits (by a slot run from the nested loop): let
    // exec() return instead of waiting for a done() that can no longer come.
    if (loop)
        loop->exit(0);
}

int MyBaseDlg::exec()
{
    result = 0;
    finished = false;
    running = true;
    const QPointer<MyBaseDlg> self(this);
    show();

    if (ZAutomation::active()) {
        runScript();
    } else {
        // (done() may already have run while showing; then there is
        // nothing to wait for.)
        if (!finished) {
            ZPopup::recordAsking(describe());
            QEventLoop nested;
            loop = &nested;
            inLoop = true;
            nested.exec(QEventLoop::DialogExec);
            if (!self)
                return 0;
        }
        record(QJsonValue(), QString());
    }
    inLoop = false;
    loop = nullptr;
    running = false;
    return result;
}

void MyBaseDlg::done(int r)
{
    // The first done() of a run decides its result; a second one (a key
    // pressed twice before exec() returned) changes nothing.
    if (finished && running)
        return;

    hide();
    if (inLoop) {
        inLoop = false;
        if (loop)
            loop->exit(0);
    }
    result = r;
    finished = true;
    if (ZApplication::currentMainWidget() == this)
        QCoreApplication::quit();
}

void MyBaseDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Back) {
        reject();
        return;
    }
    ZKbMainWidget::keyPressEvent(event);
}

void MyBaseDlg::accept()
{
    done(1);
}

void MyBaseDlg::reject()
{
    done(0);
}

bool MyBaseDlg::answerFile(const QString& /*path*/)
{
    return false;
}

bool MyBaseDlg::answerText(const QString& /*text*/)
{
    return false;
}

QJsonObject MyBaseDlg::describe() const
{
    return {{QStringLiteral("class"), QString::fromLatin1(metaObject()->className())},
            {QStringLiteral("name"), objectName()},
            {QStringLiteral("title"), mainWidgetTitle()},
            {QStringLiteral("text"), QString()},
            {QStringLiteral("type"), QJsonValue()},
            {QStringLiteral("entries"), QJsonArray()},
            {QStringLiteral("checked"), QJsonArray()}};
}

// Takes answers until one of them ends the dialog. An answer that leaves the
// dialog open (a refused save, say) is followed by the next one; a script
// that runs out cancels, so this always ends.
void MyBaseDlg::runScript()
{
    while (!finished) {
        const ZAutomation::Answer answer = ZAutomation::nextAnswer();
        QString error;
        if (answer.kind == ZAutomation::Answer::Cancelled && !answer.line.isEmpty())
            error = QStringLiteral("no answer in the script at this point");
        else if (!applyAnswer(answer))
            error = QStringLiteral("the answer does not fit this dialog");
        if (!error.isEmpty())
            reject();
        record(ZAutomation::answerValue(answer), error);
    }
}

// The transcript shows the dialog as the answer left it (the row a "file"
// answer highlighted, say); a dialog still open has no result yet.
void MyBaseDlg::record(const QJsonValue& answer, const QString& error) const
{
    QJsonObject event = describe();
    event[QStringLiteral("answer")] = answer;
    event[QStringLiteral("result")] = finished ? QJsonValue(result) : QJsonValue();
    if (!error.isEmpty())
        event[QStringLiteral("error")] = error;
    ZAutomation::recordDialog(event);
}

bool MyBaseDlg::applyAnswer(const ZAutomation::Answer& answer)
{
    switch (answer.kind) {
    case ZAutomation::Answer::Accept:
        accept();
        return true;
    case ZAutomation::Answer::Reject:
    case ZAutomation::Answer::Cancelled:
        reject();
        return true;
    case ZAutomation::Answer::File:
        return answerFile(answer.text);
    case ZAutomation::Answer::Text:
        return answerText(answer.text);
    case ZAutomation::Answer::Check:
    case ZAutomation::Answer::Number:
        break;
    }
    return false;
}
