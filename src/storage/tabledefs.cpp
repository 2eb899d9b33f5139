#include "storage/tabledefs.h"

#include <array>

namespace {

QStringList Split(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char('|'));
}

std::array<TTableDef, kTableKindCount> MakeDefs() {
    using C = TColumnKind;
    return {{
        {.kind = TTableKind::Rashod,
         .gridId = 1,
         .fileName = QStringLiteral("rashod"),
         .shared = false,
         .columns = {C::Date, C::Kind, C::Kind, C::Number, C::Purse, C::Text, C::User},
         .captions = Split("Дата|Вид расхода|Название расхода|Сумма|Кошелек|Примечание|Пользователь"),
         .hiddenCells = 0,
         .required = 3,
         .sumColumn = col::rashod::Sum,
         .dateColumn = col::rashod::Date,
         .lastRequiredColumn = col::rashod::Name,
         .userColumn = col::rashod::User,
         .sizeClasses = {1, 2, 2, 1, 1, 2, 2},
         .damageWord = QStringLiteral("расходов"),
         .sortable = true,
         .datesNewRows = true},
        {.kind = TTableKind::Dohod,
         .gridId = 2,
         .fileName = QStringLiteral("dohod"),
         .shared = false,
         .columns = {C::Date, C::Kind, C::Number, C::Purse, C::Text, C::User},
         .captions = Split("Дата|Вид дохода|Сумма|Кошелек|Примечание|Пользователь"),
         .hiddenCells = 0,
         .required = 2,
         .sumColumn = col::dohod::Sum,
         .dateColumn = col::dohod::Date,
         .lastRequiredColumn = col::dohod::Kind,
         .userColumn = col::dohod::User,
         .sizeClasses = {1, 2, 1, 1, 2, 2},
         .damageWord = QStringLiteral("доходов"),
         .sortable = true,
         .datesNewRows = true},
        {.kind = TTableKind::Dolg,
         .gridId = 3,
         .fileName = QStringLiteral("dolg"),
         .shared = false,
         .columns = {C::Category, C::Date, C::Date, C::Text, C::Number, C::Purse, C::Text, C::InPurse,
                     C::User},
         .captions =
             Split("Категория|Дата|Срок|Дебитор/Кредитор|Сумма|Кошелек|Примечание|В кошельке|Пользователь"),
         .hiddenCells = 1,
         .required = 3,
         .sumColumn = col::dolg::Sum,
         .dateColumn = col::dolg::Date,
         .lastRequiredColumn = col::dolg::Due,
         .userColumn = col::dolg::User,
         .sizeClasses = {1, 1, 1, 2, 1, 1, 1, 1, 1},
         .damageWord = QStringLiteral("долгов"),
         .sortable = true,
         .datesNewRows = false},
        {.kind = TTableKind::PlanRashod,
         .gridId = 4,
         .fileName = QStringLiteral("planrashod"),
         .shared = false,
         .columns = {C::Kind, C::Kind, C::Date, C::Date, C::Number, C::Purse, C::Text, C::User},
         .captions = Split(
             "Вид расхода|Наименование расхода|Период С|Период ДО|Сумма|Кошелек|Примечание|Пользователь"),
         .hiddenCells = 0,
         .required = 2,
         .sumColumn = col::planrashod::Sum,
         .dateColumn = col::planrashod::From,
         .lastRequiredColumn = col::planrashod::Name,
         .userColumn = col::planrashod::User,
         .sizeClasses = {2, 2, 1, 1, 1, 1, 2, 2},
         .damageWord = QStringLiteral("планов-расходов"),
         .sortable = true,
         .datesNewRows = false},
        {.kind = TTableKind::PlanDohod,
         .gridId = 40,
         .fileName = QStringLiteral("plandohod"),
         .shared = false,
         .columns = {C::Kind, C::Date, C::Date, C::Number, C::Purse, C::Text, C::User},
         .captions = Split("Вид дохода|Период С|Период ДО|Сумма|Кошелек|Примечание|Пользователь"),
         .hiddenCells = 0,
         .required = 2,
         .sumColumn = col::plandohod::Sum,
         .dateColumn = col::plandohod::From,
         .lastRequiredColumn = col::plandohod::From,
         .userColumn = col::plandohod::User,
         .sizeClasses = {2, 1, 1, 1, 1, 2, 2},
         .damageWord = QStringLiteral("планов-доходов"),
         .sortable = true,
         .datesNewRows = false},
        {.kind = TTableKind::Returns,
         .gridId = 30,
         .fileName = QStringLiteral("debt"),
         .shared = false,
         .columns = {C::Date, C::Number, C::Purse, C::Computed},
         .captions = Split("Дата|Сумма возврата|Кошелек|Остаток"),
         .hiddenCells = 0,
         .required = 3,
         .sumColumn = col::returns::Sum,
         .dateColumn = col::returns::Date,
         .lastRequiredColumn = col::returns::Purse,
         .userColumn = -1,
         .sizeClasses = {1, 1, 1, 1},
         .damageWord = QString(),
         .sortable = false,
         .datesNewRows = false},
        {.kind = TTableKind::Transfer,
         .gridId = 7,
         .fileName = QStringLiteral("transfer_purse"),
         .shared = false,
         .columns = {C::Date, C::Purse, C::Number, C::Purse, C::Number, C::Number, C::Text},
         .captions =
             Split("Дата|Из какого кошелька|Курс первого кошелька|В какой кошелек|Курс второго кошелька|"
                   "Сколько переносим|Примечания"),
         .hiddenCells = 0,
         .required = 4,
         .sumColumn = -1,
         .dateColumn = col::transfer::Date,
         .lastRequiredColumn = col::transfer::ToPurse,
         .userColumn = -1,
         .sizeClasses = {1, 1, 1, 1, 1, 1, 1},
         .damageWord = QString(),
         .sortable = true,
         .datesNewRows = true},
        {.kind = TTableKind::Purse,
         .gridId = 8,
         .fileName = QStringLiteral("purse"),
         .shared = false,
         .columns = {C::Text, C::Number, C::Number},
         .captions = Split("Имя кошелька|Курс по отношению к базовому|Сумма в кошельке"),
         .hiddenCells = 1,
         .required = 0,
         .sumColumn = -1,
         .dateColumn = -1,
         .lastRequiredColumn = col::purse::Name,
         .userColumn = -1,
         .sizeClasses = {1, 1, 1},
         .damageWord = QString(),
         .sortable = false,
         .datesNewRows = false},
        {.kind = TTableKind::User,
         .gridId = 9,
         .fileName = QStringLiteral("user"),
         .shared = true,
         .columns = {C::Text, C::Base, C::Role},
         .captions = Split("Имя пользователя|База пользователя|Тип пользователя"),
         .hiddenCells = 1,
         .required = 3,
         .sumColumn = -1,
         .dateColumn = -1,
         .lastRequiredColumn = col::user::Role,
         .userColumn = -1,
         .sizeClasses = {1, 1, 1},
         .damageWord = QString(),
         .sortable = false,
         .datesNewRows = false},
    }};
}

} // namespace

bool IsChoiceColumn(TColumnKind kind) {
    switch (kind) {
    case TColumnKind::Purse:
    case TColumnKind::Category:
    case TColumnKind::InPurse:
    case TColumnKind::Role:
    case TColumnKind::Base:
        return true;
    default:
        return false;
    }
}

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
