#pragma once

#include "ledger/tgeneralclass.h"
#include "ledger/tkindspick.h"
#include "ui/tledgergrid.h"

#include <QFrame>
#include <QPointer>
#include <QTableView>
#include <QTimer>

#include <functional>

class QLabel;
class QMenu;
class TDataGrid;
class TDataVidGrid;
class TEditClass;
class TKindsModel;
class TMyType;

// The note "Редактирование производится на странице "Базы"" a picker shows at its cell when a paste
// is tried: names are edited on the Bases page only. One note serves every picker of the window.
class TBasesNotice : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShowMs = 3000;
    static QString NoticeText();

    explicit TBasesNotice(QWidget* window);
    // Shows the note with its left edge at `at` and its top 14 pixels above it (window coordinates).
    void ShowAt(QPoint at);
    void HideNow();
    QString Text() const;
    const QTimer& Timer() const { return m_timer; }

private:
    QLabel* m_label;
    QTimer m_timer;
};

// A kinds picker under a ledger: a read-only view of a kinds list from which the kind and name of
// a record are taken by Enter, a double-click or by dragging the name onto the ledger. Typing finds a
// name by its first letters; a caption click sorts the kind's names.
class TSession;

class TKindsPicker : public QTableView {
    Q_OBJECT
public:
    // A name picked into a record, and a kind's names sorted, are changes through the session's door.
    TKindsPicker(TSession& session, TDataVidGrid& list, int gridId, QWidget* parent = nullptr);

    int GridId() const { return m_gridId; }
    TKindsModel* Model() const { return m_model; }
    TDataVidGrid& List() const { return m_list; }
    // The ledger the picker writes into: the current view of the page.
    std::function<TDataGrid*()> currentLedger;
    // The ledger's view, onto which a name is dropped.
    std::function<QWidget*()> ledgerView;
    // Selects the kind and name a ledger cell asked for (-1 leaves the selection).
    void SelectFor(const TEditRequest& request);
    // Selects a cell (grid row from 1) as the program, not the user, moves it.
    void SelectCell(int col, int gridRow);
    // The list changed: the view re-reads it and keeps its cell.
    void Reload();

    // The selected cell: its column and grid row (0 when none), the kind's and the name's text.
    int SelectedColumn() const;
    int SelectedRow() const;
    QString SelectedKind() const;
    QString SelectedName() const;

    const TKindSearch& Search() const { return m_search; }
    QMenu* PopupMenu() const { return m_popup; }
    // The floating label that follows the pointer while a name is dragged (null before the first drag).
    QWidget* DragLabel() const { return m_dragLabel; }
    bool Dragging() const { return m_dragging; }
    // The window's note about editing on the Bases page, made at its first use.
    static TBasesNotice* Notice(QWidget* window);
    // The height of the row cut off at the bottom when the names do not all fit; 0 when they do or
    // when the last row on show is whole.
    int PartRowHeight() const;

Q_SIGNALS:
    // A pick was applied: the ledger opens this editor on the row's sum.
    void Picked(const TEditRequest& request);
    void EscapePressed();
    void FocusEntered();
    // The search text to show in the window's search label; empty: the label is hidden.
    void SearchLabelChanged(const QString& text);
    // The kind's names were sorted and the list written: every view of the list redraws.
    void KindsSorted();
    // The popup's "Добавить запись" and "Изменить запись": the name goes to the Bases page.
    void AddNameRequested();
    void EditNameRequested();
    void Resized();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void Pick(TPickTrigger trigger);
    TDataGrid* Ledger() const;
    bool TakesKeys() const;
    void SearchKey(QChar key);
    void ClearSearch();
    void SortKind(int column);
    void ShowNotice();
    void StartDrag(QPoint pointer);
    void MoveDragLabel(QPoint pointer);
    void EndDrag(QPoint pointer);

    TSession& m_session;
    TMyType& m_state;
    TGeneralClass& m_general;
    TEditClass& m_edit;
    TDataVidGrid& m_list;
    int m_gridId;
    TKindsModel* m_model;
    TCaptionHeader* m_header;
    QMenu* m_popup;
    TKindSearch m_search;
    bool m_programMove = false;
    // The cell under the last press (-1 outside the cells) and what was taken there.
    int m_pressCol = -1;
    int m_pressRow = -1;
    QString m_pressKind;
    QString m_pressName;
    bool m_buttonHeld = false;
    bool m_dragging = false;
    QPoint m_reference;
    QPointer<QFrame> m_dragLabel;
};

// A kinds list on the Bases page, where its names are edited in place. Its keys and clicks are those
// of a table view of the program; its controller decides what they do.
class TKindsListView : public TLedgerGrid {
    Q_OBJECT
public:
    TKindsListView(TMyType& state, TDataVidGrid& list, int gridId, QWidget* parent = nullptr);
    TKindsModel* Model() const { return m_model; }
    TDataVidGrid& List() const { return m_list; }
    int GridId() const { return m_gridId; }
    // The list changed: the view re-reads it, keeps its cell and shows the sort mark.
    void Reload();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TMyType& m_state;
    TDataVidGrid& m_list;
    int m_gridId;
    TKindsModel* m_model;
};
