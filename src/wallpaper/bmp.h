#pragma once

#include "common/replacingfile.h"

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

// An uncompressed 24-bit Windows bitmap of a given size written in strips, in any order, so that a
// large picture never needs a second copy in memory. The file replaces path in one step on
// commit(); AppError on any failure, and the old file is then whole.
class BitmapFileWriter {
public:
    BitmapFileWriter(const QString& path, int width, int height);

    // The bytes of one stored row: 3 a pixel, padded to a multiple of 4.
    qint64 stride() const { return stride_; }

    // Writes count rows that start at row top (0 = the top of the picture), given as the file
    // stores them: bottom-up, the lowest row first, each stride() bytes with zero padding.
    void writeRows(int top, int count, const void* bottomUpRows);

    void commit() { file_.commit(); }

private:
    int height_;
    qint64 stride_;
    ReplacingFile file_;
};
