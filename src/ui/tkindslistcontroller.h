#pragma once

#include "ledger/tgeneralclass.h"

#include <QObject>
#include <QPoint>

#include <optional>

class QAction;
class QMenu;
class TCellEditors;
class TDataVidGrid;
class TEditClass;
class TKindsLists;
class TKindsListView;
class TSession;
enum class TEditorExit;

// Binds a kinds list of the Bases page to the list rules: names are typed, pasted, deleted and sorted
// here, through the shared text editor, and the popup menu offers the kind commands on the captions
// of the expense kinds.
class TKindsListController : public QObject {
    Q_OBJECT
public:
    // Every change of a list goes through the session's door, as one step of the history.
    TKindsListController(TSession& session, TCellEditors& editors, TKindsListView* view,
                         QObject* parent = nullptr);

    TKindsListView* View() const { return m_view; }
    TDataVidGrid& List() const;
    QMenu* PopupMenu() const { return m_popup; }

    // Opens the text editor on a cell (grid row from 1) as the edit was started, on the cell's name or
    // on `text` (a paste); nothing opens on an empty cell that is not directly below the kind's last
    // name. True when the editor opened.
    bool OpenEditor(int col, int gridRow, QChar firstKey, TEditStart start,
                    const std::optional<QString>& text = std::nullopt);
    // The current cell's name in the editor, all selected (Enter, the edit button, "Редактировать").
    void EditCurrent();
    // Delete, "Удалить строку": the current name, after asking.
    void DeleteCurrent();
    // Selects a cell as the program moves it (no move by the user).
    void Select(int col, int gridRow);

Q_SIGNALS:
    // The selection moved, by the user or by a refused name: the edit button's target is checked.
    void SelectionMoved(int col, int gridRow);
    // The popup's kind commands; the clicked caption is already the column of the kind commands.
    void AddKindRequested();
    void DeleteKindRequested();
    void RenameKindRequested();

private:
    void OnEditorDone(TEditorKind kind, const QString& text, TEditorExit exit);
    void ShowPopup(int col, int gridRow, const QPoint& globalPos);
    void SortKind(int col);

    TSession& m_session;
    TEditClass& m_edit;
    TCellEditors& m_editors;
    TKindsLists& m_lists;
    TKindsListView* m_view;
    QMenu* m_popup;
    QAction* m_delete;
    QAction* m_pravka;
    QAction* m_addKind;
    QAction* m_deleteKind;
    QAction* m_renameKind;
};
