#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace GraphLimits {
constexpr int MaxSeries = 1000;
constexpr int MaxPoints = 1000;
constexpr int MaxYSteps = 200;
constexpr int TextLength = 70;
// Labels under the points are written as they are only up to this length; longer ones are numbered.
constexpr int ShortLabel = 9;
// From this many points on, only every tenth point is labelled.
constexpr int SparseLabels = 200;
} // namespace GraphLimits

// Chart types: the analysis uses bars, line and pie; 2, 4, 5, 7, 8 and 9 are known types that
// nothing in the program selects and that the chart draws as bare axes.
enum TGraphType : int { GraphBars = 1, GraphLine = 3, GraphPie = 6 };

// Rounding to the nearest whole number with halves to even, as the whole chart rounds.
double RoundHalfEven(double x);
// The same as a pixel coordinate, held within a range a painter can handle.
int RoundPixel(double x);

// Cuts a text to at most n UTF-16 units without splitting a surrogate pair.
QString CutText(const QString& text, int n);

// Everything a chart shows: values, texts, scale and plot geometry. The painter (TGraphImage) draws
// from it; the scale and the geometry are worked out here so they can be checked without pixels.
class TGraphToShow {
public:
    TGraphToShow();

    int Type = GraphBars;
    QString Header, XAxisText, YAxisText;
    int N = 0;         // points shown
    int S = 1;         // series shown
    int Y = 20;        // value steps on the y axis
    double Step = 1.0; // value between two y grid lines
    int ZeroOffset = 0;
    // Plot area: left and top margins, right edge and height.
    int L = 45, T = 0, R = 10, H = 10;
    int MarkerSize = 3;
    bool Negative = false;
    // The colour of every index 0 ... N as the last pie painted it.
    std::vector<QColor> KeptColours;

    // Empties texts and values; labels go back to their numbers.
    void Clear(int yLegends);
    // False, and nothing stored, outside series 1 ... 1000 and point 1 ... 1000 or for a value that
    // is not a finite number.
    bool SetValue(int series, int point, double value);
    // 0 outside the table.
    double Value(int series, int point) const;

    void SetSeriesLegend(int index, const QString& text);
    void SetPointLabel(int index, const QString& text);
    // Empty outside 1 ... 1000 (series, points) and 1 ... 200 (y labels).
    QString SeriesLegend(int index) const;
    QString PointLabel(int index) const;
    QString YLabel(int index) const;

    // Works out N, S, Y, the step, the zero offset, the negative flag and the y labels from the
    // values, and the type to draw: defaultType, or bars when a value is below zero.
    void Scale(int defaultType, int yLegends);

    // Plot geometry of bars and line.
    int PointSpacing() const; // xs: distance between points
    int StepHeight() const;   // ys: distance between grid lines
    int ZeroLineY() const;
    int PointX(int point) const;
    // Pixels above the zero line at which a value stands.
    int ValueHeight(double value) const;
    // Grid line i = 1 ... Y + 1.
    int GridLineY(int i) const;
    // The point under x: round((x - L) / xs), 0 when that lies outside 1 ... N.
    int PointAt(int x) const;

    // The points labelled under the x axis with what is written there: the labels themselves when
    // all of them are short, else their numbers.
    std::vector<std::pair<int, QString>> AxisCaptions() const;
    bool LabelsAreShort() const;
    // Legend lines "1.label", ... listed beside numbered points, each label cut to maxChars when that
    // count lies between 4 and 34.
    QStringList NumberedLegend(int maxChars) const;

    // Sum of series 1 over points 1 ... N: the whole of the pie.
    double PieTotal() const;

private:
    std::vector<double> m_values;   // 1000 x 1000, series-major
    std::vector<QString> m_series;  // legends 1 ... 1000 at index - 1
    std::vector<QString> m_labels;  // point labels 1 ... 1000
    std::vector<QString> m_yLabels; // y labels 1 ... 200
};
