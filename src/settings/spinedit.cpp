#include "spinedit.h"

#include "common/errors.h"

#include <QLineEdit>

#include <algorithm>
#include <climits>

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    // Typing may pass through numbers outside the range ("3" on the way to "30"); once it is done
    // the number keeps to the range as the arrows do, and a field left without a number takes
    // back its last one, so no setting is ever stored empty. Text from the settings file is not
    // typed: its number stands even outside the range, which follows the unit only when the user
    // changes the unit.
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        const auto typed = parseInteger(text());
        if (!typed)
            setValue(lastNumber_);
        else if (bounded() && (*typed < min_ || *typed > max_))
            setValue(std::clamp(*typed, min_, max_));
        else
            lastNumber_ = *typed;
    });
}

int SpinEdit::number() const { return parseInteger(text()).value_or(lastNumber_); }

void SpinEdit::setRange(int minValue, int maxValue)
{
    min_ = minValue;
    max_ = maxValue;
}

QString SpinEdit::text() const { return lineEdit()->text(); }

void SpinEdit::setText(const QString& text)
{
    lineEdit()->setText(text);
    if (const auto value = parseInteger(text))
        lastNumber_ = *value;
}

void SpinEdit::setValue(int value) { setText(QString::number(value)); }

void SpinEdit::stepBy(int steps)
{
    long long value = parseInteger(text()).value_or(bounded() ? min_ : 0) + 0LL + steps;
    if (bounded())
        value = std::clamp<long long>(value, min_, max_);
    setValue(static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)));
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

QValidator::State SpinEdit::validate(QString& input, int&) const
{
    // Typing accepts a number in the making; other text only arrives from the settings file.
    if (input.isEmpty() || input == u"-")
        return QValidator::Intermediate;
    return parseInteger(input) ? QValidator::Acceptable : QValidator::Invalid;
}
