#pragma once

#include <QPointer>
#include <QWidget>

class ZLabel;

// A number field with its bounds. The value always lies within the bounds:
// setValue clamps, and changing a bound clamps the value again. A bound set
// past the other one moves the other one with it. Keys: Up/Right and
// Down/Left step by one; a click on the arrows steps.
//
// Digits type a number, as on the phone's pickers: the field shows the digits
// typed, and value() is that number brought within the bounds (so "1" typed
// in 6..12 shows 1 and gives 6 unless a 0 follows). A digit that would take
// the typed number past the maximum starts a new number; a single digit
// above it is shown as the maximum, and the next digit starts anew.
// Backspace removes the last digit shown; with none left the field is empty
// and value() is what it was before typing began.
class ZNumModule : public QWidget
{
    Q_OBJECT
public:
    explicit ZNumModule(int digits = 10, QWidget* parent = nullptr);
    ~ZNumModule() override;

    void setMaxValue(int max);
    void setMinValue(int min);
    int maxValue() const { return m_max; }
    int minValue() const { return m_min; }
    void setValue(int value);
    int value() const { return m_value; }
    // What the field shows: the digits being typed, else the value.
    QString shownText() const;

    // Shows the label above the number (the module takes the label over).
    void setLabel(ZLabel* label, int alignment);
    ZLabel* label() const { return m_label; }

    QSize sizeHint() const override;

signals:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect numberRect() const;
    int labelHeight(int width) const;
    void layoutLabel();
    void clampValue();
    // Sets the value, clamped, without ending the typing.
    void assign(int value);
    void typeDigit(int digit);
    void eraseDigit();

    int m_digits;
    int m_min = 0;
    int m_max;
    int m_value = 0;
    bool m_typing = false;
    QString m_typed;      // the digits typed, while m_typing
    int m_beforeTyping = 0; // the value when the typing began
    QPointer<ZLabel> m_label;
};
