#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class TAnalysis;
class TDataGrid;
class TDataVidGrid;
class TMyType;
struct TAnalysisSettings;

// Everything one export hands over, whichever grid it comes from: the rows as the spreadsheet gets
// them and the keys of the job file that depend on the grid.
struct TExportTable {
    int number = 0;                // `NumberTable`: which template the tool fills
    QStringList captions;          // `NameCols`, one per column of the row file
    std::vector<QStringList> rows; // cells in column order
    int sumColumn = -1;            // `SumCol`
    bool percent = false;          // `Proz`
    QString totalSum;              // `ItogSum`: a number with a decimal comma, or empty
    QString fileCaption;           // the caption part of the spreadsheet's name; may be empty
};

// The ledgers, debt returns, purses, transfers and users. Ledgers give the rows the grid shows, in
// its order (filter and sort), without rows whose second cell is empty; the others give every row of
// the table. The users' password codes are never exported. Nothing when the grid has no table.
std::optional<TExportTable> GridExport(TMyType& state, const TDataGrid& grid);
// The analysis result of the page, for the kind and format it was computed with.
TExportTable AnalysisExport(const TAnalysis& analysis, const TAnalysisSettings& settings);
// A kinds list turned on its side: a column per kind, row k holding each kind's k-th name. Nothing
// when the list has no table.
std::optional<TExportTable> KindsExport(const TDataVidGrid& list);
