#pragma once

#include <QString>

class TDataGrid;

// What the menu calls each step of the history («Отменить: <name>», «Повторить: <name>»). Every change made
// through the session's door is named by one of these.
namespace changename {

// A cell typed into or chosen, named by what the column holds: «ввод суммы», «ввод даты», «ввод текста»,
// «выбор вида», «выбор из списка».
QString Typing(const TDataGrid& grid, int col);
inline QString KindChosen() {
    return QStringLiteral("выбор вида");
}
inline QString Paste() {
    return QStringLiteral("вставка");
}
inline QString Deletion() {
    return QStringLiteral("удаление записи");
}
inline QString KindAdded() {
    return QStringLiteral("добавление вида");
}
inline QString KindDeleted() {
    return QStringLiteral("удаление вида");
}
inline QString KindRenamed() {
    return QStringLiteral("переименование вида");
}
inline QString NameAdded() {
    return QStringLiteral("добавление названия");
}
inline QString NameRenamed() {
    return QStringLiteral("переименование названия");
}
// A name of a kind (or an income name) typed on the Bases page, carried into the records that use it.
inline QString NameTyped() {
    return QStringLiteral("ввод названия");
}
inline QString NameDeleted() {
    return QStringLiteral("удаление названия");
}
inline QString BasePurseChosen() {
    return QStringLiteral("выбор базового кошелька");
}
inline QString TablesCleared() {
    return QStringLiteral("очистка таблиц");
}
inline QString Sorting() {
    return QStringLiteral("сортировка");
}
inline QString DatesOptimised() {
    return QStringLiteral("оптимизация дат");
}

} // namespace changename
