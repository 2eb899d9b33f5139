#pragma once

#include "ui/tmainwindowparts.h"

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class TAnalysisPage;
class TAppContext;
class TQuorvaneForm;
class TSpreadsheetExport;

// "Выгрузить в электронную таблицу": F8 hands the table on show to the export tool; the two export
// items of "Файл" do the same on the ledger pages and the analysis page only, the second asking first
// where the spreadsheet goes.
class TExportCommands : public QObject {
    Q_OBJECT
public:
    TExportCommands(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts,
                    TAnalysisPage& analysis);
    ~TExportCommands() override;

    // F8 also takes the grid of the tab on show on the Bases page.
    void Export(bool withBases);
    // "Выгрузить в электронную таблицу как...".
    void ExportAs();

    TSpreadsheetExport& Exporter() const { return *m_export; }
    QLabel* WaitPanel() const { return m_wait; }

    // The save dialog; tests answer it here. The chosen path, or empty when the dialog was closed.
    std::function<QString()> chooseFile;

private:
    // Something to export on the page on show.
    bool HasTable(bool withBases) const;
    void SetBusy(bool busy);

    TQuorvaneForm& m_form;
    TAppContext& m_context;
    const TMainWindowParts& m_parts;
    TAnalysisPage& m_analysis;
    TSpreadsheetExport* m_export;
    QLabel* m_wait;
};
