#include "analysis/tgraphtoshow.h"

#include "qtprint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

namespace {

struct TValue {
    int series, point;
    double value;
};

// The state is 8 MB: keep it off the stack.
std::unique_ptr<TGraphToShow> StateWith(const std::vector<TValue>& values) {
    auto g = std::make_unique<TGraphToShow>();
    g->Clear(20);
    for (const TValue& v : values)
        g->SetValue(v.series, v.point, v.value);
    return g;
}

} // namespace

TEST(TGraphToShow, ScalesToItsValues) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        std::vector<TValue> values;
        int defaultType;
        int type, n, s, y;
        double step;
        int zeroOffset;
        bool negative;
        QStringList firstLabels;
    } cases[] = {
        {"ten twenty thirty",
         {{1, 1, 10}, {1, 2, 20}, {1, 3, 30}},
         GraphPie,
         GraphPie,
         3,
         1,
         20,
         2,
         0,
         false,
         {"0", "2", "4"}},
        {"a value below zero",
         {{1, 1, -5}, {1, 2, 10}},
         GraphPie,
         GraphBars,
         2,
         1,
         20,
         1,
         5,
         true,
         {"-5", "-4", "-3"}},
        {"small values take one step per unit, up to the largest",
         {{1, 1, 0.3}, {1, 2, 2.4}},
         GraphBars,
         GraphBars,
         2,
         1,
         3,
         1,
         0,
         false,
         {"0", "1", "2"}},
        {"small values of two series",
         {{1, 1, 1}, {2, 4, 3}},
         GraphLine,
         GraphLine,
         4,
         2,
         6,
         1,
         0,
         false,
         {"0", "1"}},
        {"small values of many series stop at 200 steps",
         {{500, 1, 5}},
         GraphBars,
         GraphBars,
         1,
         500,
         200,
         1,
         0,
         false,
         {"0", "1"}},
        {"nothing but zeros", {{1, 1, 0}, {3, 7, 0}}, GraphBars, GraphBars, 0, 1, 1, 1, 0, false, {"0", "1"}},
        {"a smallest value between two grid lines takes the line under it",
         {{1, 1, -2.5}},
         GraphBars,
         GraphBars,
         1,
         1,
         20,
         1,
         3,
         true,
         {"-3", "-2", "-1", "0"}},
        {"the last point of the last series",
         {{1000, 1000, 500}},
         GraphBars,
         GraphBars,
         1000,
         1000,
         20,
         28,
         0,
         false,
         {"0", "28"}},
        {"values outside the table or not numbers are ignored",
         {{1, 1001, 50},
          {0, 1, 50},
          {1001, 1, 50},
          {1, 0, 50},
          {1, 1, std::nan("")},
          {1, 2, inf},
          {1, 3, -inf}},
         GraphBars,
         GraphBars,
         0,
         1,
         1,
         1,
         0,
         false,
         {"0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto g = StateWith(c.values);
        g->Scale(c.defaultType, 20);
        EXPECT_EQ(g->Type, c.type);
        EXPECT_EQ(g->N, c.n);
        EXPECT_EQ(g->S, c.s);
        EXPECT_EQ(g->Y, c.y);
        EXPECT_EQ(g->Step, c.step);
        EXPECT_EQ(g->ZeroOffset, c.zeroOffset);
        EXPECT_EQ(g->Negative, c.negative);
        for (int i = 0; i < c.firstLabels.size(); ++i) {
            EXPECT_EQ(g->YLabel(i + 1), c.firstLabels[i]) << "label " << i + 1;
        }
    }
}

// Whatever the rounding of the step, the scale's last grid line stands at or above the largest value and
// its first at or below the smallest, so no bar reaches past the scale.
TEST(TGraphToShow, TheScaleTakesInTheLargestAndTheSmallestValue) {
    const struct {
        const char* name;
        std::vector<double> values;
        double step;
        int zeroOffset;
        int y;
    } cases[] = {
        {"shares, the largest 63,16 %", {63.16, 21.05, 15.79}, 4, 0, 20},
        {"a step rounded down from 2,497", {45.4, 3}, 3, 0, 20},
        {"a step rounded up needs nothing more", {95}, 5, 0, 20},
        {"small values, one step per unit", {2.4, 0.3}, 1, 0, 3},
        {"a small value below 1", {0.4}, 1, 0, 1},
        {"values of thousands", {1234567.5, 10}, 67901, 0, 20},
        {"a small negative value under a large one", {100, -0.5}, 6, 1, 20},
        {"a large negative value over a small one", {3, -40}, 3, 14, 20},
        {"the design's own case", {10, -5}, 1, 5, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TValue> values;
        for (size_t i = 0; i < c.values.size(); ++i)
            values.push_back({1, int(i) + 1, c.values[i]});
        auto g = StateWith(values);
        g->Scale(GraphBars, 20);
        EXPECT_EQ(g->Step, c.step);
        EXPECT_EQ(g->ZeroOffset, c.zeroOffset);
        EXPECT_EQ(g->Y, c.y);
        const double largest = *std::max_element(c.values.begin(), c.values.end());
        const double smallest = std::min(0.0, *std::min_element(c.values.begin(), c.values.end()));
        // The labels of the first and the last grid line, as the chart writes them.
        EXPECT_GE(g->YLabel(g->Y + 1).toDouble(), largest) << g->YLabel(g->Y + 1).toStdString();
        EXPECT_LE(g->YLabel(1).toDouble(), smallest) << g->YLabel(1).toStdString();
        // In pixels: the largest bar ends inside the plot, at or under the last grid line.
        g->T = 30;
        g->H = 420;
        EXPECT_LE(g->ValueHeight(largest), g->ZeroLineY() - g->GridLineY(g->Y + 1));
        EXPECT_LE(g->ValueHeight(-smallest), g->GridLineY(1) - g->ZeroLineY());
    }
}

TEST(TGraphToShow, ScalingAgainAfterTheValuesTurnPositiveClearsTheNegativeFlag) {
    auto g = StateWith({{1, 1, -1}});
    EXPECT_TRUE(g->Negative); // known at once, before any scale
    g->SetValue(1, 1, 4);
    g->Scale(GraphPie, 20);
    EXPECT_FALSE(g->Negative);
    EXPECT_EQ(g->Type, GraphPie);
}

TEST(TGraphToShow, ClearEmptiesTextsAndValuesAndCutsLongTexts) {
    auto g = StateWith({{1, 5, 7}});
    g->Header = "Заголовок";
    g->SetPointLabel(1, "Еда");
    g->SetSeriesLegend(2, QString(80, QChar(u'ж')));
    EXPECT_EQ(g->SeriesLegend(2).size(), 70);
    // A letter outside the basic plane is never cut in half.
    g->SetPointLabel(3, QString(69, QChar(u'a')) + QString::fromUtf8("😀"));
    EXPECT_EQ(g->PointLabel(3).size(), 69);

    g->Clear(300);
    EXPECT_EQ(g->Y, 200);
    EXPECT_EQ(g->Value(1, 5), 0);
    EXPECT_EQ(g->Header, "");
    EXPECT_EQ(g->SeriesLegend(2), "");
    EXPECT_EQ(g->PointLabel(1), "1");
    EXPECT_EQ(g->PointLabel(1000), "1000");
    EXPECT_EQ(g->PointLabel(1001), "");
    EXPECT_EQ(g->Step, 1.0);
}

TEST(TGraphToShow, LabelsUnderPointsOrNumbersWithALegend) {
    using Captions = std::vector<std::pair<int, QString>>;
    auto g = StateWith({{1, 1, 1}, {1, 2, 2}});
    g->Scale(GraphBars, 20);
    g->SetPointLabel(1, "Еда");
    g->SetPointLabel(2, "123456789");
    EXPECT_TRUE(g->LabelsAreShort());
    EXPECT_EQ(g->AxisCaptions(), (Captions{{1, "Еда"}, {2, "123456789"}}));

    g->SetPointLabel(2, "Транспорт: 1234,5");
    EXPECT_FALSE(g->LabelsAreShort());
    EXPECT_EQ(g->AxisCaptions(), (Captions{{1, "1"}, {2, "2"}}));
    const struct {
        int chars;
        QStringList lines;
    } legends[] = {{4, {"1.Еда", "2.Тран"}},
                   {34, {"1.Еда", "2.Транспорт: 1234,5"}},
                   {3, {"1.Еда", "2.Транспорт: 1234,5"}},
                   {35, {"1.Еда", "2.Транспорт: 1234,5"}}};
    for (const auto& l : legends) {
        EXPECT_EQ(g->NumberedLegend(l.chars), l.lines) << l.chars;
    }
}

TEST(TGraphToShow, FromTwoHundredPointsOnlyEveryTenthIsLabelled) {
    auto g = StateWith({{1, 199, 1}});
    g->Scale(GraphBars, 20);
    EXPECT_EQ(g->AxisCaptions().size(), 199u);
    g->SetValue(1, 250, 1);
    g->Scale(GraphBars, 20);
    const auto captions = g->AxisCaptions();
    ASSERT_EQ(captions.size(), 25u);
    EXPECT_EQ(captions.front(), std::make_pair(10, QString("10")));
    EXPECT_EQ(captions.back(), std::make_pair(250, QString("250")));
}

TEST(TGraphToShow, PlotGeometryAndThePointUnderTheMouse) {
    auto g = StateWith({{1, 1, 10}, {1, 2, 20}, {1, 3, 30}});
    g->Scale(GraphBars, 20);
    g->L = 45;
    g->T = 30;
    g->R = 445;
    g->H = 200;
    EXPECT_EQ(g->PointSpacing(), 100);
    EXPECT_EQ(g->StepHeight(), 10);  // round(200 / 21)
    EXPECT_EQ(g->ZeroLineY(), 230);  // T + 20 steps
    EXPECT_EQ(g->GridLineY(21), 30); // the top line
    EXPECT_EQ(g->PointX(2), 245);
    EXPECT_EQ(g->ValueHeight(30), 150); // 15 steps of 2
    const std::tuple<int, int> points[] = {{44, 0},  {95, 0},  {96, 1},  {145, 1}, {195, 2},
                                           {196, 2}, {345, 3}, {394, 3}, {395, 0}, {500, 0}};
    for (const auto& [x, point] : points) {
        EXPECT_EQ(g->PointAt(x), point) << "x " << x;
    }
    g->R = g->L; // no room between points
    EXPECT_EQ(g->PointSpacing(), 0);
    EXPECT_EQ(g->PointAt(100), 0);
}
