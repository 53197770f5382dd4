#pragma once

#include <QString>

#include <string>

// The platform layer speaks UTF-8; the rest of the program speaks QString.
inline std::string toStd(const QString& text) { return text.toStdString(); }
inline QString fromStd(const std::string& text) { return QString::fromStdString(text); }
