// The settings kept as small numbers: alarm alert time, Bluetooth
// discoverable period, digits that match callers to contacts.

#include "vardel.h"

#include <QApplication>

#include <ZConfig.h>
#include <ZLabel.h>
#include <ZListBox.h>
#include <ZNumModule.h>
#include <ZNumPickerDlg.h>

#include "settings/numericsettings.h"

void Vardel::Time_Alarm()
{
    editNumber(NumericSettings::Alarm);
}

void Vardel::BT_Discover()
{
    editNumber(NumericSettings::Bluetooth);
}

void Vardel::ID_Contacts()
{
    editNumber(NumericSettings::Contacts);
}

void Vardel::editNumber(int index)
{
    const NumericSettings::Setting& setting = NumericSettings::all[index];
    // Open for writing before the list is rebuilt below: the rebuild reads the
    // file anew and sees the number as soon as writeEntry returns.
    ZConfig file(QLatin1String(setting.file), true);
    const int current = file.readNumEntry(setting.section, setting.key, NumericSettings::missing);

    QString title;
    QString label;
    {
        const ZConfig lang(langFile, false);
        title = text(lang, setting.titleId);
        label = text(lang, setting.labelId);
    }

    // numPickerDlg holds the latest picker; the one before has done its work.
    delete numPickerDlg;
    numPickerDlg = new ZNumPickerDlg(10, this, "ZNumPickerDlg", 0);
    ZNumModule* module = numPickerDlg->getNumModule();
    module->setMaxValue(setting.max);
    module->setMinValue(setting.min);
    module->setValue(current);
    module->setLabel(new ZLabel(label, module, nullptr, 0, ZSkinService::clsZLabel), 0);
    numPickerDlg->setTitle(title);

    if (numPickerDlg->exec() == 0)
        return;
    file.writeEntry(setting.section, setting.key, numPickerDlg->getNumValue());
    QApplication::processEvents();
    emptyList(listaConfig);
    CargarListaConfig();
    listaConfig->setCurrentItem(setting.row, true);
}
