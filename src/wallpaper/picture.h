#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// Loading pictures and drawing them into preview boxes.

// The picture at path as a 24-bit bitmap, or nullopt when no file is there. The decoder is chosen
// by extension: ".bmp" Windows bitmaps, ".jpg"/".jpeg" JPEG (any case). Any other extension, and
// content that does not decode (a header that lies, a truncated file, a PNG named ".bmp"), raise
// InvalidPictureError. Sizes beyond the limits of jpeg.h, and uncompressed bitmaps larger than
// their file, are refused before anything is allocated for them.
std::optional<QImage> LoadPictureAsBitmap(const QString& path);

// Where a w x h picture goes in a W x H box: the whole box height when the box is relatively
// wider, the whole width otherwise (equal ratios included), centred; sizes rounded with halves
// away from zero, offsets truncated.
QRect previewTargetRect(QSize box, QSize picture);

// The box-sized preview of picture: white, with the picture smoothly scaled into
// previewTargetRect. Takes the picture over (it is released whatever happens); no picture (a file
// that was missing) raises AppError.
QImage ShowPreviewScaled(std::optional<QImage> picture, QSize box);

// The part source of picture as a 32-bit image, each block of k x k pixels averaged into one, with
// k the largest whole factor that keeps it at least as large as box; a part that is not much
// larger than box is only copied and converted. The average of whole blocks is what the
// area-averaging scale would compute for them, and no second full-size picture is made.
QImage reducedTo32Bits(const QImage& picture, QRect source, QSize box);

// Draws caption into the full-size picture as solid light-grey letters (RGB 192, 192, 192; outline
// and fill, winding rule), "Arial" 12 pt at 96 dpi, the top-left of the text cell at
// (5, height - 50).
void StampCaption(QImage& picture, const QString& caption);
