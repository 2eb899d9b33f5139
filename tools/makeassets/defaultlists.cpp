#include "defaultlists.h"

#include "storage/tmemtable.h"

#include <QStringList>

namespace {

// One row per expense kind: the kind, then the names of that kind.
const char* const kExpenses[][12] = {
    {"Продукты", "Хлеб", "Молоко", "Мясо", "Рыба", "Овощи", "Фрукты", "Крупы", "Сладости", "Напитки",
     nullptr},
    {"Коммунальные платежи", "Квартплата", "Электричество", "Вода", "Газ", "Отопление", "Вывоз мусора",
     nullptr},
    {"Связь", "Мобильная связь", "Интернет", "Телевидение", nullptr},
    {"Транспорт", "Проезд", "Бензин", "Такси", "Ремонт машины", "Парковка", "Страховка", nullptr},
    {"Дом", "Бытовая химия", "Посуда", "Мебель", "Бытовая техника", "Ремонт", "Хозтовары", nullptr},
    {"Одежда и обувь", "Одежда", "Обувь", "Аксессуары", nullptr},
    {"Здоровье", "Лекарства", "Врачи", "Анализы", "Стоматология", nullptr},
    {"Дети", "Детский сад", "Школа", "Кружки", "Игрушки", "Детская одежда", nullptr},
    {"Образование", "Курсы", "Книги", "Канцтовары", nullptr},
    {"Отдых", "Кафе", "Кино", "Театр", "Путешествия", "Спорт", nullptr},
    {"Подарки", "Подарки родным", "Подарки друзьям", "Цветы", nullptr},
    {"Красота", "Парикмахерская", "Косметика", nullptr},
    {"Животные", "Корм", "Ветеринар", nullptr},
    {"Прочее", "Налоги", "Штрафы", "Разное", nullptr},
};

const char* const kIncomes[] = {
    "Виды доходов", "Зарплата",           "Аванс",   "Премия",        "Пенсия",       "Пособие", "Стипендия",
    "Подработка",   "Проценты по вкладу", "Подарки", "Продажа вещей", "Прочие доходы"};

} // namespace

bool WriteDefaultLists(const QString& dataFolder) {
    TMemTable expenses;
    for (const auto& kind : kExpenses) {
        QStringList cells;
        for (const char* const* c = kind; *c; ++c)
            cells << QString::fromUtf8(*c);
        expenses.AddRow()->SetCells(cells);
    }
    TMemTable incomes;
    QStringList cells;
    for (const char* c : kIncomes)
        cells << QString::fromUtf8(c);
    incomes.AddRow()->SetCells(cells);
    return expenses.SaveToFile(dataFolder + QStringLiteral("/vidrashod")) &&
           incomes.SaveToFile(dataFolder + QStringLiteral("/viddohod"));
}
