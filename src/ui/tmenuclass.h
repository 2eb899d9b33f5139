#pragma once

#include "ledger/ttablesortert.h"

#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class TDataGrid;

// The main menu of the main window: every item with its caption, name and shortcut. Commands are
// connected by the window; items whose commands are not there yet do nothing.
class TMenuClass : public QObject {
    Q_OBJECT
public:
    explicit TMenuClass(QMenuBar* bar, QObject* parent = nullptr);

    // The first item of that name (several export items share one).
    QAction* Item(const QString& name) const;
    QList<QAction*> Items(const QString& name) const;
    QMenu* FileMenu() const { return m_file; }
    // "Шаблоны выгрузки и печати" on "Файл".
    QMenu* TemplatesMenu() const { return m_templates; }
    QMenu* ActionsMenu() const { return m_actions; }
    QMenu* AdminMenu() const { return m_admin; }
    QMenu* SortMenu() const { return m_sort; }
    QMenu* HelpMenu() const { return m_help; }
    QMenu* FilterMenu() const { return m_filter; }

    // Rebuilds "Сортировка" for the view (nullptr: the menu is disabled). Its items are kept and only
    // relabelled, checked, shown or hidden: a sort chosen from the menu rebuilds it while the menu is
    // still busy with the chosen item.
    void RebuildSortMenu(const TDataGrid* view);

Q_SIGNALS:
    // A "Сортировка" item was chosen: sort the current view by this column.
    void SortChosen(int column);

private:
    QAction* Add(QMenu* menu, const QString& caption, const QString& name,
                 const QString& shortcut = QString());

    QMenu* m_file;
    QMenu* m_actions;
    QMenu* m_admin;
    QMenu* m_sort;
    QMenu* m_help;
    QMenu* m_templates;
    QMenu* m_filter;
    QList<QAction*> m_all;
    // "Сортировка": one item per column made so far (the unused ones hidden), the separator and
    // "В обратном порядке", and the sort state they were last set from.
    QList<QAction*> m_sortColumns;
    QAction* m_sortSeparator;
    QAction* m_sortReturn;
    QActionGroup* m_sortGroup;
    TSortState m_sortState;
};
