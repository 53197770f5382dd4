#pragma once

#include <QImage>
#include <QString>

// Reads a Windows bitmap (1, 4, 8, 16, 24 or 32 bits, uncompressed, with colour masks, or
// run-length encoded) into a 24-bit RGB image. Every size in the headers is checked against the
// file and the picture limits before anything is allocated; a file that is not such a bitmap, or
// whose headers lie, raises InvalidPictureError.
QImage decodeBitmap(const QString& path);

// Writes picture as an uncompressed 24-bit Windows bitmap, replacing path in one step (a failure
// leaves the old file whole). Throws AppError when it can not be written.
void saveBitmap(const QImage& picture, const QString& path);
