#pragma once

#include "analysis/tanalysis.h"

#include <QWidget>

#include <array>
#include <vector>

class QComboBox;
class QHBoxLayout;
class QDateEdit;
class QLabel;
class QTableWidget;
class TAppContext;
class TChartView;
class TGraphImage;
struct TBaseSettings;

// The analysis page: the five selectors, the title line, the result grid and the chart beside it.
// Every number and rule comes from TAnalysis; the page shows the result and runs it again whenever a
// selector changes.
class TAnalysisPage : public QWidget {
    Q_OBJECT
public:
    explicit TAnalysisPage(TAppContext& context, QWidget* parent = nullptr);
    ~TAnalysisPage() override;

    // Reads the open base again and shows the result.
    void Run();
    const TAnalysis& Analysis() const { return m_analysis; }
    TAnalysisSettings Settings() const;

    // The selectors from a base's settings, and back (nothing runs).
    void RestoreSettings(const TBaseSettings& stored);
    void StoreSettings(TBaseSettings& stored) const;

    QTableWidget* Grid() const { return m_grid; }
    // The result grid's columns shared out by their weights.
    void AutoSizeColumns();
    // Stored widths for the grid; none: it is sized once it is first on show.
    void SetColumnWidths(const QList<int>& widths);
    QList<int> ColumnWidths() const;
    // Never on show since the base opened without stored widths, so never sized.
    bool SizePending() const { return m_sizePending; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void KindChosen(int kind);
    void ShowResult();
    void FillGrid(bool sliceColours);
    void SizeIfPending();
    // The selectors with their captions on one line, or on two when the page is too narrow for one.
    void PlaceFields(bool twoRows);
    void FitFields();
    int ShownColumns() const;
    // The widest text of each shown column with the margins the grid draws it with, and whether the
    // columns are that wide.
    std::vector<int> TextWidths() const;
    bool TextsFit() const;
    // The grid's side of the splitter as wide as its texts need, while the chart keeps its room.
    void WidenGridForTexts();

    TAppContext& m_context;
    TAnalysis m_analysis;
    TNameSelection m_selection;
    int m_kind = KindRashodByKind; // the kind the last run used
    bool m_sizePending = true;
    QDateEdit* m_start;
    QDateEdit* m_end;
    QComboBox* m_kindList;
    QComboBox* m_formatList;
    QComboBox* m_chartList;
    std::array<QWidget*, 5> m_fields{};
    std::array<QHBoxLayout*, 2> m_fieldRows{};
    bool m_twoRows = false;
    QLabel* m_title;
    QLabel* m_noData;
    QWidget* m_result;
    QTableWidget* m_grid;
    TGraphImage* m_graph;
    TChartView* m_chart;
};
