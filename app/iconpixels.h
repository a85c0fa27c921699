#pragma once

#include <QtGlobal>

// The window icon's sizes, decoded from their PNGs at build time: ARGB, premultiplied,
// row by row, `side` × `side` words each.
struct IconPixels
{
    int side;
    const quint32 *argb;
};

extern const IconPixels kIconPixels[];
extern const int kIconPixelsCount;
