#pragma once

#include <QImage>
#include <QString>

// A picture with some structure (gradients and blocks), so that decoders can be compared pixel by
// pixel and a shifted or mirrored result shows.
QImage makeTestImage(int width, int height);

// Writes makeTestImage(width, height) as a JPEG of quality 90 through libjpeg.
void writeTestJpeg(const QString& path, int width, int height);
