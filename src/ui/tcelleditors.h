#pragma once

#include "ledger/tgeneralclass.h"
#include "ledger/toperationswithnumbers.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QObject>
#include <QPointer>

#include "ui/tcelldateedit.h"
#include "ui/tledgergrid.h"

class QKeyEvent;

class QComboBox;
class QDateEdit;
class QLineEdit;

// How an editor was left: the key that closed it, or the focus going elsewhere.
enum class TEditorExit { Enter, Escape, FocusOut, Up, Down, Left, Right };

// The in-place editors, one of each, placed over the cell being edited and borderless. They only
// collect the text; what is stored is the commit's business, reported through Done.
class TCellEditors : public QObject {
    Q_OBJECT
public:
    explicit TCellEditors(QObject* parent = nullptr);
    ~TCellEditors() override;

    // Opens the editor the request names over the cell of the view; the stored text is what Esc
    // restores.
    void Open(TLedgerGrid* view, const TEditRequest& request, const QString& storedText);
    // Closes the open editor the way leaving it does (a commit follows); nothing when none is open.
    void CloseAndCommit();
    bool IsOpen() const { return m_kind != TEditorKind::None; }
    // Takes the editors out of the grid they were last opened over, without a commit: the grid is
    // about to go, and the editors must not go with it (they are the program's, used again).
    void Detach();
    TEditorKind Kind() const { return m_kind; }
    TLedgerGrid* View() const { return m_view; }
    int Col() const { return m_col; }
    int Row() const { return m_row; }
    QString Text() const;
    QDate Date() const;

    QLineEdit* LineEditor() const { return m_line; }
    QComboBox* ChoiceEditor() const { return m_choice; }
    QDateEdit* DateEditor() const { return m_date; }

Q_SIGNALS:
    // The editor closed; the view has the focus back unless another editor opens.
    void Done(TEditorKind kind, const QString& text, const QDate& date, TEditorExit exit);
    // A key went into the text or number editor.
    void KeyTyped();
    // An editor opened over a cell.
    void Opened();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Finish(TEditorExit exit);
    // The parts of the event filter: true when the event was taken.
    bool FilterFocusOut(QObject* watched);
    bool FilterMoveKey(QObject* watched, QKeyEvent* key, bool& taken);
    bool FilterNumberKey(QObject* watched, QEvent* event, QKeyEvent* key, bool& taken);
    QWidget* Current() const;
    void FitDateWidth(int viewportWidth);

    // The editors live in the grid they were last opened over, which may be gone first at exit.
    QPointer<QLineEdit> m_line;
    QPointer<QComboBox> m_choice;
    QPointer<TCellDateEdit> m_date;
    TEditorKind m_kind = TEditorKind::None;
    QPointer<TLedgerGrid> m_view;
    int m_col = -1;
    int m_row = -1;
    QString m_stored;
    bool m_closing = false;
    int m_session = 0; // counts the editors opened, so that a late call can tell its editor is gone
    TOperationsWithNumbers m_numbers;
};
