#pragma once

#include <QPlainTextEdit>

// A plain text field of a given number of visible lines.
class ZMultiLineEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    ZMultiLineEdit(QWidget* parent, bool editable = true, int lines = 1, const char* name = nullptr);
    ~ZMultiLineEdit() override;

    QString text() const;
    void setText(const QString& text);
};
