#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a baseline or progressive JPEG held in memory. Returns a null image when the
// data is not a JPEG libjpeg can read.
QImage decodeJpeg(const QByteArray &data);

// The banner shown across the top of the window.
QImage bannerImage();
