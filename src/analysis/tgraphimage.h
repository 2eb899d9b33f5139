#pragma once

#include "analysis/tgraphtoshow.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class QPainter;

// What the mouse information shows at a point of the chart.
struct TMouseInfo {
    int point = 0; // 0: nothing is shown
    QString text;
    QRect box;    // window-coloured box holding the text
    QRect shadow; // black box 3 pixels right of and below it
};

// The chart of the analysis page: paints bars, a line or a pie into a bitmap of its own size. The
// window that shows it only displays Image(), passes its size to ResizeGraph and its mouse to
// ShowMouseInfo / HideMouseInfo, and repaints on ImageChanged.
class TGraphImage : public QObject {
    Q_OBJECT
public:
    explicit TGraphImage(QObject* parent = nullptr);

    void ClearGraph();
    void SetValue(int series, int point, double value);
    void SetHeader(const QString& text);
    void SetXAxisText(const QString& text);
    void SetYAxisText(const QString& text);
    void SetSeriesLegend(int index, const QString& text);
    void SetPointLabel(int index, const QString& text);

    // Scales the chart to its values and draws it with DefaultGraphType (bars when a value is
    // below zero).
    void PrepareGraph();
    void DrawBars();
    void DrawLine();
    // False, and nothing drawn, when a value is below zero; true when the pie is drawn or already
    // on show.
    bool DrawPie();
    // Fits the bitmap and the plot to a new size, then draws.
    void ResizeGraph(QSize size);

    // The colour the last pie gave index 0 ... N; invalid for any other index.
    QColor KeptColour(int index) const;
    // The colour of an index as a drawing asks for it (a new random one from 16 up).
    QColor Colour(int index) const { return GraphColourOf(index); }

    const QImage& Image() const { return m_image; }
    const TGraphToShow& State() const { return m_state; }

    // The box the mouse information shows at a point of the bitmap (point 0 when none).
    TMouseInfo MouseInfoAt(QPoint pos) const;
    // Pressing or moving the mouse: shows the box for that point, or none.
    void ShowMouseInfo(QPoint pos);
    // Releasing the mouse: the chart without the box.
    void HideMouseInfo();

    int ColorScheme() const { return m_colorScheme; }
    void SetColorScheme(int scheme) { m_colorScheme = scheme; }
    int DefaultGraphType() const { return m_defaultType; }
    void SetDefaultGraphType(int type) { m_defaultType = type; }
    int DefaultYLegends() const { return m_yLegends; }
    void SetDefaultYLegends(int count);
    bool AutoUpdateGraph() const { return m_autoUpdate; }
    void SetAutoUpdateGraph(bool on) { m_autoUpdate = on; }
    bool MouseEdit() const { return m_mouseEdit; }
    void SetMouseEdit(bool on) { m_mouseEdit = on; }
    bool MouseInfo() const { return m_mouseInfo; }
    void SetMouseInfo(bool on) { m_mouseInfo = on; }
    bool ShowLegend() const { return m_showLegend; }
    void SetShowLegend(bool on);
    int LegendWidth() const { return m_legendWidth; }
    void SetLegendWidth(int width);
    int ThickLineWidth() const { return m_thickLineWidth; }
    void SetThickLineWidth(int width) { m_thickLineWidth = qMax(1, width); }
    int AxisLineWidth() const { return m_axisLineWidth; }
    void SetAxisLineWidth(int width) { m_axisLineWidth = qMax(1, width); }
    int HeaderFontSize() const { return m_headerFontSize; }
    void SetHeaderFontSize(int points);
    int LegendFontSize() const { return m_legendFontSize; }
    void SetLegendFontSize(int points) { m_legendFontSize = qMax(1, points); }
    int AxisFontSize() const { return m_axisFontSize; }
    void SetAxisFontSize(int points) { m_axisFontSize = qMax(1, points); }
    // Size of the mouse information's text: the font size of whatever the chart sits beside.
    int InfoFontSize() const { return m_infoFontSize; }
    void SetInfoFontSize(int points) { m_infoFontSize = qMax(1, points); }
    QColor HeaderFontColor() const { return m_headerColor; }
    void SetHeaderFontColor(const QColor& c) { m_headerColor = c; }
    QColor LegendFontColor() const { return m_legendColor; }
    void SetLegendFontColor(const QColor& c) { m_legendColor = c; }
    QColor AxisFontColor() const { return m_axisColor; }
    void SetAxisFontColor(const QColor& c) { m_axisColor = c; }
    // The system window colour: the chart's background and the colour of indexes -2 and -1.
    QColor WindowColor() const { return m_windowColor; }
    void SetWindowColor(const QColor& c) { m_windowColor = c; }

signals:
    // The bitmap holds a new picture (or a new size).
    void ImageChanged();

private:
    QFont ChartFont(int points) const;
    QColor GraphColourOf(int index) const;
    void UpdateGeometry();
    void Changed();
    void Draw();
    void DrawAxesChart(QPainter& p);
    void DrawBarsOf(QPainter& p);
    void DrawLinesOf(QPainter& p);
    void DrawPieChart(QPainter& p);
    void DrawHeader(QPainter& p);
    // A framed box right of the plot listing lines, each with a swatch when colours are given.
    void DrawLegendBox(QPainter& p, const QStringList& lines, const std::vector<QColor>& swatches);
    // Characters of a legend label: the legend's width in widths of "1", less the room kept.
    int LegendChars(int kept) const;

    TGraphToShow m_state;
    QImage m_chart; // the chart as last drawn
    QImage m_image; // what is on show: the chart, with the mouse information over it
    bool m_pieOnShow = false;

    int m_colorScheme = 1;
    int m_defaultType = GraphBars;
    int m_yLegends = 20;
    bool m_autoUpdate = false;
    bool m_mouseEdit = true;
    bool m_mouseInfo = true;
    bool m_showLegend = true;
    int m_legendWidth = 150;
    int m_thickLineWidth = 3;
    int m_axisLineWidth = 3;
    int m_headerFontSize = 16;
    int m_legendFontSize = 7;
    int m_axisFontSize = 7;
    int m_infoFontSize = 8;
    QColor m_headerColor, m_legendColor, m_axisColor, m_windowColor;
};
