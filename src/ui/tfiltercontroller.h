#pragma once

#include "storage/tabledefs.h"

#include <QObject>

#include <functional>

class TAppContext;
class TFilterForm;
class TLowerPanel;
class TMenuClass;
class TTitleStrip;

// The radio group "Фильтр" and the menu "Фильтр" over the filter rules: a choice is applied to the
// table on show, the page title names it, both controls show it, and "Настраиваемый" opens the
// dialog "Фильтровать...".
class TFilterController : public QObject {
    Q_OBJECT
public:
    TFilterController(TAppContext& context, TLowerPanel* lower, TMenuClass* menu, TTitleStrip* title,
                      QObject* parent = nullptr);

    // The dialog, made once by the program (the controller makes its own when it was given none).
    void SetForm(TFilterForm* form) { m_form = form; }
    TFilterForm* Form();
    // The widget the dialog is centred over.
    std::function<QWidget*()> dialogOver;
    // Gives the grid of a table the keyboard.
    std::function<void(TTableKind)> focusGrid;
    // The search text is cleared (a new filter was chosen).
    std::function<void()> clearSearch;

    // A radio item or a menu item was chosen for the table on show.
    void Choose(int type);
    // The page of a table is shown again: its own choice is checked and applied again, and named in
    // the page title.
    void ShowFor(TTableKind kind);
    // Checks the radio item and the menu item of a type, without applying anything.
    void Check(int type);

private:
    TAppContext& m_context;
    TLowerPanel* m_lower;
    TMenuClass* m_menu;
    TTitleStrip* m_title;
    TFilterForm* m_form = nullptr;
    TFilterForm* m_ownForm = nullptr;
};
