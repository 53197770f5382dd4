#pragma once

#include <QByteArray>
#include <QString>

class QImage;

inline constexpr int DemoPictureWidth = 1280;
inline constexpr int DemoPictureHeight = 800;

// Draws one picture of the generated collection: a gradient and a few shapes whose colours and
// places follow from seed, plus title when a QGuiApplication exists (text needs its fonts).
// Returns the encoded file: a 24-bit bitmap when bitmap is set, a JPEG otherwise. The same
// arguments always give the same picture. Throws AppError when the JPEG can not be written.
QByteArray drawDemoPicture(const QString& title, unsigned seed, bool bitmap);

// image as the service sends it: a 24-bit bitmap when bitmap is set, a JPEG otherwise. Throws
// AppError when the JPEG can not be written.
QByteArray encodePicture(const QImage& image, bool bitmap);
