#pragma once

#include <QColor>

// The chart asks for its brush and pen colours by index: -2 and -1 are the window colour, 0 to 15
// a fixed table, 16 and above a new random colour at every request.
QColor GraphColour(int index, const QColor& windowColour);

// The random colour made from r (0 <= r < 99999): "008" followed by the digits of r, read as a
// hexadecimal blue-green-red value, so red is the last two hex digits.
QColor RandomGraphColour(int r);

// A new random colour of the form above.
QColor NextRandomGraphColour();

// Black or white, whichever stands out more against the colour (by the contrast of their relative
// luminances): the row numbers written on the pie's colours stay readable on navy as on yellow.
QColor TextColourOn(const QColor& background);
// The contrast ratio of two colours, 1 (none) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);
