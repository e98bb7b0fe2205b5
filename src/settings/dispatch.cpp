// One handler for the rows of the phone-settings and the security lists:
// the activated row's label names the editor to open.

#include "vardel.h"

#include <ZConfig.h>
#include <ZListBoxItem.h>

#include "history/recorder.h"

void Vardel::itemClicked(ZListBoxItem* item)
{
    if (!item)
        return;
    // Copies: an editor rebuilds the list, and with it this item.
    const QString label = item->getSubItemText(1, 0, false);
    const QString value = item->getSubItemText(1, 1, false);

    // Every comparison is made, in this order, against the label read above:
    // two IDs sharing a text both run.
    // Whatever the editor changes is one entry of the history, told by the
    // row and the value it shows afterwards.
    History::Scope change(label);
    const ZConfig lang(langFile, false);
    if (label == text(lang, "CONFIG_ALARM"))
        Time_Alarm();
    if (label == text(lang, "CONFIG_BLUETOOTH"))
        BT_Discover();
    if (label == text(lang, "CONFIG_CONTACTS"))
        ID_Contacts();
    if (label == text(lang, "CONFIG_EMPTYSMS"))
        SMS_Empty();
    if (label == text(lang, "CONFIG_ORANGEBAR"))
        Sidebar();
    if (label == text(lang, "CONFIG_SLIDER"))
        Slider();
    if (label == text(lang, "CONFIG_EQUALIZER"))
        Equalize();
    if (label == text(lang, "CONFIG_FONT"))
        ChangeFont(value);
    if (label == text(lang, "WARDLEX_NUMBER"))
        zWardlex(value);
    if (label == text(lang, "WARDLEX_INI"))
        Antirrobo();
    if (label == text(lang, "WARDLEX_PASSWORD"))
        IngresoClave();
    change.describe(historyRowDescription(label));
}
