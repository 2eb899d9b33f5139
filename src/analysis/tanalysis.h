#pragma once

#include "storage/tmemtable.h"
#include "storage/tsettingsfiles.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class TMyType;

// The nine ways to analyse a period, in the order of the page's list.
enum TAnalysisKind : int {
    KindRashodByKind,   // "Видам расходов"
    KindRashodByName,   // "Наименованиям расходов"
    KindDohodByKind,    // "Видам доходов"
    KindPlanRashod,     // "По планированию расходов"
    KindPlanDohod,      // "По планированию доходов"
    KindRashodNote,     // "По примечанию в расходах"
    KindDohodNote,      // "По примечанию в доходах"
    KindPlanRashodNote, // "По примечанию в планах расходов"
    KindPlanDohodNote,  // "По примечанию в планах доходов"
    AnalysisKindCount
};
enum TAnalysisFormat : int { FormatNumber, FormatPercent };
enum TAnalysisChart : int { ChartPie, ChartBars, ChartLine };

// The five choices of the page.
struct TAnalysisSettings {
    QDate start;
    QDate end;
    int kind = KindRashodByKind;
    int format = FormatNumber;
    int chart = ChartPie;
};

// The entries of the page's three lists, in their order: kinds, formats and chart kinds.
const QStringList& AnalysisKindNames();
const QStringList& AnalysisFormatNames();
const QStringList& AnalysisChartNames();

// The five choices as the base's settings keep them (section "Analis"): a missing date gives today - 30
// days or today, a missing list text keeps the current choice and a text not in its list the first entry.
TAnalysisSettings RestoreAnalysisSettings(const TBaseSettings& stored, const TAnalysisSettings& current,
                                          const QDate& today);
void StoreAnalysisSettings(const TAnalysisSettings& settings, TBaseSettings& stored);

// The names chosen for the analysis by expense names, as the selection dialog holds them: a check
// box per kind (a row of the expense kinds list) and per name of that kind (its cells 1 onward).
struct TNameSelection {
    // The dialog has been opened and not since closed by its frame: only checked names count.
    bool applies = false;
    std::vector<bool> kinds;              // by kinds-list row
    std::vector<std::vector<bool>> names; // by kinds-list row, then name (cell 1 is name 0)

    // Every box checked, as the dialog opens.
    static TNameSelection AllChecked(const TMemTable& kindsList);
    // A kind's box gives all its names the same state.
    void SetKind(int kindRow, bool on);
    void SetName(int kindRow, int nameIndex, bool on);
    void SetAll(bool on);
    // False for a box that does not exist.
    bool NameChecked(int kindRow, int nameIndex) const;
};

// One value given to the chart: series 1, point number = the data row's position (from 1).
struct TChartPoint {
    int point = 0;
    double value = 0;
    QString label;
};

// The analysis of the open base: sums one table over a period by group, converts every amount to
// the base purse, compares with plans or expenses and lays out the rows the page, the export and the
// printout show. It reads the tables and writes nothing back.
class TAnalysis {
public:
    explicit TAnalysis(TMyType& state) : m_state(state) {}

    // Rebuilds every result from scratch.
    void Run(const TAnalysisSettings& settings, const TNameSelection& selection);

    // Data rows (number, group, amount or share, comparison, difference; kinds 4 to 8 the first three
    // only), then the total row when there is data.
    const TMemTable& Table() const { return m_table; }
    int DataRowCount() const { return int(m_rowAmounts.size()); }
    // The captions of the result columns of a kind.
    static QStringList Captions(int kind);
    static QString KindTitle(int kind);
    const QString& Title() const { return m_title; }
    // Empty when there is data.
    const QString& NoDataLine() const { return m_noData; }
    long double MainTotal() const { return m_mainTotal; }
    long double ComparisonTotal() const { return m_comparisonTotal; }
    // The unrounded main amount of each data row's group, in row order (0 for a comparison group).
    const std::vector<long double>& RowAmounts() const { return m_rowAmounts; }
    // Non-zero values of the data rows, at most one per chart point.
    const std::vector<TChartPoint>& ChartPoints() const { return m_points; }
    // The chart cannot draw a pie of negative values.
    bool PieRefused() const { return m_pieRefused; }

    // How the grid draws a result cell (row of Table(): data rows, then the total row). A data row
    // whose amount is "0" shows no number; empty amounts show "0".
    QString ShownCell(int row, int cell) const;
    bool IsTotalRow(int row) const { return row == DataRowCount() && row < m_table.RowCount(); }
    // The difference reads below zero.
    bool CellInRed(int row, int cell) const;
    // With a pie, the number cell of a data row with an amount takes its slice's colour (index row + 1).
    bool TakesSliceColour(int row) const;

private:
    TMyType& m_state;
    TMemTable m_table;
    QString m_title;
    QString m_noData;
    long double m_mainTotal = 0;
    long double m_comparisonTotal = 0;
    std::vector<long double> m_rowAmounts;
    std::vector<TChartPoint> m_points;
    bool m_pieRefused = false;
};

// The box shown when a pie is asked for negative values.
QStringList PieRefusalLines();
