// The platform dialogs that every part of the window shows the same way.

#include "vardel.h"

#include <ZMessageDlg.h>
#include <ZNoticeDlg.h>

int Vardel::message(const QString& text, int type)
{
    const int timeout = type == ZMessageDlg::TypeWait ? 200 : 0;
    auto* dialog = new ZMessageDlg(QStringLiteral("Vardel"), text, type, timeout, nullptr, "ZMessageDlg", true);
    const int result = dialog->exec();
    delete dialog;
    return result;
}

bool Vardel::askYesNo(const QString& question)
{
    return message(question, ZMessageDlg::TypeChoose) != 0;
}

void Vardel::timedNotice(int type, int msec, const QString& text)
{
    // Shown without waiting; it closes and deletes itself.
    noticeDlg = new ZNoticeDlg(type, msec, QString(), text, this, "z", true);
    noticeDlg->show();
    noticeDlg = nullptr;
}
