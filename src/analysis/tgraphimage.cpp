#include "analysis/tgraphimage.h"

#include "analysis/graphcolours.h"
#include "storage/tmessageboxclass.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <algorithm>

namespace {

// The chart's pixel layout was made for 96 dots per inch; its bitmaps keep that resolution so the
// point sizes of its fonts fit the layout on any screen.
constexpr int kDotsPerMeter = 3780;
// A full circle in the painter's sixteenths of a degree, and 12 o'clock.
constexpr int kFullCircle = 360 * 16;
constexpr int kTwelveOClock = 90 * 16;

QImage NewBitmap(QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    return image;
}

bool IsKnownType(int type) {
    return type >= 1 && type <= 9;
}

} // namespace

TGraphImage::TGraphImage(QObject* parent) : QObject(parent) {
    m_windowColor = Qt::white;
    m_headerColor = m_legendColor = m_axisColor = Qt::black;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QPalette palette = QGuiApplication::palette();
        m_windowColor = palette.color(QPalette::Window);
        m_headerColor = m_legendColor = m_axisColor = palette.color(QPalette::ButtonText);
    }
    m_state.Clear(m_yLegends);
    m_chart = NewBitmap(QSize(400, 300));
    UpdateGeometry();
    Draw();
}

QFont TGraphImage::ChartFont(int points) const {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points);
    return font;
}

QColor TGraphImage::GraphColourOf(int index) const {
    return GraphColour(index, m_windowColor);
}

void TGraphImage::UpdateGeometry() {
    TGraphToShow& g = m_state;
    g.T = QFontMetrics(ChartFont(m_headerFontSize), &m_chart).height() + 8;
    g.H = std::max(10, m_chart.height() - 2 * g.T);
    const double right =
        m_showLegend ? m_chart.width() - 1.5 * g.L - m_legendWidth : m_chart.width() - 0.5 * g.L;
    g.R = std::max(10, RoundPixel(right));
}

void TGraphImage::Changed() {
    m_pieOnShow = false;
    if (m_autoUpdate) Draw();
}

void TGraphImage::ClearGraph() {
    m_state.Clear(m_yLegends);
    Changed();
}

void TGraphImage::SetValue(int series, int point, double value) {
    if (m_state.SetValue(series, point, value)) Changed();
}

void TGraphImage::SetHeader(const QString& text) {
    m_state.Header = CutText(text, GraphLimits::TextLength);
    Changed();
}

void TGraphImage::SetXAxisText(const QString& text) {
    m_state.XAxisText = CutText(text, GraphLimits::TextLength);
    Changed();
}

void TGraphImage::SetYAxisText(const QString& text) {
    m_state.YAxisText = CutText(text, GraphLimits::TextLength);
    Changed();
}

void TGraphImage::SetSeriesLegend(int index, const QString& text) {
    m_state.SetSeriesLegend(index, text);
    Changed();
}

void TGraphImage::SetPointLabel(int index, const QString& text) {
    m_state.SetPointLabel(index, text);
    Changed();
}

void TGraphImage::SetDefaultYLegends(int count) {
    m_yLegends = std::clamp(count, 1, GraphLimits::MaxYSteps);
}

void TGraphImage::SetShowLegend(bool on) {
    m_showLegend = on;
    UpdateGeometry();
}

void TGraphImage::SetLegendWidth(int width) {
    m_legendWidth = std::max(0, width);
    UpdateGeometry();
}

void TGraphImage::SetHeaderFontSize(int points) {
    m_headerFontSize = std::max(1, points);
    UpdateGeometry();
}

void TGraphImage::PrepareGraph() {
    m_state.Scale(m_defaultType, m_yLegends);
    Draw();
}

void TGraphImage::DrawBars() {
    m_state.Type = GraphBars;
    Draw();
}

void TGraphImage::DrawLine() {
    m_state.Type = GraphLine;
    Draw();
}

bool TGraphImage::DrawPie() {
    if (m_state.Negative) return false;
    if (m_pieOnShow) return true;
    m_state.Type = GraphPie;
    Draw();
    return true;
}

void TGraphImage::ResizeGraph(QSize size) {
    m_chart = NewBitmap(size);
    UpdateGeometry();
    Draw();
}

QColor TGraphImage::KeptColour(int index) const {
    const std::vector<QColor>& kept = m_state.KeptColours;
    return index >= 0 && index < int(kept.size()) ? kept[size_t(index)] : QColor();
}

void TGraphImage::Draw() {
    TGraphToShow& g = m_state;
    UpdateGeometry();
    if (g.Type == GraphPie && g.Negative) g.Type = GraphBars;
    m_chart.fill(m_windowColor);
    {
        QPainter p(&m_chart);
        if (g.Type == GraphPie)
            DrawPieChart(p);
        else
            DrawAxesChart(p);
    }
    m_pieOnShow = g.Type == GraphPie;
    m_image = m_chart;
    emit ImageChanged();
    // Reported once the chart is painted, so the box never waits on a half-drawn bitmap.
    if (!IsKnownType(g.Type)) Messages().ShowError({QStringLiteral("DefaultGraphType not supported")});
}

void TGraphImage::DrawHeader(QPainter& p) {
    const TGraphToShow& g = m_state;
    if (g.Header.isEmpty()) return;
    p.setFont(ChartFont(m_headerFontSize));
    p.setPen(m_headerColor);
    const QFontMetrics fm = p.fontMetrics();
    const int width = fm.horizontalAdvance(g.Header) + 2;
    const int centre = g.L + RoundPixel(g.R / 2.0);
    p.drawText(QRect(centre - width / 2, g.T - 2 - fm.height(), width, fm.height()),
               Qt::AlignHCenter | Qt::AlignBottom, g.Header);
}

int TGraphImage::LegendChars(int kept) const {
    const int one = QFontMetrics(ChartFont(m_legendFontSize), &m_chart).horizontalAdvance(QLatin1Char('1'));
    return one > 0 ? m_legendWidth / one - kept : 0;
}

void TGraphImage::DrawLegendBox(QPainter& p, const QStringList& lines, const std::vector<QColor>& swatches) {
    const TGraphToShow& g = m_state;
    if (lines.isEmpty() || m_legendWidth <= 0) return;
    p.save();
    p.setFont(ChartFont(m_legendFontSize));
    const QFontMetrics fm = p.fontMetrics();
    const int lineHeight = fm.height() + 2;
    const int bottom = std::min(m_chart.height() - 1, g.T + int(lines.size()) * lineHeight + 4);
    const QRect box(QPoint(g.R + g.L, g.T), QPoint(g.R + g.L + m_legendWidth - 1, bottom));
    p.setPen(m_legendColor);
    p.setBrush(m_windowColor);
    p.drawRect(box);
    p.setClipRect(box.adjusted(1, 1, 0, 0));
    int y = box.top() + 3;
    for (qsizetype i = 0; i < lines.size() && y < box.bottom(); ++i, y += lineHeight) {
        int x = box.left() + 4;
        if (size_t(i) < swatches.size()) {
            const int side = lineHeight - 4;
            p.setPen(Qt::black);
            p.setBrush(swatches[size_t(i)]);
            p.drawRect(x, y + 1, side, side);
            x += side + 5;
        }
        p.setPen(m_legendColor);
        p.drawText(QRect(x, y, box.right() - x, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    }
    p.restore();
}

void TGraphImage::DrawAxesChart(QPainter& p) {
    const TGraphToShow& g = m_state;
    const int xs = g.PointSpacing();
    const int y0 = g.ZeroLineY();
    const int right = g.L + (g.N + 1) * xs;
    p.setFont(ChartFont(m_axisFontSize));
    const QFontMetrics fm = p.fontMetrics();

    p.setPen(QPen(m_axisColor, 1, Qt::DotLine));
    for (int i = 1; i <= g.Y + 1; ++i) {
        const int y = g.GridLineY(i);
        p.drawLine(g.L, y, right, y);
    }
    p.setPen(m_axisColor);
    for (int i = 1; i <= g.Y + 1; ++i) {
        const int y = g.GridLineY(i);
        p.drawText(QRect(0, y - fm.height() / 2, g.L - 3, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   g.YLabel(i));
    }

    if (g.Type == GraphBars)
        DrawBarsOf(p);
    else if (g.Type == GraphLine)
        DrawLinesOf(p);

    p.setPen(QPen(m_axisColor, m_axisLineWidth, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(g.L, g.GridLineY(g.Y + 1), g.L, g.GridLineY(1));
    p.drawLine(g.L, y0, right, y0);

    p.setPen(m_axisColor);
    const int captionTop = g.Negative ? g.T + g.H + 3 : y0 + 2;
    for (const auto& [point, caption] : g.AxisCaptions()) {
        const int width = fm.horizontalAdvance(caption) + 2;
        p.drawText(QRect(g.PointX(point) - width / 2, captionTop, width, fm.height()),
                   Qt::AlignHCenter | Qt::AlignTop, caption);
    }
    if (!g.YAxisText.isEmpty())
        p.drawText(QRect(2, 2, m_chart.width() - 4, fm.height()), Qt::AlignLeft | Qt::AlignTop, g.YAxisText);
    if (!g.XAxisText.isEmpty())
        p.drawText(QRect(g.L, captionTop + fm.height() + 1, std::max(0, right - g.L), fm.height()),
                   Qt::AlignRight | Qt::AlignTop, g.XAxisText);

    DrawHeader(p);

    if (m_showLegend) {
        if (!g.LabelsAreShort()) {
            DrawLegendBox(p, g.NumberedLegend(LegendChars(3)), {});
        } else {
            QStringList lines;
            std::vector<QColor> swatches;
            for (int s = 1; s <= g.S; ++s) {
                if (!g.SeriesLegend(s).isEmpty()) {
                    lines << g.SeriesLegend(s);
                    swatches.push_back(GraphColourOf(s));
                }
            }
            DrawLegendBox(p, lines, swatches);
        }
    }
}

void TGraphImage::DrawBarsOf(QPainter& p) {
    const TGraphToShow& g = m_state;
    const int xs = g.PointSpacing();
    const int y0 = g.ZeroLineY();
    const int width = g.S == 1 ? RoundPixel(xs / 1.1) : RoundPixel(xs / (g.S + 0.5));
    for (int s = 1; s <= g.S; ++s) {
        p.setPen(Qt::black);
        p.setBrush(GraphColourOf(s));
        for (int j = 1; j <= g.N; ++j) {
            const int height = g.ValueHeight(g.Value(s, j));
            if (height == 0) continue;
            const int left = g.PointX(j) - RoundPixel(xs / 2.0) + (s - 1) * width;
            p.drawRect(QRect(QPoint(left, y0 - height), QPoint(left + width, y0)).normalized());
        }
    }
}

void TGraphImage::DrawLinesOf(QPainter& p) {
    const TGraphToShow& g = m_state;
    const int y0 = g.ZeroLineY();
    const int m = g.MarkerSize;
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int s = 1; s <= g.S; ++s) {
        const QColor colour = GraphColourOf(s);
        QPolygon line;
        for (int j = 1; j <= g.N; ++j)
            line << QPoint(g.PointX(j), y0 - g.ValueHeight(g.Value(s, j)));
        p.setPen(QPen(colour, m_thickLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(line);
        p.setPen(Qt::black);
        p.setBrush(colour);
        for (const QPoint& pt : line)
            p.drawRect(pt.x() - m, pt.y() - m, 2 * m, 2 * m);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

void TGraphImage::DrawPieChart(QPainter& p) {
    TGraphToShow& g = m_state;
    DrawHeader(p);

    std::vector<QColor> colours;
    for (int k = 0; k <= g.N; ++k)
        colours.push_back(GraphColourOf(k));
    g.KeptColours = colours;

    if (m_showLegend) {
        const int chars = std::max(0, LegendChars(4));
        QStringList lines;
        for (int k = 1; k <= g.N; ++k)
            lines << CutText(g.PointLabel(k), chars);
        DrawLegendBox(p, lines, std::vector<QColor>(colours.begin() + 1, colours.end()));
    }

    const int d = g.R < g.H ? g.R - 50 : g.H;
    const int shift = g.R < g.H ? 0 : RoundPixel((g.R - g.H) / 2.0) - 50;
    if (d <= 0) return;
    const QRect square(g.L + shift, g.T, d, d);
    p.setPen(Qt::NoPen);
    p.setBrush(colours[0]);
    p.drawEllipse(square.translated(2, 2));

    const double total = g.PieTotal();
    if (!(total > 0)) return;
    std::vector<double> upTo(size_t(g.N) + 1, 0.0);
    for (int k = 1; k <= g.N; ++k)
        upTo[size_t(k)] = upTo[size_t(k) - 1] + g.Value(1, k);
    // Nested sectors from 12 o'clock counterclockwise, the widest first, so that each smaller one
    // leaves visible exactly the slice of the point whose colour it was painted in. Painting each
    // sector whole would cost the circle's area once per point; every part of a sector that the
    // next ones cover is left out, except a small overlap that keeps smoothed edges free of seams.
    constexpr int overlap = 16;
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(colours[size_t(g.N)]);
    p.drawEllipse(square);
    for (int k = g.N - 1; k >= 1; --k) {
        const int end = RoundPixel(upTo[size_t(k)] / total * kFullCircle);
        const int start = std::max(0, RoundPixel(upTo[size_t(k) - 1] / total * kFullCircle) - overlap);
        if (end <= start) continue;
        p.setBrush(colours[size_t(k)]);
        p.drawPie(square, kTwelveOClock + start, end - start);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

TMouseInfo TGraphImage::MouseInfoAt(QPoint pos) const {
    const TGraphToShow& g = m_state;
    TMouseInfo info;
    if (!m_mouseInfo || (g.Type != GraphBars && g.Type != GraphLine)) return info;
    if (pos.x() < g.L || pos.x() > g.R || pos.y() < g.T || pos.y() > g.T + g.H) return info;
    const int point = g.PointAt(pos.x());
    if (point == 0) return info;
    info.point = point;
    info.text = g.PointLabel(point);
    const QFontMetrics fm(ChartFont(m_infoFontSize), &m_chart);
    const QSize size(fm.horizontalAdvance(info.text) + 8, fm.height() + 4);
    // Right of the pointer, or left of it where the box would pass the plot's right edge; above it,
    // so the pointer does not cover the text.
    int left = pos.x() + 6;
    if (left + size.width() + 3 > g.R) left = pos.x() - 6 - size.width() - 3;
    const int top = std::max(0, pos.y() - size.height() - 5);
    info.box = QRect(QPoint(left, top), size);
    info.shadow = info.box.translated(3, 3);
    return info;
}

void TGraphImage::ShowMouseInfo(QPoint pos) {
    const TMouseInfo info = MouseInfoAt(pos);
    if (info.point == 0) {
        HideMouseInfo();
        return;
    }
    m_image = m_chart;
    QPainter p(&m_image);
    p.fillRect(info.shadow, Qt::black);
    p.setPen(Qt::black);
    p.setBrush(m_windowColor);
    p.drawRect(info.box.adjusted(0, 0, -1, -1));
    p.setFont(ChartFont(m_infoFontSize));
    p.setPen(m_axisColor);
    p.drawText(info.box, Qt::AlignCenter, info.text);
    p.end();
    emit ImageChanged();
}

void TGraphImage::HideMouseInfo() {
    if (m_image.constBits() == m_chart.constBits()) return;
    m_image = m_chart;
    emit ImageChanged();
}
