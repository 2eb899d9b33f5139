#include "analysis/graphcolours.h"
#include "analysis/tgraphimage.h"

#include "messagerecorder.h"
#include "qtprint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <set>

inline void PrintTo(const QColor& c, std::ostream* os) {
    *os << c.name().toStdString();
}

namespace {

const QColor kBlack(0, 0, 0), kLime(0, 255, 0), kBlue(0, 0, 255), kRed(255, 0, 0);

// A chart of one series without its legend, as the analysis page shows it.
std::unique_ptr<TGraphImage> Chart(std::initializer_list<double> values, QSize size = {400, 300}) {
    auto chart = std::make_unique<TGraphImage>();
    chart->SetShowLegend(false);
    chart->ResizeGraph(size);
    chart->ClearGraph();
    int point = 0;
    for (double v : values)
        chart->SetValue(1, ++point, v);
    chart->PrepareGraph();
    return chart;
}

QColor PixelAt(const TGraphImage& chart, QPoint p) {
    return QColor(chart.Image().pixel(p));
}

// A point of the pie: the angle runs counterclockwise from 12 o'clock, the distance from the centre
// is a share of the radius and some pixels more.
QPoint PiePoint(const TGraphToShow& g, double degrees, double share = 0.6, double pixels = 0) {
    const int d = g.R < g.H ? g.R - 50 : g.H;
    const int shift = g.R < g.H ? 0 : int(std::lround((g.R - g.H) / 2.0)) - 50;
    const double cx = g.L + shift + d / 2.0, cy = g.T + d / 2.0, r = d / 2.0 * share + pixels;
    const double a = degrees * std::numbers::pi / 180;
    return QPoint(int(std::lround(cx - r * std::sin(a))), int(std::lround(cy - r * std::cos(a))));
}

// Lines are smoothed: a pixel on a line may take a little of the background.
bool IsNear(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) < 48 && std::abs(a.green() - b.green()) < 48 &&
           std::abs(a.blue() - b.blue()) < 48;
}

int CountPixels(const TGraphImage& chart, const QColor& colour) {
    const QImage& image = chart.Image();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += QColor(image.pixel(x, y)) == colour;
    return count;
}

} // namespace

TEST(GraphColours, FixedTableAndRandomColoursFromSixteenUp) {
    const QColor window(12, 34, 56);
    const QColor table[] = {kBlack,        kLime,         kBlue,           kRed,
                            {0, 128, 0},   {128, 0, 0},   {128, 128, 0},   {192, 192, 192},
                            {0, 128, 128}, kBlack,        {0, 255, 255},   {0, 0, 128},
                            {255, 255, 0}, {255, 0, 255}, {192, 220, 192}, {166, 202, 240}};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(GraphColour(i, window), table[i]) << i;
    }
    EXPECT_EQ(GraphColour(-1, window), window);
    EXPECT_EQ(GraphColour(-2, window), window);

    // "008" and the digits of r, read as hexadecimal blue-green-red.
    const struct {
        int r;
        QColor colour;
    } randoms[] = {{0, {0x80, 0, 0}},          {5, {0x85, 0, 0}},           {123, {0x23, 0x81, 0}},
                   {1234, {0x34, 0x12, 0x08}}, {12345, {0x45, 0x23, 0x81}}, {99998, {0x98, 0x99, 0x89}}};
    for (const auto& c : randoms) {
        EXPECT_EQ(RandomGraphColour(c.r), c.colour) << c.r;
    }
    std::set<QRgb> seen;
    for (int i = 0; i < 20; ++i)
        seen.insert(GraphColour(16, window).rgb());
    EXPECT_GT(seen.size(), 1u);
}

TEST(TGraphImage, PieRunsCounterclockwiseFromTwelveOClock) {
    auto chart = Chart({10, 20, 30});
    ASSERT_TRUE(chart->DrawPie());
    const TGraphToShow& g = chart->State();
    // Slices of 60, 120 and 180 degrees.
    const struct {
        double degrees;
        QColor colour;
    } samples[] = {{3, kLime},   {30, kLime}, {57, kLime}, {63, kBlue}, {120, kBlue},
                   {177, kBlue}, {183, kRed}, {270, kRed}, {357, kRed}};
    for (const auto& s : samples) {
        EXPECT_EQ(PixelAt(*chart, PiePoint(g, s.degrees)), s.colour) << s.degrees << " degrees";
    }
    // The black shadow shows below and right of the circle, not above or left of it.
    EXPECT_EQ(PixelAt(*chart, PiePoint(g, 225, 1.0, 1.5)), kBlack);
    EXPECT_EQ(PixelAt(*chart, PiePoint(g, 45, 1.0, 1.5)), chart->WindowColor());
    const QColor kept[] = {kBlack, kLime, kBlue, kRed};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(chart->KeptColour(i), kept[i]) << i;
    }
    EXPECT_FALSE(chart->KeptColour(4).isValid());
}

TEST(TGraphImage, BarsStandOnTheZeroLineInTheSeriesColour) {
    auto chart = Chart({10, 20, 30});
    const TGraphToShow& g = chart->State();
    ASSERT_EQ(g.Type, GraphBars);
    for (int j = 1; j <= 3; ++j) {
        const int h = g.ValueHeight(g.Value(1, j));
        EXPECT_EQ(PixelAt(*chart, {g.PointX(j), g.ZeroLineY() - h / 2}), kLime) << "point " << j;
        EXPECT_EQ(PixelAt(*chart, {g.PointX(j), g.ZeroLineY() - h - 4}), chart->WindowColor())
            << "point " << j;
    }
    // A second series splits each bar: its half on the right, in blue.
    chart->SetValue(2, 2, 20);
    chart->PrepareGraph();
    const int width = RoundPixel(g.PointSpacing() / 2.5);
    const int left = g.PointX(2) - RoundPixel(g.PointSpacing() / 2.0);
    const int y = g.ZeroLineY() - g.ValueHeight(20) / 2;
    EXPECT_EQ(PixelAt(*chart, {left + width / 2, y}), kLime);
    EXPECT_EQ(PixelAt(*chart, {left + width + width / 2, y}), kBlue);
}

TEST(TGraphImage, NegativeValuesDrawBarsBelowZeroAndRefuseThePie) {
    auto chart = Chart({-5, 10});
    const TGraphToShow& g = chart->State();
    EXPECT_EQ(g.Type, GraphBars);
    EXPECT_EQ(g.ZeroOffset, 5);
    EXPECT_EQ(PixelAt(*chart, {g.PointX(1), g.ZeroLineY() + g.ValueHeight(5) / 2}), kLime);
    EXPECT_EQ(PixelAt(*chart, {g.PointX(2), g.ZeroLineY() - g.ValueHeight(10) / 2}), kLime);
    const QImage before = chart->Image();
    EXPECT_FALSE(chart->DrawPie());
    EXPECT_EQ(chart->Image(), before);
    EXPECT_EQ(g.Type, GraphBars);
}

TEST(TGraphImage, LineRunsThroughEveryPoint) {
    auto chart = Chart({10, 30, 20});
    chart->DrawLine();
    const TGraphToShow& g = chart->State();
    for (int j = 1; j < 3; ++j) {
        const QPoint a(g.PointX(j), g.ZeroLineY() - g.ValueHeight(g.Value(1, j)));
        const QPoint b(g.PointX(j + 1), g.ZeroLineY() - g.ValueHeight(g.Value(1, j + 1)));
        EXPECT_TRUE(IsNear(PixelAt(*chart, (a + b) / 2), kLime)) << "between " << j << " and " << j + 1;
    }
}

TEST(TGraphImage, AllZerosDrawNoBarsAndOnlyThePieShadow) {
    auto chart = Chart({0, 0, 0});
    EXPECT_EQ(chart->State().N, 0);
    EXPECT_EQ(CountPixels(*chart, kLime), 0);
    ASSERT_TRUE(chart->DrawPie());
    const TGraphToShow& g = chart->State();
    EXPECT_EQ(PixelAt(*chart, PiePoint(g, 0, 0)), kBlack);
    EXPECT_EQ(PixelAt(*chart, PiePoint(g, 200, 0.9)), kBlack);
    EXPECT_EQ(CountPixels(*chart, kLime), 0);
}

TEST(TGraphImage, PointsFromSixteenOnTakeNewRandomColoursAtEveryDrawing) {
    auto chart = Chart({});
    for (int k = 1; k <= 17; ++k)
        chart->SetValue(1, k, 1);
    std::set<QRgb> sixteens;
    for (int round = 0; round < 4; ++round) {
        chart->PrepareGraph();
        ASSERT_TRUE(chart->DrawPie());
        // Slice 16 runs from 15/17 to 16/17 of the circle.
        const double middle = 15.5 / 17 * 360;
        EXPECT_EQ(PixelAt(*chart, PiePoint(chart->State(), middle, 0.8)), chart->KeptColour(16));
        EXPECT_EQ(chart->KeptColour(15), QColor(166, 202, 240));
        sixteens.insert(chart->KeptColour(16).rgb());
    }
    EXPECT_GT(sixteens.size(), 1u);
    // A pie already on show is not drawn again: its colours stay.
    const QColor kept = chart->KeptColour(16);
    EXPECT_TRUE(chart->DrawPie());
    EXPECT_EQ(chart->KeptColour(16), kept);
}

TEST(TGraphImage, ResizeFitsThePlotBesideTheLegend) {
    const struct {
        QSize size;
        bool legend;
        int r;
    } cases[] = {{{600, 400}, true, 382},  // 382.5 to even
                 {{600, 400}, false, 578}, // 577.5 to even
                 {{601, 400}, false, 578}, // 578.5 to even
                 {{20, 20}, true, 10}};
    for (const auto& c : cases) {
        TGraphImage chart;
        chart.SetShowLegend(c.legend);
        chart.ResizeGraph(c.size);
        const TGraphToShow& g = chart.State();
        EXPECT_EQ(chart.Image().size(), c.size);
        EXPECT_EQ(g.R, c.r) << c.size.width();
        EXPECT_GT(g.T, 8);
        EXPECT_EQ(g.H, std::max(10, c.size.height() - 2 * g.T));
    }
}

TEST(TGraphImage, LegendBoxListsNumberedLabelsOnlyWhenTheyAreLong) {
    auto chart = std::make_unique<TGraphImage>();
    chart->ResizeGraph({600, 400});
    chart->SetValue(1, 1, 5);
    chart->SetPointLabel(1, "Еда");
    chart->PrepareGraph();
    const TGraphToShow& g = chart->State();
    const QPoint corner(g.R + g.L, g.T);
    EXPECT_EQ(PixelAt(*chart, corner), chart->WindowColor());
    chart->SetPointLabel(1, "Продукты питания: 5");
    chart->DrawBars();
    EXPECT_EQ(PixelAt(*chart, corner), chart->LegendFontColor());
}

TEST(TGraphImage, MouseInformationShowsThePointLabelBesideThePointer) {
    auto chart = Chart({10, 20, 30});
    chart->SetPointLabel(2, "Транспорт: 20");
    chart->SetPointLabel(3, "Продукты питания и хозяйство: 30");
    chart->PrepareGraph();
    const TGraphToShow& g = chart->State();
    const int middle = g.T + g.H / 2;

    const TMouseInfo two = chart->MouseInfoAt({g.PointX(2), middle});
    EXPECT_EQ(two.point, 2);
    EXPECT_EQ(two.text, "Транспорт: 20");
    EXPECT_GT(two.box.left(), g.PointX(2));
    EXPECT_EQ(two.shadow, two.box.translated(3, 3));
    // Near the right edge the box goes left of the pointer.
    const TMouseInfo three = chart->MouseInfoAt({g.PointX(3), middle});
    EXPECT_EQ(three.point, 3);
    EXPECT_LT(three.shadow.right(), g.PointX(3));

    EXPECT_EQ(chart->MouseInfoAt({g.L - 1, middle}).point, 0);
    EXPECT_EQ(chart->MouseInfoAt({g.PointX(2), g.T - 1}).point, 0);

    int changes = 0;
    QObject::connect(chart.get(), &TGraphImage::ImageChanged, [&] { ++changes; });
    const QImage clean = chart->Image();
    chart->ShowMouseInfo({g.PointX(2), middle});
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(PixelAt(*chart, two.shadow.bottomRight()), kBlack);
    EXPECT_EQ(PixelAt(*chart, two.box.topLeft() + QPoint(1, 1)), chart->WindowColor());
    chart->HideMouseInfo();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(chart->Image(), clean);
    chart->HideMouseInfo();
    EXPECT_EQ(changes, 2);

    chart->SetMouseInfo(false);
    EXPECT_EQ(chart->MouseInfoAt({g.PointX(2), middle}).point, 0);
    chart->SetMouseInfo(true);
    ASSERT_TRUE(chart->DrawPie());
    EXPECT_EQ(chart->MouseInfoAt({g.PointX(2), middle}).point, 0);
}

TEST(TGraphImage, UnknownChartTypeIsReportedOnceTheAxesAreDrawn) {
    TMessageRecorder messages;
    auto chart = Chart({1});
    chart->SetDefaultGraphType(2); // known, drawn as bare axes
    chart->PrepareGraph();
    EXPECT_TRUE(messages.Boxes().empty());
    chart->SetDefaultGraphType(42);
    chart->PrepareGraph();
    ASSERT_EQ(messages.Boxes().size(), 1u);
    EXPECT_EQ(messages.Boxes()[0], Error({"DefaultGraphType not supported"}));
}

TEST(TGraphImage, AutoUpdateRedrawsAfterEverySetter) {
    auto chart = Chart({5});
    int changes = 0;
    QObject::connect(chart.get(), &TGraphImage::ImageChanged, [&] { ++changes; });
    chart->SetHeader("Анализ");
    EXPECT_EQ(changes, 0);
    chart->SetAutoUpdateGraph(true);
    chart->SetHeader("Анализ");
    chart->SetValue(1, 2, 7);
    chart->SetValue(1, 1001, 7); // ignored: nothing to redraw
    EXPECT_EQ(changes, 2);
}
