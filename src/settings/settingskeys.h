#pragma once

#include <QString>

// Sections and keys of the settings file.
namespace keys {
inline const QString General = QStringLiteral("General");
inline const QString AutoMode = QStringLiteral("AutoMode");
inline const QString CustomMode = QStringLiteral("CustomMode");

inline const QString RunAtStartup = QStringLiteral("RunAtStartup");
inline const QString BallonTips = QStringLiteral("BallonTips");
inline const QString AutoRunAtStartup = QStringLiteral("AutoRunAtStartup");
inline const QString CheckForUpdate = QStringLiteral("CheckForUpdate");
inline const QString TransparentText = QStringLiteral("TransparentText");
inline const QString TempSize = QStringLiteral("TempSize");
inline const QString Hotkey = QStringLiteral("Hotkey");
inline const QString DefaultMode = QStringLiteral("DefaultMode");

inline const QString ManagePosition = QStringLiteral("ManagePosition");
inline const QString ReloadTime = QStringLiteral("ReloadTime");
inline const QString Mode = QStringLiteral("Mode");
inline const QString OffsetX = QStringLiteral("OffsetX");
inline const QString OffsetY = QStringLiteral("OffsetY");
inline const QString Category = QStringLiteral("Category");
inline const QString DisplayMethod = QStringLiteral("DisplayMethod");
inline const QString CurrentProfile = QStringLiteral("CurrentProfile");
} // namespace keys
