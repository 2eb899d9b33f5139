#pragma once

#include "ui/tmainwindowparts.h"

#include <QObject>
#include <QPoint>

class TAppContext;
class TKindsListController;
class TKindsPicker;
class TQuorvaneForm;

// The kind commands of the Bases page ("Добавить вид расхода", "Удалить вид расхода", "Переименовать
// столбец") and the edit button's trip from a picker to the Bases page and back: a name chosen in a
// picker is opened there for editing (mode 2, the button reads "Принять"), and "Принять" returns to
// the ledger with the picker's cell selected again.
class TKindsCommands : public QObject {
    Q_OBJECT
public:
    TKindsCommands(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts);

    void AddKind();
    void DeleteKind();
    // The toolbar's rename works only while the expense kinds list has the keyboard; the popup's always.
    void RenameKind(bool fromToolbar);

    // The picker's selected name (or, with addName, the empty cell after its kind's last name) is
    // opened in the text editor on the Bases page.
    void EditFromPicker(TKindsPicker* picker, bool addName);
    // "Принять": the edit is committed and the window returns to the ledger page it came from.
    void Accept();
    bool Editing() const;
    QPoint Target() const { return m_target; }
    // A move in a Bases page list: leaving the target cell ends the kinds edit.
    void ListSelectionMoved(int listNumber, int col, int gridRow);

private:
    TKindsListController* ExpenseList() const;
    void EndEditMode();

    TQuorvaneForm& m_form;
    TAppContext& m_context;
    const TMainWindowParts m_parts;
    QPoint m_target{-1, -1};
    int m_targetList = -1;
    // Where "Принять" returns to.
    int m_returnSection = 0;
    int m_returnPlanTab = 0;
    int m_returnPicker = 0;
    int m_returnCol = 0;
    int m_returnRow = 1;
};
