#pragma once

#include "BaseDlg.h"

// The about box: the program's icon, name and version, a platform line and
// a line of credits, and one soft key that closes it.
class ZAboutDialog : public MyBaseDlg
{
    Q_OBJECT
public:
    ZAboutDialog();
    ~ZAboutDialog() override;

protected:
    QJsonObject describe() const override;
};

// The about text for a program directory (ending in "/"); the icon is left
// out when iconExists is false.
QString aboutText(const QString& programDir, bool iconExists);
