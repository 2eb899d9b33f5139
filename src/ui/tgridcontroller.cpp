#include "ui/tgridcontroller.h"

#include "ledger/clipboardcells.h"
#include "ledger/tdatereader.h"
#include "ledger/teditclass.h"
#include "ledger/tgridmodel.h"
#include "ledger/tmytype.h"
#include "money/debtediting.h"
#include "session/changenames.h"
#include "session/tsession.h"
#include "storage/tmessageboxclass.h"
#include "ui/tcelleditors.h"
#include "ui/tledgergrid.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

TGridController::TGridController(TSession& session, TCellEditors& editors, TDataGrid& grid, TLedgerGrid* view,
                                 QObject* parent)
    : QObject(parent), m_session(session), m_state(session.state), m_general(session.general),
      m_edit(session.edit), m_editors(editors), m_grid(grid), m_view(view),
      m_model(new TGridModel(grid, session.general, this)) {
    m_view->setModel(m_model);
    connect(m_model, &TGridModel::SelectionMoved, this,
            [this](int col, int row) { m_view->ShowCell(col, row); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_view->Captions()->SetSortMark(TGeneralClass::IsSortable(m_grid) ? m_grid.SortColumn : -1,
                                        m_grid.SortAscending);
    });
    connect(m_view, &TLedgerGrid::MovedByUser, this, [this](int col, int row) {
        m_grid.col = col;
        m_grid.row = row;
        Q_EMIT SelectionChangedByUser();
    });
    connect(m_view, &TLedgerGrid::EditRequested, this, [this](int col, int row, QChar key, TEditStart start) {
        m_grid.col = col;
        m_grid.row = row;
        if (DebtCellStartsNoEdit(m_grid, col, key)) return;
        StartEdit(m_general.BeginEdit(m_grid, col, row, key, start));
    });
    connect(m_view, &TLedgerGrid::DeleteRequested, this, [this](int row) {
        m_editors.CloseAndCommit();
        DeleteRow(row);
        m_view->setFocus();
    });
    connect(m_view, &TLedgerGrid::DownOnLastRow, this, [this] {
        Prepare([this] { m_general.EnsureNewRow(m_grid); });
        if (m_grid.row + 1 < m_grid.GridRowCount()) {
            ++m_grid.row;
            m_grid.NotifySelection();
        }
    });
    connect(m_view, &TLedgerGrid::CaptionClicked, this, [this](int col) {
        m_editors.CloseAndCommit();
        Change(changename::Sorting(), [this, col] { m_general.SortByColumn(m_grid, col); });
        Refresh();
        Q_EMIT Sorted();
    });
    connect(m_view, &TLedgerGrid::CopyRequested, this, &TGridController::Copy);
    connect(m_view, &TLedgerGrid::PasteRequested, this, &TGridController::Paste);
    connect(m_view, &TLedgerGrid::PopupRequested, this, &TGridController::PopupRequested);
    connect(m_view, &TLedgerGrid::FocusEntered, this, [this] {
        m_state.current = &m_grid;
        m_edit.editMode = 0;
        Q_EMIT BecameCurrent(&m_grid);
    });
    connect(m_view, &TLedgerGrid::WheelTurned, this, [this] {
        if (m_editors.View() == m_view) m_editors.CloseAndCommit();
        m_view->setFocus();
    });
    connect(&m_editors, &TCellEditors::Done, this,
            [this](TEditorKind kind, const QString& text, const QDate& date, TEditorExit exit) {
                if (m_editors.View() == m_view) OnEditorDone(kind, text, date, exit);
            });
    connect(&m_editors, &TCellEditors::KeyTyped, this, [this] {
        if (m_editors.View() == m_view) Prepare([this] { m_general.EnsureNewRow(m_grid); });
    });
    Refresh();
}

void TGridController::Refresh() {
    m_model->Rebind();
    m_view->Captions()->SetSortMark(TGeneralClass::IsSortable(m_grid) ? m_grid.SortColumn : -1,
                                    m_grid.SortAscending);
    m_view->ShowCell(m_grid.col, m_grid.row);
}

void TGridController::Change(const QString& name, const std::function<void()>& body) {
    if (m_grid.kind == TTableKind::User)
        body();
    else
        m_session.Change(name, body);
}

void TGridController::Prepare(const std::function<void()>& body) {
    if (m_grid.kind == TTableKind::User)
        body();
    else
        m_session.Prepare(body);
}

void TGridController::DeleteRow(int gridRow) {
    if (deleteRow) {
        deleteRow(gridRow);
        return;
    }
    // Asked before the change, so that the step itself asks nothing.
    const std::vector<QStringList> questions = m_general.DeletionQuestions(m_grid, gridRow);
    for (const QStringList& question : questions)
        if (!Messages().AskYesNo(question, TMsgButton::Yes)) return;
    Change(changename::Deletion(), [&] { m_general.DeleteLedgerRow(m_grid, gridRow, questions.empty()); });
}

void TGridController::EditCurrent() {
    m_edit.pickIntoCurrentRow = true;
    StartEdit(m_general.BeginEdit(m_grid, m_grid.col, m_grid.row, QChar(), TEditStart::Enter));
}

void TGridController::StartEdit(const TEditRequest& request) {
    m_pasted = false;
    switch (request.kind) {
    case TEditorKind::None:
    case TEditorKind::User:
        m_view->ShowCell(m_grid.col, m_grid.row);
        m_view->setFocus();
        return;
    case TEditorKind::Picker:
        Q_EMIT PickerRequested(request);
        return;
    default:
        break;
    }
    m_grid.col = request.col;
    m_grid.row = request.row;
    m_view->ShowCell(request.col, request.row);
    m_view->setFocus();
    const TTableRow* row = m_grid.RowAt(request.row);
    m_editors.Open(m_view, request, row ? row->Cell(request.col) : QString());
}

void TGridController::OnEditorDone(TEditorKind kind, const QString& text, const QDate& date,
                                   TEditorExit exit) {
    const int col = m_editors.Col();
    const int row = m_editors.Row();
    const QString name = m_pasted ? changename::Paste() : changename::Typing(m_grid, col);
    m_pasted = false;
    TCommitResult result;
    Change(name, [&] {
        if (kind == TEditorKind::Text || kind == TEditorKind::Number)
            result = m_edit.CommitText(m_grid, col, row, kind, text);
        else if (kind == TEditorKind::Choice && exit != TEditorExit::Escape)
            // Escape leaves the cell as it was: committing its old value again is not neutral (a
            // transfer's purse chosen again takes the purse's rate over the one typed into the row).
            result = m_edit.CommitChoice(m_grid, col, row, text);
        else if (kind == TEditorKind::Date && !(exit == TEditorExit::Escape && !ReadTypedDate(text)))
            // Esc over a date that cannot be read leaves the cell as it was.
            result = m_edit.CommitDate(m_grid, col, row, text);
    });
    if (result.reopen) {
        TEditRequest again;
        again.kind = result.reopenKind == TEditorKind::None ? TEditorKind::Number : result.reopenKind;
        again.col = col;
        again.row = row;
        if (again.kind == TEditorKind::Date) {
            again.date = date;
            again.text = result.reopenText;
        } else {
            SetEditorOpening(again, result.reopenText, QChar(), TEditStart::Enter);
        }
        m_edit.continueFlag = true;
        StartEdit(again);
        return;
    }
    if (result.selectRow > 0) {
        m_grid.row = result.selectRow;
        m_grid.NotifySelection();
        m_view->setFocus();
        return;
    }
    switch (exit) {
    case TEditorExit::Enter: {
        TEditRequest next;
        Prepare([&] {
            if (kind == TEditorKind::Choice)
                next = m_edit.AfterChoiceEnter(m_grid);
            else if (kind == TEditorKind::Date)
                next = m_edit.AfterDateEnter(m_grid);
            else
                next = m_edit.AfterEnter(m_grid);
        });
        StartEdit(next);
        return;
    }
    case TEditorExit::Up:
    case TEditorExit::Down:
        Prepare([&] { m_edit.MoveAfterArrow(m_grid, exit == TEditorExit::Up ? -1 : 1, text); });
        break;
    case TEditorExit::Left:
    case TEditorExit::Right:
        m_grid.col =
            std::clamp(m_grid.col + (exit == TEditorExit::Left ? -1 : 1), 0, m_grid.ColumnCount() - 1);
        m_grid.NotifySelection();
        break;
    default:
        break;
    }
    m_view->ShowCell(m_grid.col, m_grid.row);
    if (exit != TEditorExit::FocusOut) m_view->setFocus();
}

void TGridController::Copy() {
    const TTableRow* row = m_grid.RowAt(m_grid.row);
    if (row && IsClipboardColumn(m_grid, m_grid.col))
        QApplication::clipboard()->setText(row->Cell(m_grid.col));
}

void TGridController::Paste() {
    const int col = m_grid.col;
    if (!IsClipboardColumn(m_grid, col)) return;
    const QString clip = QApplication::clipboard()->text();
    TEditRequest req = m_general.BeginEdit(m_grid, col, m_grid.row, QChar(), TEditStart::Enter);
    if (req.kind != TEditorKind::Number && req.kind != TEditorKind::Text) return;
    SetEditorOpening(req, PastedCellText(m_grid, col, clip), QChar(), TEditStart::Enter);
    StartEdit(req);
    m_pasted = m_editors.View() == m_view;
}
