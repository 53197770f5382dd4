#include "spinedit.h"

#include "common/errors.h"

#include <QLineEdit>

#include <algorithm>
#include <climits>

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& now) {
        if (const auto value = parseInteger(now))
            lastNumber_ = *value;
    });
    // Typing may pass through numbers outside the range ("3" on the way to "30"); once it is done
    // the number keeps to the range as the arrows do, and a field left empty takes back its last
    // number, so no setting is ever left without one. Text from the settings file is not typed.
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        const auto typed = parseInteger(text());
        if (!typed || (bounded() && (*typed < min_ || *typed > max_)))
            setValue(number());
    });
}

int SpinEdit::number() const
{
    const int value = parseInteger(text()).value_or(lastNumber_);
    return bounded() ? std::clamp(value, min_, max_) : value;
}

void SpinEdit::setRange(int minValue, int maxValue)
{
    min_ = minValue;
    max_ = maxValue;
}

QString SpinEdit::text() const { return lineEdit()->text(); }

void SpinEdit::setText(const QString& text) { lineEdit()->setText(text); }

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
