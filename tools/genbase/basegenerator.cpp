#include "basegenerator.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tmemtable.h"

#include <QDate>
#include <QStringList>

#include <algorithm>
#include <random>
#include <vector>

namespace {

const char* const kKinds[][6] = {
    {"Продукты", "Хлеб", "Молоко", "Мясо", "Овощи", "Фрукты"},
    {"Коммунальные платежи", "Квартплата", "Электричество", "Вода", "Газ", "Интернет"},
    {"Транспорт", "Проезд", "Бензин", "Такси", "Парковка", "Ремонт машины"},
    {"Дом", "Бытовая химия", "Посуда", "Мебель", "Ремонт", "Хозтовары"},
    {"Здоровье", "Лекарства", "Врачи", "Анализы", "Стоматология", "Очки"},
    {"Дети", "Школа", "Кружки", "Игрушки", "Одежда", "Книги"},
};
const char* const kIncomes[] = {"Зарплата", "Аванс", "Премия", "Пенсия", "Подработка", "Проценты по вкладу"};
const char* const kPurses[] = {"рубль", "карта", "копилка", "доллар"};
const char* const kUsers[] = {"Мама", "Папа"};
const char* const kPeople[] = {"Сосед", "Брат", "Коллега", "Тётя Валя", "Друг детства"};

class TGen {
public:
    explicit TGen(unsigned seed) : m_random(seed) {}
    int Int(int from, int to) { return std::uniform_int_distribution<int>(from, to)(m_random); }
    QString Date(const QDate& first, int days) {
        return first.addDays(Int(0, days)).toString(QStringLiteral("dd.MM.yyyy"));
    }
    QString Sum(int maxRoubles) {
        const int roubles = Int(1, maxRoubles);
        const int kopecks = Int(0, 3) == 0 ? Int(1, 99) : 0;
        if (kopecks == 0) return QString::number(roubles);
        return QStringLiteral("%1,%2").arg(roubles).arg(
            kopecks % 10 == 0 ? QString::number(kopecks / 10)
                              : QString::number(kopecks).rightJustified(2, QLatin1Char('0')));
    }
    QString Pick(const char* const* list, int n) { return QString::fromUtf8(list[Int(0, n - 1)]); }

private:
    std::mt19937 m_random;
};

void Save(const TMemTable& t, const QString& folder, const QString& name) {
    t.SaveToFile(JoinPath(folder, name));
}

// The program keeps its tables in date order, so that is how they lie on disk.
void SortByDate(std::vector<QStringList>& rows, int dateColumn) {
    std::stable_sort(rows.begin(), rows.end(), [dateColumn](const QStringList& a, const QStringList& b) {
        return QDate::fromString(a[dateColumn], QStringLiteral("dd.MM.yyyy")) <
               QDate::fromString(b[dateColumn], QStringLiteral("dd.MM.yyyy"));
    });
}

void SaveRows(std::vector<QStringList> rows, int dateColumn, const QString& folder, const QString& name) {
    SortByDate(rows, dateColumn);
    TMemTable t;
    for (const QStringList& r : rows)
        t.AddRow()->SetCells(r);
    Save(t, folder, name);
}

} // namespace

QString GenerateBase(const QString& dataRoot, const QString& baseName, const TBaseSize& size) {
    const QString root = JoinPath(dataRoot, QStringLiteral("BASE"));
    const QString folder = JoinPath(root, baseName);
    MakePrivateFolder(JoinPath(folder, QStringLiteral("Debt")));
    TGen g(size.seed);
    const QDate first = QDate::currentDate().addYears(-10);
    const int span = int(first.daysTo(QDate::currentDate()));
    const int kindCount = int(std::size(kKinds));

    TMemTable kinds;
    for (const auto& k : kKinds) {
        QStringList cells;
        for (const char* c : k)
            cells << QString::fromUtf8(c);
        kinds.AddRow()->SetCells(cells);
    }
    Save(kinds, folder, QStringLiteral("vidrashod"));
    TMemTable incomeKinds;
    QStringList incomeCells{QStringLiteral("Виды доходов")};
    for (const char* c : kIncomes)
        incomeCells << QString::fromUtf8(c);
    incomeKinds.AddRow()->SetCells(incomeCells);
    Save(incomeKinds, folder, QStringLiteral("viddohod"));

    TMemTable purse;
    purse.AddRow()->SetCells(
        {QStringLiteral("рубль"), QStringLiteral("1"), QStringLiteral("152340,5"), QStringLiteral("1")});
    purse.AddRow()->SetCells(
        {QStringLiteral("карта"), QStringLiteral("1"), QStringLiteral("48200"), QStringLiteral("0")});
    purse.AddRow()->SetCells(
        {QStringLiteral("копилка"), QStringLiteral("1"), QStringLiteral("12000"), QStringLiteral("0")});
    purse.AddRow()->SetCells(
        {QStringLiteral("доллар"), QStringLiteral("90"), QStringLiteral("350"), QStringLiteral("0")});
    Save(purse, folder, QStringLiteral("purse"));

    auto user = [&] { return g.Pick(kUsers, 2); };
    auto purseName = [&] { return g.Pick(kPurses, 3); };

    std::vector<QStringList> rashod;
    for (int i = 0; i < size.expenses; ++i) {
        const auto& k = kKinds[g.Int(0, kindCount - 1)];
        rashod.push_back({g.Date(first, span), QString::fromUtf8(k[0]), QString::fromUtf8(k[g.Int(1, 5)]),
                          g.Sum(5000), purseName(), g.Int(0, 9) == 0 ? QStringLiteral("по акции") : QString(),
                          user()});
    }
    SaveRows(std::move(rashod), 0, folder, QStringLiteral("rashod"));

    std::vector<QStringList> dohod;
    for (int i = 0; i < size.incomes; ++i)
        dohod.push_back({g.Date(first, span), g.Pick(kIncomes, int(std::size(kIncomes))), g.Sum(90000),
                         purseName(), QString(), user()});
    SaveRows(std::move(dohod), 0, folder, QStringLiteral("dohod"));

    std::vector<QString> debtDates;
    for (int i = 0; i < size.debts; ++i)
        debtDates.push_back(g.Date(first, span));
    std::sort(debtDates.begin(), debtDates.end(), [](const QString& a, const QString& b) {
        return QDate::fromString(a, QStringLiteral("dd.MM.yyyy")) <
               QDate::fromString(b, QStringLiteral("dd.MM.yyyy"));
    });
    TMemTable dolg;
    for (int i = 0; i < size.debts; ++i) {
        const QString date = debtDates[size_t(i)];
        const QDate d = QDate::fromString(date, QStringLiteral("dd.MM.yyyy"));
        const int sum = g.Int(10, 500) * 100;
        const QString p = purseName();
        dolg.AddRow()->SetCells({g.Int(0, 1) ? QStringLiteral("дано в долг") : QStringLiteral("взято в долг"),
                                 date, d.addDays(g.Int(30, 365)).toString(QStringLiteral("dd.MM.yyyy")),
                                 g.Pick(kPeople, 5), QString::number(sum), p, QString(),
                                 g.Int(0, 3) ? QStringLiteral("отображать") : QStringLiteral("не отображать"),
                                 user(), QString::number(i)});
        TMemTable returns;
        int left = sum;
        for (int r = 0; r < size.returnsPerDebt; ++r) {
            const int part = sum / (size.returnsPerDebt + 1);
            left -= part;
            returns.AddRow()->SetCells({d.addDays(10 * (r + 1)).toString(QStringLiteral("dd.MM.yyyy")),
                                        QString::number(part), p, QString::number(left)});
        }
        Save(returns, JoinPath(folder, QStringLiteral("Debt")), QStringLiteral("debt") + QString::number(i));
    }
    Save(dolg, folder, QStringLiteral("dolg"));

    std::vector<QStringList> plan, planDohod;
    for (int i = 0; i < size.plans; ++i) {
        const auto& k = kKinds[g.Int(0, kindCount - 1)];
        const QDate from = first.addDays(g.Int(0, span));
        plan.push_back({QString::fromUtf8(k[0]), QString::fromUtf8(k[g.Int(1, 5)]),
                        from.toString(QStringLiteral("dd.MM.yyyy")),
                        from.addDays(30).toString(QStringLiteral("dd.MM.yyyy")), g.Sum(20000), purseName(),
                        QString(), user()});
        planDohod.push_back({g.Pick(kIncomes, int(std::size(kIncomes))),
                             from.toString(QStringLiteral("dd.MM.yyyy")),
                             from.addDays(30).toString(QStringLiteral("dd.MM.yyyy")), g.Sum(90000),
                             purseName(), QString(), user()});
    }
    SaveRows(std::move(plan), 2, folder, QStringLiteral("planrashod"));
    SaveRows(std::move(planDohod), 1, folder, QStringLiteral("plandohod"));

    std::vector<QStringList> transfer;
    for (int i = 0; i < size.transfers; ++i)
        transfer.push_back({g.Date(first, span), QStringLiteral("рубль"), QStringLiteral("1"),
                            QStringLiteral("копилка"), QStringLiteral("1"), g.Sum(10000), QString()});
    SaveRows(std::move(transfer), 0, folder, QStringLiteral("transfer_purse"));

    TMemTable users;
    users.AddRow()->SetCells(
        {QStringLiteral("Мама"), baseName, QStringLiteral("Администратор"), QStringLiteral("0")});
    users.AddRow()->SetCells(
        {QStringLiteral("Папа"), baseName, QStringLiteral("Обычный пользователь"), QStringLiteral("0")});
    Save(users, root, QStringLiteral("user"));
    TMemTable bases;
    bases.AddRow()->SetCells({baseName});
    Save(bases, root, QStringLiteral("baseuser"));
    return folder;
}
