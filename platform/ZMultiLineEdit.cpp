#include "ZMultiLineEdit.h"

#include <QFontMetrics>

ZMultiLineEdit::ZMultiLineEdit(QWidget* parent, bool editable, int lines, const char* name)
    : QPlainTextEdit(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setReadOnly(!editable);
    const int shown = qMax(1, lines);
    if (shown == 1) {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    const QFontMetrics fm(font());
    const int margins = int(document()->documentMargin() * 2) + frameWidth() * 2;
    setFixedHeight(fm.lineSpacing() * shown + margins);
}

ZMultiLineEdit::~ZMultiLineEdit() = default;

QString ZMultiLineEdit::text() const
{
    return toPlainText();
}

void ZMultiLineEdit::setText(const QString& text)
{
    setPlainText(text);
}
