#include "storage/tabledefs.h"

#include <array>

namespace {

QStringList Split(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char('|'));
}

std::array<TTableDef, kTableKindCount> MakeDefs() {
    return {{
        {TTableKind::Rashod,
         1,
         QStringLiteral("rashod"),
         false,
         QStringLiteral("DVVICSP"),
         Split("Дата|Вид расхода|Название расхода|Сумма|Кошелек|Примечание|Пользователь"),
         0,
         3,
         3,
         0,
         2,
         6,
         {1, 2, 2, 1, 1, 2, 2},
         QStringLiteral("расходов")},
        {TTableKind::Dohod,
         2,
         QStringLiteral("dohod"),
         false,
         QStringLiteral("DVICSP"),
         Split("Дата|Вид дохода|Сумма|Кошелек|Примечание|Пользователь"),
         0,
         2,
         2,
         0,
         1,
         5,
         {1, 2, 1, 1, 2, 2},
         QStringLiteral("доходов")},
        {TTableKind::Dolg,
         3,
         QStringLiteral("dolg"),
         false,
         QStringLiteral("KDDSICSOP"),
         Split("Категория|Дата|Срок|Дебитор/Кредитор|Сумма|Кошелек|Примечание|В кошельке|Пользователь"),
         1,
         3,
         4,
         1,
         2,
         8,
         {1, 1, 1, 2, 1, 1, 1, 1, 1},
         QStringLiteral("долгов")},
        {TTableKind::PlanRashod,
         4,
         QStringLiteral("planrashod"),
         false,
         QStringLiteral("VVDDICSP"),
         Split("Вид расхода|Наименование расхода|Период С|Период ДО|Сумма|Кошелек|Примечание|Пользователь"),
         0,
         2,
         4,
         2,
         1,
         7,
         {2, 2, 1, 1, 1, 1, 2, 2},
         QStringLiteral("планов-расходов")},
        {TTableKind::PlanDohod,
         40,
         QStringLiteral("plandohod"),
         false,
         QStringLiteral("VDDICSP"),
         Split("Вид дохода|Период С|Период ДО|Сумма|Кошелек|Примечание|Пользователь"),
         0,
         2,
         3,
         1,
         1,
         6,
         {2, 1, 1, 1, 1, 2, 2},
         QStringLiteral("планов-доходов")},
        {TTableKind::Returns,
         30,
         QStringLiteral("debt"),
         false,
         QStringLiteral("DICN"),
         Split("Дата|Сумма возврата|Кошелек|Остаток"),
         0,
         3,
         1,
         0,
         2,
         -1,
         {1, 1, 1, 1},
         QString()},
        {TTableKind::Transfer,
         7,
         QStringLiteral("transfer_purse"),
         false,
         QStringLiteral("DCICIIS"),
         Split("Дата|Из какого кошелька|Курс первого кошелька|В какой кошелек|Курс второго кошелька|"
               "Сколько переносим|Примечания"),
         0,
         4,
         -1,
         0,
         3,
         -1,
         {1, 1, 1, 1, 1, 1, 1},
         QString()},
        {TTableKind::Purse,
         8,
         QStringLiteral("purse"),
         false,
         QStringLiteral("SII"),
         Split("Имя кошелька|Курс по отношению к базовому|Сумма в кошельке"),
         1,
         0,
         -1,
         -1,
         0,
         -1,
         {1, 1, 1},
         QString()},
        {TTableKind::User,
         9,
         QStringLiteral("user"),
         true,
         QStringLiteral("SBA"),
         Split("Имя пользователя|База пользователя|Тип пользователя"),
         1,
         3,
         -1,
         -1,
         2,
         -1,
         {1, 1, 1},
         QString()},
    }};
}

} // namespace

bool TTableDef::IsLedger() const {
    return kind == TTableKind::Rashod || kind == TTableKind::Dohod || kind == TTableKind::Dolg ||
           kind == TTableKind::PlanRashod || kind == TTableKind::PlanDohod;
}

const TTableDef& TableDef(TTableKind kind) {
    static const std::array<TTableDef, kTableKindCount> defs = MakeDefs();
    return defs[size_t(kind)];
}

const std::vector<TTableKind>& LedgerKinds() {
    static const std::vector<TTableKind> kinds = {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg,
                                                  TTableKind::PlanRashod, TTableKind::PlanDohod};
    return kinds;
}

QString KindsFileName(TKindsList list) {
    return list == TKindsList::Rashod ? QStringLiteral("vidrashod") : QStringLiteral("viddohod");
}

QString KindsListWord(TKindsList list) {
    return list == TKindsList::Rashod ? QStringLiteral("расходов") : QStringLiteral("доходов");
}

QString DefaultKindsCaption(TKindsList list) {
    return list == TKindsList::Rashod ? QStringLiteral("Имя") : QStringLiteral("Виды доходов");
}
