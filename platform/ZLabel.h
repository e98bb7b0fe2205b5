#pragma once

#include <QLabel>

#include "ZSkinService.h"

class ZLabel : public QLabel
{
    Q_OBJECT
public:
    ZLabel(const QString& text, QWidget* parent, const char* name = nullptr, int flags = 0,
           ZSkinService::WidgetClsID cls = ZSkinService::clsZLabel);
    ~ZLabel() override;
};
