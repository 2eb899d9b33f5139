#include "analysis/tgraphtoshow.h"

#include <algorithm>
#include <cmath>

using namespace GraphLimits;

double RoundHalfEven(double x) {
    // nearbyint follows the current rounding mode, which is to nearest with ties to even.
    return std::nearbyint(x) + 0.0; // + 0.0 turns -0 into 0
}

int RoundPixel(double x) {
    constexpr double limit = 1e6;
    if (std::isnan(x)) return 0;
    return int(RoundHalfEven(std::clamp(x, -limit, limit)));
}

QString CutText(const QString& text, int n) {
    if (n <= 0) return QString();
    if (text.size() <= n) return text;
    if (text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}

TGraphToShow::TGraphToShow()
    : m_values(size_t(MaxSeries) * MaxPoints, 0.0), m_series(MaxSeries), m_labels(MaxPoints),
      m_yLabels(MaxYSteps) {
    Clear(Y);
}

void TGraphToShow::Clear(int yLegends) {
    Header.clear();
    XAxisText.clear();
    YAxisText.clear();
    std::fill(m_series.begin(), m_series.end(), QString());
    S = 1;
    N = 0;
    Y = std::clamp(yLegends, 1, MaxYSteps);
    Step = 1.0;
    ZeroOffset = 0;
    std::fill(m_values.begin(), m_values.end(), 0.0);
    for (int k = 1; k <= MaxPoints; ++k)
        m_labels[size_t(k - 1)] = QString::number(k);
    Negative = false;
}

bool TGraphToShow::SetValue(int series, int point, double value) {
    if (series < 1 || series > MaxSeries || point < 1 || point > MaxPoints || !std::isfinite(value))
        return false;
    m_values[size_t(series - 1) * MaxPoints + size_t(point - 1)] = value;
    // A pie of a negative value cannot be drawn: refuse it even before the next scale.
    if (value < 0) Negative = true;
    return true;
}

double TGraphToShow::Value(int series, int point) const {
    if (series < 1 || series > MaxSeries || point < 1 || point > MaxPoints) return 0;
    return m_values[size_t(series - 1) * MaxPoints + size_t(point - 1)];
}

void TGraphToShow::SetSeriesLegend(int index, const QString& text) {
    if (index >= 1 && index <= MaxSeries) m_series[size_t(index - 1)] = CutText(text, TextLength);
}

void TGraphToShow::SetPointLabel(int index, const QString& text) {
    if (index >= 1 && index <= MaxPoints) m_labels[size_t(index - 1)] = CutText(text, TextLength);
}

QString TGraphToShow::SeriesLegend(int index) const {
    return index >= 1 && index <= MaxSeries ? m_series[size_t(index - 1)] : QString();
}

QString TGraphToShow::PointLabel(int index) const {
    return index >= 1 && index <= MaxPoints ? m_labels[size_t(index - 1)] : QString();
}

QString TGraphToShow::YLabel(int index) const {
    return index >= 1 && index <= MaxYSteps ? m_yLabels[size_t(index - 1)] : QString();
}

void TGraphToShow::Scale(int defaultType, int yLegends) {
    Type = defaultType;
    Y = std::clamp(yLegends, 1, MaxYSteps);
    // Values never set are 0, so both extremes start from 0.
    double max = 0, min = 0;
    int lastPoint = 0, lastSeries = 0;
    for (int s = 1; s <= MaxSeries; ++s) {
        const double* row = m_values.data() + size_t(s - 1) * MaxPoints;
        for (int p = 1; p <= MaxPoints; ++p) {
            const double v = row[p - 1];
            if (v == 0) continue;
            max = std::max(max, v);
            min = std::min(min, v);
            lastPoint = std::max(lastPoint, p);
            lastSeries = s;
        }
    }
    N = lastPoint;
    S = std::max(lastSeries, 1);
    ZeroOffset = 0;

    const double wanted = (min < 0 ? max - min : max) * 1.1 / Y;
    Step = RoundHalfEven(wanted);
    bool perUnit = false;
    if (min < 0) {
        Negative = true;
        Type = GraphBars;
        if (Step == 0) Step = 1.0;
        ZeroOffset = RoundPixel(-min / Step);
    } else {
        Negative = false;
    }
    if (Step == 0) {
        // Small values: one step per unit. Y is held to the labels there are.
        Step = 1.0;
        Y = int(std::clamp(RoundHalfEven(max * S), 1.0, double(MaxYSteps)));
        perUnit = true;
    }
    // A step rounded down can end the scale below the largest value (a bar of 63,16 on a scale that
    // ends at 60), and a zero offset rounded down can start it above the smallest: the scale is
    // widened until every value lies on it.
    const auto coverBelow = [&] {
        if (min < 0 && ZeroOffset * Step < -min) ZeroOffset = int(std::ceil(-min / Step));
    };
    const auto top = [&] { return (Y - ZeroOffset) * Step; };
    coverBelow();
    if (perUnit && top() < max) Y = int(std::min(std::ceil(max), double(MaxYSteps)));
    for (int grow = 0; top() < max && grow < 1000; ++grow) {
        Step = std::max(Step + 1, std::ceil(wanted));
        if (min < 0) ZeroOffset = RoundPixel(-min / Step);
        coverBelow();
    }
    for (int i = 1; i <= MaxYSteps; ++i)
        m_yLabels[size_t(i - 1)] = QString::number(RoundHalfEven((i - ZeroOffset - 1) * Step), 'f', 0);
}

int TGraphToShow::PointSpacing() const {
    return RoundPixel(double(R - L) / (N + 1));
}

int TGraphToShow::StepHeight() const {
    return RoundPixel(double(H) / (Y + 1));
}

int TGraphToShow::ZeroLineY() const {
    return T + RoundPixel(double(Y - ZeroOffset) * StepHeight());
}

int TGraphToShow::PointX(int point) const {
    return L + point * PointSpacing();
}

int TGraphToShow::ValueHeight(double value) const {
    return Step == 0 ? 0 : RoundPixel(value / Step * StepHeight());
}

int TGraphToShow::GridLineY(int i) const {
    return ZeroLineY() - (i - ZeroOffset - 1) * StepHeight();
}

int TGraphToShow::PointAt(int x) const {
    const int xs = PointSpacing();
    if (xs <= 0) return 0;
    const int j = RoundPixel(double(x - L) / xs);
    return j >= 1 && j <= N ? j : 0;
}

std::vector<std::pair<int, QString>> TGraphToShow::AxisCaptions() const {
    const bool asIs = LabelsAreShort();
    const int every = N >= SparseLabels ? 10 : 1;
    std::vector<std::pair<int, QString>> captions;
    for (int j = every; j <= N; j += every)
        captions.emplace_back(j, asIs ? PointLabel(j) : QString::number(j));
    return captions;
}

bool TGraphToShow::LabelsAreShort() const {
    for (int j = 1; j <= N; ++j)
        if (PointLabel(j).size() > ShortLabel) return false;
    return true;
}

QStringList TGraphToShow::NumberedLegend(int maxChars) const {
    const bool cut = maxChars >= 4 && maxChars <= 34;
    QStringList lines;
    for (int j = 1; j <= N; ++j)
        lines << QString::number(j) + QLatin1Char('.') +
                     (cut ? CutText(PointLabel(j), maxChars) : PointLabel(j));
    return lines;
}

double TGraphToShow::PieTotal() const {
    double total = 0;
    for (int k = 1; k <= N; ++k)
        total += Value(1, k);
    return total;
}
