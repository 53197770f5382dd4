#pragma once

#include <QAbstractSpinBox>

// A spin edit whose text is the setting: the settings file may put any text into it, and readers
// convert the text when they need the number. The arrows step within MinValue..MaxValue; both 0
// means no bounds.
class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    void setRange(int minValue, int maxValue);
    int minValue() const { return min_; }
    int maxValue() const { return max_; }

    QString text() const;
    void setText(const QString& text); // taken as it is, without a range check
    void setValue(int value);
    // What is stored: the text's number, or, while it holds none, the last number it was given or
    // left with.
    int number() const;

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    bool bounded() const { return min_ != 0 || max_ != 0; }

    int min_ = 0;
    int max_ = 0;
    int lastNumber_ = 0;
};
