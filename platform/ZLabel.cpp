#include "ZLabel.h"

ZLabel::ZLabel(const QString& text, QWidget* parent, const char* name, int /*flags*/,
               ZSkinService::WidgetClsID /*cls*/)
    : QLabel(text, parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setWordWrap(true);
}

ZLabel::~ZLabel() = default;
