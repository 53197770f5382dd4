#pragma once

#include <QString>

#include <optional>
#include <stdexcept>

// An error the program reports to the user with its own text.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// The picture is not a kind the program reads, or its content does not decode.
class InvalidPictureError : public AppError {
public:
    using AppError::AppError;
};

// Reads a whole 32-bit integer: optional blanks, an optional sign, decimal digits, or hex digits
// after "$" or "0x". nullopt for anything else or a value out of range.
std::optional<int> parseInteger(const QString& text);

// parseInteger, raising the conversion error "'<text>' is not a valid integer value".
int toInteger(const QString& text);
