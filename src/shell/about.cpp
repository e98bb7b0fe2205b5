// The about box, from the options menus.

#include "vardel.h"

#include "ZAboutDlg.h"

void Vardel::about()
{
    auto* dialog = new ZAboutDialog();
    dialog->exec();
    delete dialog;
}
