#include "ui/tmenuclass.h"

#include "ledger/tdatagrid.h"
#include "ledger/ttablesortert.h"
#include "ui/thelpcommand.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

TMenuClass::TMenuClass(QMenuBar* bar, QObject* parent)
    : QObject(parent), m_file(bar->addMenu(QStringLiteral("Файл"))), m_actions(bar->addMenu(QStringLiteral("Действия"))),
      m_admin(bar->addMenu(QStringLiteral("Администрирование"))), m_sort(bar->addMenu(QStringLiteral("Сортировка"))),
      m_help(bar->addMenu(QStringLiteral("Помощь"))), m_filter(nullptr) {
    bar->setObjectName(QStringLiteral("MyMenu"));
    Add(m_file, QStringLiteral("Калькулятор"), QStringLiteral("Calc"), QStringLiteral("F9"));
    m_file->addSeparator()->setObjectName(QStringLiteral("Separator"));
    Add(m_file, QStringLiteral("Выгрузить в электронную таблицу (Excel, OpenOffice и т.п.)"), QStringLiteral("ExcelMenu"));
    Add(m_file, QStringLiteral("Выгрузить в электронную таблицу как..."), QStringLiteral("ExcelMenu"));
    Add(m_file, QStringLiteral("Выгрузить в электронную таблицу (Excel, OpenOffice и т.п.)"), QStringLiteral("NewExcelMenu"),
        QStringLiteral("F8"));
    m_file->addSeparator();
    m_file->addSeparator();
    Add(m_file, QStringLiteral("Печать таблицы"), QStringLiteral("OldPrintMenu"), QStringLiteral("F11"));
    m_file->addSeparator();
    Add(m_file, QStringLiteral("Создать резервную копию баз пользователя"), QStringLiteral("CreateArhivMenu"));
    Add(m_file, QStringLiteral("Восстановить резервную копию"), QStringLiteral("OpenArhivMenu"));
    Add(m_file, QStringLiteral("Восстановить ежедневную резервную копию"), QStringLiteral("OpenDailyArhivMenu"));
    m_file->addSeparator();
    // Every member of the family can hand the computer over without ending the program.
    Add(m_file, QStringLiteral("Сменить пользователя"), QStringLiteral("NewUserMenu"));
    m_file->addSeparator();
    Add(m_file, QStringLiteral("Выход"), QStringLiteral("ExitMenu"), QStringLiteral("F10"));

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
    Add(m_admin, QStringLiteral("Пересчитать суммы в кошельке"), QStringLiteral("ReCalculateMenu"))->setVisible(false);
    // Shown: without it a running program has no way to let another member of the family in.
    Add(m_admin, QStringLiteral("Сменить пользователя"), QStringLiteral("NewUserMenu"));
    Add(m_admin, QStringLiteral("Где хранятся базы программы"), QStringLiteral("SettingMenu"));
    Add(m_admin, QStringLiteral("Оптимизация баз"), QStringLiteral("OptimizationBaseMenu"));
    Add(m_admin, QStringLiteral("Возможные неполадки"), QStringLiteral("ErrorAtributesBaseMenu"));

    Add(m_help, HelpItemCaption(), QStringLiteral("HMy"), QStringLiteral("F1"));
    Add(m_help, AboutItemCaption(), QStringLiteral("OP"));
}

QAction* TMenuClass::Add(QMenu* menu, const QString& caption, const QString& name, const QString& shortcut) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty())
        a->setShortcut(QKeySequence(shortcut));
    m_all << a;
    return a;
}

QAction* TMenuClass::Item(const QString& name) const {
    for (QAction* a : m_all)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

QList<QAction*> TMenuClass::Items(const QString& name) const {
    QList<QAction*> out;
    for (QAction* a : m_all)
        if (a->objectName() == name)
            out << a;
    return out;
}

void TMenuClass::RebuildSortMenu(const TDataGrid* view) {
    m_sort->clear();
    m_sort->setEnabled(view != nullptr);
    if (!view)
        return;
    const TSortState state{view->SortColumn, view->SortAscending};
    auto* group = new QActionGroup(m_sort);
    for (const TSortMenuItem& item : SortMenuItems(view->Captions, state)) {
        if (item.Name == QLatin1String("MySeparator")) {
            m_sort->addSeparator()->setObjectName(item.Name);
            continue;
        }
        QAction* a = m_sort->addAction(item.Caption);
        a->setObjectName(item.Name);
        a->setCheckable(true);
        a->setChecked(item.Checked);
        if (item.Radio)
            group->addAction(a);
        connect(a, &QAction::triggered, this, [this, name = item.Name, state] {
            const int column = SortMenuColumn(name, state);
            if (column >= 0)
                Q_EMIT SortChosen(column);
        });
    }
}
