#pragma once

#include "common/replacingfile.h"

#include <QImage>
#include <QString>

// JPEG through libjpeg's own API. Every decoding error becomes an InvalidPictureError.

// Pictures larger than this are refused before anything is allocated for them.
inline constexpr int MaxJpegSide = 30000;
inline constexpr long long MaxJpegPixels = 268'000'000;

// Decodes the JPEG at its full size with the decoder's defaults and writes it as an uncompressed
// 24-bit Windows bitmap at bitmapPath, replacing any file there. The bitmap is written to a
// temporary file first, so on any failure the target is untouched. Throws InvalidPictureError for
// a missing, oversized, truncated or undecodable JPEG and AppError when the bitmap can not be
// written.
void ConvertJpegToBitmapFile(const QString& jpegPath, const QString& bitmapPath);

// Decodes a JPEG file into an RGB image; same failures as ConvertJpegToBitmapFile.
QImage decodeJpeg(const QString& jpegPath);

// Writes image as a baseline JPEG of the given quality (replacing the file in one step), flushed
// to the disk first when it is user data. Throws AppError when it can not be written.
void encodeJpeg(const QImage& image, const QString& jpegPath, int quality,
                ReplacingFile::Durability durability = ReplacingFile::Durability::Remakeable);
