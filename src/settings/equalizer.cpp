// The media player's equalizer: its master switch and its presets.

#include "vardel.h"

#include <QApplication>
#include <QStringList>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZMultiSelectDlg.h>
#include <ZSingleSelectDlg.h>

#include <memory>

#include "settings/equalizerpresets.h"
#include "settings/settingsrows.h"

void Vardel::Equalize()
{
    using namespace EqualizerPresets;

    QString title;
    QStringList switchEntries;
    {
        const ZConfig lang(langFile, false);
        title = text(lang, "EQUALIZER_MSG1");
        switchEntries << text(lang, "OPTIONS_ENABLED") << text(lang, "OPTIONS_DISABLED");
    }

    const std::unique_ptr<ZMultiSelectDlg> presetDialog(
        new ZMultiSelectDlg(title, QString(), nullptr, "ZMultiSelectDlg", true, 0, 0));
    QStringList names;
    for (const Preset& preset : presets)
        names << QLatin1String(preset.name);
    presetDialog->addItemsList(names);
    ZListBox* presetList = presetDialog->getListBox();

    ZConfig player(QLatin1String(file), true);
    const int feature = player.readNumEntry(section, switchKey, switchMissingInEditor);

    const std::unique_ptr<ZSingleSelectDlg> switchDialog(
        new ZSingleSelectDlg(title, QString(), nullptr, "ZSingleSelectDlg", true, 0, 0));
    switchDialog->addItemsList(switchEntries);
    ZListBox* switchList = switchDialog->getListBox();
    if (feature == 1)
        switchList->checkItem(0, true);
    else if (feature == 0)
        switchList->checkItem(1, true);

    if (switchDialog->exec() == 1) {
        if (switchList->itemChecked(1)) {
            // The switch and every preset in one replacement of the file:
            // an interrupted change leaves the old settings whole.
            QList<ZConfig::Entry> off{{section, switchKey, QStringLiteral("0")}};
            for (const Preset& preset : presets)
                off.append({section, QLatin1String(preset.key), QStringLiteral("0")});
            player.writeEntries(off);
            QApplication::processEvents();
            emptyList(listaConfig);
            CargarListaConfig();
        }
        if (switchList->itemChecked(0)) {
            for (int row = 0; row < int(presets.size()); ++row) {
                if (player.readNumEntry(section, presets[row].key, presetMissing) == 1)
                    presetList->checkItem(row, true);
            }
            if (presetDialog->exec() == 1) {
                QList<ZConfig::Entry> on{{section, switchKey, QStringLiteral("1")}};
                for (int row = 0; row < int(presets.size()); ++row)
                    on.append({section, QLatin1String(presets[row].key),
                               presetList->itemChecked(row) ? QStringLiteral("1") : QStringLiteral("0")});
                player.writeEntries(on);
                QApplication::processEvents();
                emptyList(listaConfig);
                CargarListaConfig();
            }
        }
    }
    listaConfig->setCurrentItem(SettingsRows::Equalizer, true);
}
