#include "ui/tmenuclass.h"

#include "ledger/tdatagrid.h"
#include "ledger/ttablesortert.h"
#include "output/templatelist.h"
#include "ui/thelpcommand.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

TMenuClass::TMenuClass(QMenuBar* bar, QObject* parent)
    : QObject(parent), m_file(bar->addMenu(QStringLiteral("Файл"))),
      m_actions(bar->addMenu(QStringLiteral("Действия"))),
      m_admin(bar->addMenu(QStringLiteral("Администрирование"))),
      m_sort(bar->addMenu(QStringLiteral("Сортировка"))), m_help(bar->addMenu(QStringLiteral("Помощь"))),
      m_templates(nullptr), m_filter(nullptr), m_sortGroup(new QActionGroup(this)) {
    bar->setObjectName(QStringLiteral("MyMenu"));
    Add(m_file, QStringLiteral("Калькулятор"), QStringLiteral("Calc"), QStringLiteral("F9"));
    m_file->addSeparator()->setObjectName(QStringLiteral("Separator"));
    Add(m_file, QStringLiteral("Выгрузить в электронную таблицу (Excel, OpenOffice и т.п.)"),
        QStringLiteral("ExcelMenu"));
    Add(m_file, QStringLiteral("Выгрузить в электронную таблицу как..."), QStringLiteral("ExcelMenu"));
    Add(m_file, QStringLiteral("Выгрузить в электронную таблицу (Excel, OpenOffice и т.п.)"),
        QStringLiteral("NewExcelMenu"), QStringLiteral("F8"));
    m_file->addSeparator();
    m_templates = m_file->addMenu(QStringLiteral("Шаблоны выгрузки и печати"));
    m_templates->menuAction()->setObjectName(QStringLiteral("ShablonMenu"));
    m_all << m_templates->menuAction();
    for (const TTemplateEntry& entry : TemplateEntries()) {
        if (entry.separatorBefore) m_templates->addSeparator();
        Add(m_templates, entry.caption, entry.item);
    }
    Add(m_templates, RestoreTemplatesCaption(), RestoreTemplatesItem());
    m_file->addSeparator();
    Add(m_file, QStringLiteral("Печать таблицы"), QStringLiteral("OldPrintMenu"), QStringLiteral("F11"));
    m_file->addSeparator();
    Add(m_file, QStringLiteral("Создать резервную копию баз пользователя"),
        QStringLiteral("CreateArhivMenu"));
    Add(m_file, QStringLiteral("Восстановить резервную копию"), QStringLiteral("OpenArhivMenu"));
    Add(m_file, QStringLiteral("Восстановить ежедневную резервную копию"),
        QStringLiteral("OpenDailyArhivMenu"));
    m_file->addSeparator();
    // Every member of the family can hand the computer over without ending the program.
    Add(m_file, QStringLiteral("Сменить пользователя"), QStringLiteral("NewUserMenu"));
    m_file->addSeparator();
    Add(m_file, QStringLiteral("Выход"), QStringLiteral("ExitMenu"), QStringLiteral("F10"));

    // Named after the step they take back or do again; the window keeps their texts.
    Add(m_actions, QStringLiteral("Отменить"), QStringLiteral("UndoMenu"), QStringLiteral("Ctrl+Z"));
    Add(m_actions, QStringLiteral("Повторить"), QStringLiteral("RedoMenu"), QStringLiteral("Ctrl+Y"))
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    m_actions->addSeparator();
    Add(m_actions, QStringLiteral("Изменить запись"), QStringLiteral("PravkaMenu"));
    Add(m_actions, QStringLiteral("Удалить"), QStringLiteral("DeleteMenu"));
    m_actions->addSeparator();
    Add(m_actions, QStringLiteral("Добавить вид расхода"), QStringLiteral("AddVidRashodMenu"));
    Add(m_actions, QStringLiteral("Удалить вид расхода"), QStringLiteral("DeleteVidRashodMenu"));
    Add(m_actions, QStringLiteral("Переименовать столбец"), QStringLiteral("RenameVidRashodMenu"));
    Add(m_actions, QStringLiteral("Базы пользователей"), QStringLiteral("BaseUserMenu"));
    Add(m_actions, QStringLiteral("Сменить пароль"), QStringLiteral("ParolUserMenu"));
    m_actions->addSeparator();
    m_filter = m_actions->addMenu(QStringLiteral("Фильтр"));
    m_filter->menuAction()->setObjectName(QStringLiteral("FilterMenu"));
    m_all << m_filter->menuAction();
    auto* periods = new QActionGroup(this);
    const char* const filterItems[][2] = {{"Нет", "FilterNoMenu"},
                                          {"Сегодня", "FilterMoneyMenu"},
                                          {"Текущая неделя", "FilterWeekMenu"},
                                          {"Последние 7 дней", "Filter7DayMenu"},
                                          {"Текущий месяц", "FilterMonthMenu"},
                                          {"Последний месяц", "Filter30DayMenu"},
                                          {"Настраиваемый", "FilterEveryMenu"}};
    for (const auto& item : filterItems) {
        QAction* a = Add(m_filter, QString::fromUtf8(item[0]), QString::fromLatin1(item[1]));
        a->setCheckable(true);
        periods->addAction(a);
    }
    Item(QStringLiteral("FilterNoMenu"))->setChecked(true);
    m_actions->addSeparator();
    Add(m_actions, QStringLiteral("Печать таблицы"), QStringLiteral("PrintMenu"))->setVisible(false);

    Add(m_admin, QStringLiteral("Очистить таблицы"), QStringLiteral("ClearBaseMenu"));
    Add(m_admin, QStringLiteral("Пересчитать суммы в кошельке"), QStringLiteral("ReCalculateMenu"))
        ->setVisible(false);
    // Shown: without it a running program has no way to let another member of the family in.
    Add(m_admin, QStringLiteral("Сменить пользователя"), QStringLiteral("NewUserMenu"));
    Add(m_admin, QStringLiteral("Где хранятся базы программы"), QStringLiteral("SettingMenu"));
    Add(m_admin, QStringLiteral("Оптимизация баз"), QStringLiteral("OptimizationBaseMenu"));
    Add(m_admin, QStringLiteral("Возможные неполадки"), QStringLiteral("ErrorAtributesBaseMenu"));

    Add(m_help, HelpItemCaption(), QStringLiteral("HMy"), QStringLiteral("F1"));
    Add(m_help, AboutItemCaption(), QStringLiteral("OP"));

    m_sortSeparator = m_sort->addSeparator();
    m_sortSeparator->setObjectName(QStringLiteral("MySeparator"));
    m_sortReturn = m_sort->addAction(QString());
    m_sortReturn->setObjectName(QStringLiteral("MyReturn"));
    m_sortReturn->setCheckable(true);
    connect(m_sortReturn, &QAction::triggered, this, [this] {
        const int column = SortMenuColumn(m_sortReturn->objectName(), m_sortState);
        // The item checks and unchecks itself on a click; the sort that follows says what it shows.
        m_sortReturn->setChecked(!m_sortState.Ascending);
        if (column >= 0) Q_EMIT SortChosen(column);
    });
    RebuildSortMenu(nullptr);
}

QAction* TMenuClass::Add(QMenu* menu, const QString& caption, const QString& name, const QString& shortcut) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(QKeySequence(shortcut));
    m_all << a;
    return a;
}

QAction* TMenuClass::Item(const QString& name) const {
    for (QAction* a : m_all)
        if (a->objectName() == name) return a;
    return nullptr;
}

QList<QAction*> TMenuClass::Items(const QString& name) const {
    QList<QAction*> out;
    for (QAction* a : m_all)
        if (a->objectName() == name) out << a;
    return out;
}

void TMenuClass::RebuildSortMenu(const TDataGrid* view) {
    m_sort->setEnabled(view != nullptr);
    m_sortState = view ? TSortState{view->SortColumn, view->SortAscending} : TSortState{};
    const std::vector<TSortMenuItem> items =
        view ? SortMenuItems(view->Captions, m_sortState) : std::vector<TSortMenuItem>{};
    int columns = 0;
    for (const TSortMenuItem& item : items) {
        if (!item.Radio) {
            if (item.Name == m_sortReturn->objectName()) {
                m_sortReturn->setText(item.Caption);
                m_sortReturn->setChecked(item.Checked);
            }
            continue;
        }
        if (columns == m_sortColumns.size()) {
            QAction* a = new QAction(m_sort);
            a->setCheckable(true);
            m_sortGroup->addAction(a);
            m_sort->insertAction(m_sortSeparator, a);
            connect(a, &QAction::triggered, this, [this, a] {
                const int column = SortMenuColumn(a->objectName(), m_sortState);
                if (column >= 0) Q_EMIT SortChosen(column);
            });
            m_sortColumns << a;
        }
        QAction* a = m_sortColumns[columns++];
        a->setObjectName(item.Name);
        a->setText(item.Caption);
        a->setChecked(item.Checked);
        a->setVisible(true);
    }
    for (int c = columns; c < m_sortColumns.size(); ++c) {
        m_sortColumns[c]->setChecked(false);
        m_sortColumns[c]->setVisible(false);
    }
    m_sortSeparator->setVisible(view != nullptr);
    m_sortReturn->setVisible(view != nullptr);
}
