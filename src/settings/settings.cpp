// The phone-settings list: eight hidden settings of the phone's own
// applications, each read afresh from its file at every build.

#include "vardel.h"

#include <QPixmap>

#include <array>
#include <optional>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>

#include "settings/equalizerpresets.h"
#include "settings/flexbits.h"
#include "settings/numericsettings.h"
#include "settings/settingsrows.h"
#include "shell/paths.h"

using SettingsRows::OnOff;

void Vardel::CargarListaConfig()
{
    const ZConfig lang(langFile, false);
    // Read once.
    const QString enabled = text(lang, "OPTIONS_ENABLED");
    const QString disabled = text(lang, "OPTIONS_DISABLED");
    const auto onOffLine = [&](OnOff state) -> std::optional<QString> {
        if (state == OnOff::Unknown)
            return std::nullopt;
        return state == OnOff::On ? enabled : disabled;
    };

    // The value line of each row; a row without one shows its label only.
    std::array<std::optional<QString>, SettingsRows::rows.size()> values;
    for (const NumericSettings::Setting& setting : NumericSettings::all) {
        const ZConfig file(QLatin1String(setting.file), false);
        const int number = file.readNumEntry(setting.section, setting.key, NumericSettings::missing);
        values[setting.row] = SettingsRows::numberLine(number, text(lang, setting.unitId));
    }
    {
        const ZConfig flags(QLatin1String(FlexBits::file), false);
        const auto line = [&](FlexBits::Switch which) {
            const FlexBits::Editor& editor = FlexBits::editorOf(which);
            const int word = flags.readNumEntry(FlexBits::section, editor.key, SettingsRows::missingNumber);
            values[editor.row] = onOffLine(FlexBits::stateOf(which, word));
        };
        line(FlexBits::Switch::EmptySms);
        line(FlexBits::Switch::Slider);
        line(FlexBits::Switch::Sidebar);
    }
    {
        const ZConfig player(QLatin1String(EqualizerPresets::file), false);
        const int feature = player.readNumEntry(EqualizerPresets::section, EqualizerPresets::switchKey,
                                                SettingsRows::missingNumber);
        values[SettingsRows::Equalizer] = onOffLine(SettingsRows::equalizerState(feature));
    }

    // One picture serves every value line of this build.
    const QPixmap valueIcon = Paths::loadPixmap(progDir + "/images/" + SettingsRows::valueIcon);
    for (int row = 0; row < int(SettingsRows::rows.size()); ++row) {
        const SettingsRows::Row& shown = SettingsRows::rows[row];
        auto* item = new ZListBoxItem(listaConfig, QStringLiteral("%I%M"));
        item->setPixmap(0, Paths::loadPixmap(progDir + "/images/" + shown.icon));
        item->appendSubItem(1, text(lang, shown.labelId), false, nullptr);

        if (row == SettingsRows::Font) {
            // Read after the label; an unset font shows an empty line.
            const ZConfig settings(progDir + "/Vardel.cfg", false);
            const char* key = checkBrenik() == QLatin1String("Brenik") ? SettingsRows::fontKeyBrenik
                                                                       : SettingsRows::fontKey;
            values[row] = SettingsRows::fontLine(settings.readEntry(SettingsRows::settingsSection, key, ""),
                                                 text(lang, "FONT_SYSTEM"));
        }
        if (values[row])
            item->appendSubItem(1, *values[row], false, &valueIcon);
        listaConfig->insertItem(item, -1, true);
    }
}
