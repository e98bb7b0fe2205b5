// The on/off settings kept in the phone's flag table: slider, sidebar and
// empty messages.

#include "vardel.h"

#include <QApplication>
#include <QStringList>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZSingleSelectDlg.h>

#include <memory>

#include "settings/flexbits.h"

void Vardel::SMS_Empty()
{
    editFlexSwitch(int(FlexBits::Switch::EmptySms));
}

void Vardel::Sidebar()
{
    editFlexSwitch(int(FlexBits::Switch::Sidebar));
}

void Vardel::Slider()
{
    editFlexSwitch(int(FlexBits::Switch::Slider));
}

void Vardel::editFlexSwitch(int index)
{
    const auto which = FlexBits::Switch(index);
    const FlexBits::Editor& editor = FlexBits::editorOf(which);
    ZConfig flags(QLatin1String(FlexBits::file), true);
    const qint32 current = flags.readNumEntry(FlexBits::section, editor.key, FlexBits::missingInEditor);

    QString title;
    QStringList entries;
    {
        const ZConfig lang(langFile, false);
        title = text(lang, editor.titleId);
        entries << text(lang, "OPTIONS_ENABLED") << text(lang, "OPTIONS_DISABLED");
    }
    const std::unique_ptr<ZSingleSelectDlg> dialog(
        new ZSingleSelectDlg(title, QString(), nullptr, "ZSingleSelectDlg", true, 0, 0));
    dialog->addItemsList(entries);
    ZListBox* list = dialog->getListBox();
    switch (FlexBits::stateOf(which, current)) {
    case SettingsRows::OnOff::On:
        list->checkItem(0, true);
        break;
    case SettingsRows::OnOff::Off:
        list->checkItem(1, true);
        break;
    case SettingsRows::OnOff::Unknown:
        break;
    }

    if (dialog->exec() == 1) {
        // Entry 0 is "enabled", entry 1 "disabled"; a choice that changes
        // nothing writes nothing (the slider always writes its word).
        const auto choose = [&](bool on) {
            const std::optional<qint32> word = FlexBits::wordFor(which, on, current);
            if (!word)
                return;
            flags.writeEntry(FlexBits::section, editor.key, QString::number(*word));
            QApplication::processEvents();
            emptyList(listaConfig);
            CargarListaConfig();
        };
        if (list->itemChecked(1))
            choose(false);
        if (list->itemChecked(0))
            choose(true);
    }
    listaConfig->setCurrentItem(editor.row, true);
}
