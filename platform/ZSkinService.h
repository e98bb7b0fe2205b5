#pragma once

// Skin service of the widget set. Widgets are told which skin class they
// belong to; the stand-in accepts any number and draws one house look.
class ZSkinService
{
public:
    enum WidgetClsID : int {
        clsNone = 0,
        clsZLabel = 4,
        clsZListBox = 40,
        clsZNavTabWidget = 52,
        clsZOptionsMenu = 54
    };
};
