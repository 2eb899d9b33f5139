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
class TSession;
enum class TEditorExit;

// Binds one table view to its descriptor: keys and clicks go to the ledger rules, editors open where
// the rules say, and the view follows the selection the rules set.
class TGridController : public QObject {
    Q_OBJECT
public:
    // Every change of the grid's table goes through the session's door, as one step of the history.
    TGridController(TSession& session, TCellEditors& editors, TDataGrid& grid, TLedgerGrid* view,
                    QObject* parent = nullptr);

    TDataGrid& Grid() const { return m_grid; }
    TLedgerGrid* View() const { return m_view; }
    TGridModel* Model() const { return m_model; }

    // Opens what the rules asked for at the descriptor's cell.
    void StartEdit(const TEditRequest& request);
    // Starts editing the current cell, as Enter does (the edit button, "Редактировать").
    void EditCurrent();
    // The view's selection, sort mark and rows from the descriptor.
    void Refresh();
    // The Delete key and the delete commands on a row: the question first, then the ledger rule as one
    // step; or the view's own.
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
    // `body` changes the books as the step `name`; the users are no books, and change as they always did.
    void Change(const QString& name, const std::function<void()>& body);
    // The new-record row put under the last record: no step of its own.
    void Prepare(const std::function<void()>& body);

    TSession& m_session;
    TMyType& m_state;
    TGeneralClass& m_general;
    TEditClass& m_edit;
    TCellEditors& m_editors;
    TDataGrid& m_grid;
    TLedgerGrid* m_view;
    TGridModel* m_model;
    // The open editor holds pasted text: its commit is a paste.
    bool m_pasted = false;
};
