#include "ui/tkindslistcontroller.h"

#include "ledger/gridids.h"
#include "ledger/tdatagrid.h"
#include "ledger/teditclass.h"
#include "ledger/tkindslists.h"
#include "ledger/toperationswithnumbers.h"
#include "session/changenames.h"
#include "session/tsession.h"
#include "storage/tmessageboxclass.h"
#include "ui/tcelleditors.h"
#include "ui/tkindspicker.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>

TKindsListController::TKindsListController(TSession& session, TCellEditors& editors, TKindsListView* view,
                                           QObject* parent)
    : QObject(parent), m_session(session), m_edit(session.edit), m_editors(editors), m_lists(session.kinds),
      m_view(view), m_popup(new QMenu(view)) {
    m_popup->setObjectName(QStringLiteral("MyPopupMenu"));
    auto item = [this](const char* caption, const char* name) {
        QAction* a = m_popup->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    m_delete = item("Удалить строку", "DelRow");
    m_pravka = item("Редактировать", "Pravka");
    m_addKind = item("Добавить вид расхода", "AddVidRashod");
    m_deleteKind = item("Удалить вид расхода", "DelVidRashod");
    m_renameKind = item("Переименовать столбец", "RenameCol");
    connect(m_delete, &QAction::triggered, this, &TKindsListController::DeleteCurrent);
    connect(m_pravka, &QAction::triggered, this, &TKindsListController::EditCurrent);
    connect(m_addKind, &QAction::triggered, this, &TKindsListController::AddKindRequested);
    connect(m_deleteKind, &QAction::triggered, this, &TKindsListController::DeleteKindRequested);
    connect(m_renameKind, &QAction::triggered, this, &TKindsListController::RenameKindRequested);

    connect(m_view, &TLedgerGrid::EditRequested, this, [this](int col, int row, QChar key, TEditStart start) {
        Select(col, row);
        OpenEditor(col, row, key, start);
    });
    connect(m_view, &TLedgerGrid::DeleteRequested, this, [this] { DeleteCurrent(); });
    connect(m_view, &TLedgerGrid::CopyRequested, this, [this] {
        const QString name = TGeneralClass::KindsCellText(List(), List().col, List().row);
        if (!name.isEmpty()) QApplication::clipboard()->setText(name);
    });
    connect(m_view, &TLedgerGrid::PasteRequested, this, [this] {
        OpenEditor(List().col, List().row, QChar(), TEditStart::Enter, QApplication::clipboard()->text());
    });
    connect(m_view, &TLedgerGrid::CaptionClicked, this, &TKindsListController::SortKind);
    connect(m_view, &TLedgerGrid::PopupRequested, this, &TKindsListController::ShowPopup);
    connect(m_view, &TLedgerGrid::MovedByUser, this, [this](int col, int row) {
        List().col = col;
        List().row = row;
        Q_EMIT SelectionMoved(col, row);
    });
    connect(m_view, &TLedgerGrid::WheelTurned, this, [this] {
        if (m_editors.View() == m_view) m_editors.CloseAndCommit();
        m_view->setFocus();
    });
    connect(&m_editors, &TCellEditors::Done, this,
            [this](TEditorKind kind, const QString& text, const QDate&, TEditorExit exit) {
                if (m_editors.View() == m_view) OnEditorDone(kind, text, exit);
            });
}

TDataVidGrid& TKindsListController::List() const {
    return m_view->List();
}

void TKindsListController::Select(int col, int gridRow) {
    List().col = col;
    List().row = gridRow;
    m_view->ShowCell(col, gridRow);
}

bool TKindsListController::OpenEditor(int col, int gridRow, QChar firstKey, TEditStart start,
                                      const std::optional<QString>& text) {
    // Names stay without gaps: only a name or the cell just below a kind's last name takes a new one.
    if (!m_lists.MayEdit(List(), col, gridRow)) return false;
    Select(col, gridRow);
    m_view->setFocus();
    const QString stored = TGeneralClass::KindsCellText(List(), col, gridRow);
    TEditRequest request;
    request.kind = TEditorKind::Text;
    request.col = col;
    request.row = gridRow;
    SetEditorOpening(request, text.value_or(stored), firstKey, start);
    m_editors.Open(m_view, request, stored);
    return true;
}

void TKindsListController::EditCurrent() {
    OpenEditor(List().col, std::max(1, List().row), QChar(), TEditStart::Enter);
}

void TKindsListController::DeleteCurrent() {
    m_editors.CloseAndCommit();
    TDataVidGrid& list = List();
    const int col = list.col, row = list.row;
    // Asked before the change, so that the step itself asks nothing; a name that is not there, or a base
    // open read-only, is refused by the rule without a question.
    const QStringList question = m_lists.NameDeletionQuestion(list, col, row);
    if (!question.isEmpty() && !Messages().AskYesNo(question, TMsgButton::Yes)) return;
    m_session.Change(changename::NameDeleted(),
                     [&] { m_lists.DeleteName(list, col, row, question.isEmpty()); });
    m_view->setFocus();
}

void TKindsListController::OnEditorDone(TEditorKind kind, const QString& text, TEditorExit exit) {
    if (kind != TEditorKind::Text || m_edit.tabSwitching) return;
    const int col = m_editors.Col();
    const int row = m_editors.Row();
    // A name typed over another renames it (the records that named it follow); into an empty cell, adds.
    const bool renaming = !TGeneralClass::KindsCellText(List(), col, row).isEmpty();
    TNameCommit commit;
    m_session.Change(renaming ? changename::NameRenamed() : changename::NameAdded(),
                     [&] { commit = m_lists.CommitName(List(), col, row, text); });
    if (commit.selectRow > 0) {
        Select(col, commit.selectRow);
        m_view->setFocus();
        Q_EMIT SelectionMoved(col, commit.selectRow);
        return;
    }
    int moveCol = col;
    int moveRow = row;
    switch (exit) {
    case TEditorExit::Enter:
        // Not while the name is the target of an edit from a picker: "Принять" takes it back there.
        if (commit.added && m_edit.editMode != 2)
            moveRow = std::min(row + 1, std::max(1, m_view->model()->rowCount()));
        break;
    case TEditorExit::Up:
    case TEditorExit::Down:
        if (CheckFormula(text))
            moveRow = std::clamp(row + (exit == TEditorExit::Up ? -1 : 1), 1,
                                 std::max(1, m_view->model()->rowCount()));
        break;
    case TEditorExit::Left:
    case TEditorExit::Right:
        moveCol = std::clamp(col + (exit == TEditorExit::Left ? -1 : 1), 0,
                             std::max(0, m_view->model()->columnCount() - 1));
        break;
    default:
        break;
    }
    Select(moveCol, moveRow);
    if (moveCol != col || moveRow != row) Q_EMIT SelectionMoved(moveCol, moveRow);
    if (exit != TEditorExit::FocusOut) m_view->setFocus();
}

void TKindsListController::SortKind(int col) {
    m_editors.CloseAndCommit();
    TDataVidGrid& list = List();
    bool sorted = false;
    m_session.Change(changename::Sorting(), [&] { sorted = m_lists.SortKind(list, col); });
    if (!sorted) return;
    if (m_lists.listChanged)
        m_lists.listChanged(list);
    else
        m_view->Reload();
}

void TKindsListController::ShowPopup(int col, int gridRow, const QPoint& globalPos) {
    const bool rashod = m_view->GridId() == gridid::BaseRashod;
    const bool dataRow = gridRow >= 1;
    const bool kinds = rashod && !dataRow;
    if (kinds)
        m_lists.kindColumn = col;
    else
        Select(col, gridRow);
    m_delete->setText(rashod ? QStringLiteral("Удалить ячейку") : QStringLiteral("Удалить строку"));
    m_delete->setVisible(dataRow);
    m_pravka->setVisible(dataRow);
    m_addKind->setVisible(kinds);
    m_deleteKind->setVisible(kinds);
    m_renameKind->setVisible(kinds);
    if (dataRow || kinds) m_popup->popup(globalPos);
}
