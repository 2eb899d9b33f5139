#pragma once

#include <QColor>
#include <QPalette>

// A tint of a system colour: each channel moved towards white by weight/256.
QColor Tint(const QColor& c, int weight);
// The fixed colour of the caption rows, the section panel and the title strips.
QColor AccentColour(const QPalette& palette);
// The caption rows' text colour.
QColor CaptionTextColour();
// The text of a warning the family must not miss («Не сохранено»).
QColor WarningTextColour();
