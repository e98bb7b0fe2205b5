// Which firmware the phone runs: the variant whose /usr/data_resource
// accepts new files installs themes and fonts into the phone's own areas.

#include "vardel.h"

#include "shell/paths.h"
#include "shell/shellrun.h"

QString Vardel::checkBrenik()
{
    static const QString marker = QStringLiteral("/usr/data_resource/brenik.tmp");
    Shell::run(QStringLiteral("touch /usr/data_resource/brenik.tmp"));
    return Paths::isRegularFile(marker) ? QStringLiteral("Brenik") : QStringLiteral("Normal");
}
