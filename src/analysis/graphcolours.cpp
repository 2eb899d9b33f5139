#include "analysis/graphcolours.h"

#include <QRandomGenerator>
#include <QString>

#include <array>

namespace {

constexpr std::array<QRgb, 16> kTable = {
    0x000000, // black
    0x00FF00, // lime
    0x0000FF, // blue
    0xFF0000, // red
    0x008000, // green
    0x800000, // maroon
    0x808000, // olive
    0xC0C0C0, // silver
    0x008080, // teal
    0x000000, // black
    0x00FFFF, // aqua
    0x000080, // navy
    0xFFFF00, // yellow
    0xFF00FF, // fuchsia
    0xC0DCC0, // money green
    0xA6CAF0, // sky blue
};

} // namespace

QColor GraphColour(int index, const QColor& windowColour) {
    if (index < 0) return windowColour;
    if (index < int(kTable.size())) return QColor::fromRgb(kTable[size_t(index)]);
    return NextRandomGraphColour();
}

QColor RandomGraphColour(int r) {
    const uint bgr = (QStringLiteral("008") + QString::number(r)).toUInt(nullptr, 16);
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QColor NextRandomGraphColour() {
    return RandomGraphColour(int(QRandomGenerator::global()->bounded(99999)));
}
