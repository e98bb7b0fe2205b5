#pragma once

#include <QPointer>
#include <QWidget>

class ZLabel;

// A number field with its bounds. The value always lies within the bounds:
// setValue clamps, and changing a bound clamps the value again. A bound set
// past the other one moves the other one with it. Keys: Up/Right and
// Down/Left step by one, digits type a new value; a click on the arrows steps.
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

    int m_digits;
    int m_min = 0;
    int m_max;
    int m_value = 0;
    bool m_typing = false;
    QPointer<ZLabel> m_label;
};
