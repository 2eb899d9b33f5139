#include "ui/uicolours.h"

QColor Tint(const QColor& c, int weight) {
    auto ch = [weight](int v) { return v + weight * (255 - v) / 256; };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()));
}

QColor AccentColour(const QPalette& palette) {
    // The colour of inactive window captions, which the desktop's palette gives as the inactive highlight.
    return Tint(palette.color(QPalette::Inactive, QPalette::Highlight), 128);
}

QColor CaptionTextColour() {
    return QColor(19, 0, 0);
}

QColor WarningTextColour() {
    return QColor(0xC0, 0x00, 0x00);
}
