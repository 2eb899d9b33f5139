#pragma once

#include "ledger/tgeneralclass.h"

#include <QObject>

#include <functional>

class TCellEditors;
class TDataGrid;
class TEditClass;
class TGridModel;
class TLedgerGrid;
class TMyType;
enum class TEditorExit;

// Binds one table view to its descriptor: keys and clicks go to the ledger rules, editors open where
// the rules say, and the view follows the selection the rules set.
class TGridController : public QObject {
    Q_OBJECT
public:
    TGridController(TMyType& state, TGeneralClass& general, TEditClass& edit, TCellEditors& editors,
                    TDataGrid& grid, TLedgerGrid* view, QObject* parent = nullptr);

    TDataGrid& Grid() const { return m_grid; }
    TLedgerGrid* View() const { return m_view; }
    TGridModel* Model() const { return m_model; }

    // Opens what the rules asked for at the descriptor's cell.
    void StartEdit(const TEditRequest& request);
    // Starts editing the current cell, as Enter does (the edit button, "Редактировать").
    void EditCurrent();
    // The view's selection, sort mark and rows from the descriptor.
    void Refresh();
    // The Delete key and the delete commands on a row: the ledger rule, or the view's own.
    void DeleteRow(int gridRow);
    // Set for a view whose rows are not records (the users): their own delete rule.
    std::function<void(int gridRow)> deleteRow;

Q_SIGNALS:
    // A kind or name column was entered: the page's kinds picker takes the focus.
    void PickerRequested(const TEditRequest& request);
    void BecameCurrent(TDataGrid* grid);
    void PopupRequested(int col, int gridRow, const QPoint& globalPos);
    void SelectionChangedByUser();
    // A caption click sorted the view.
    void Sorted();

private:
    void OnEditorDone(TEditorKind kind, const QString& text, const QDate& date, TEditorExit exit);
    void Paste();
    void Copy();

    TMyType& m_state;
    TGeneralClass& m_general;
    TEditClass& m_edit;
    TCellEditors& m_editors;
    TDataGrid& m_grid;
    TLedgerGrid* m_view;
    TGridModel* m_model;
};
