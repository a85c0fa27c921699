#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>

// Decodes a baseline or progressive JPEG held in memory. Returns a null image when the
// data is not a JPEG libjpeg can read.
QImage decodeJpeg(const QByteArray &data);

// The banner shown across the top of the window.
QImage bannerImage();

// The banner for a screen of the given device pixel ratio: the double-resolution picture
// above 100 %, brought to the ratio's exact pixel size so that nothing is scaled as drawn.
QPixmap bannerPixmap(qreal devicePixelRatio);
