#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// The window's signal colours (the status line's red and blue, the blue counters, the
// hot tab caption) are pure on a light palette. On a dark desktop theme pure red and
// blue all but vanish, so there the same hue is lightened until the text reads.

// WCAG 2 contrast ratio of two colours, from 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);

// A palette is dark when its window colour's lightness is below one half.
bool isDarkWindow(const QColor &window);

// `pure` itself on a palette with a light window; on a dark one the least lightened
// colour of the same hue and saturation, at least a step lighter, whose contrast ratio
// is 4.5 or more with the window and with the lighter panes styles draw on it (with the
// window alone where no tint gets there on the panes; white where none gets there at all).
QColor readableColour(const QColor &pure, const QPalette &palette);

// Shows `pure` (adjusted by readableColour) in the widget's text role for the active
// and inactive states, and keeps it adjusted whenever the widget's palette changes:
// a desktop theme switched at run time, another style. The disabled state keeps the
// palette's own greyed text.
void setSignalColour(QWidget *widget, QPalette::ColorRole role, const QColor &pure);

// The same for the colour the widget's form gave it.
void keepSignalColour(QWidget *widget, QPalette::ColorRole role);
