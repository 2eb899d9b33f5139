#include "analysis/graphcolours.h"

#include <QRandomGenerator>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>

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

namespace {

double RelativeLuminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor TextColourOn(const QColor& background) {
    const QColor black(Qt::black), white(Qt::white);
    return ContrastRatio(background, black) >= ContrastRatio(background, white) ? black : white;
}
