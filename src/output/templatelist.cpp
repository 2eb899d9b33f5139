#include "output/templatelist.h"

#include "storage/tabledefs.h"

#include <optional>

const std::vector<TTemplateEntry>& TemplateEntries() {
    static const std::vector<TTemplateEntry> entries = {
        {u"RashodShablon"_qs, u"Шаблон таблицы расходов"_qs, u"Rashod.ods"_qs, 11},
        {u"DohodShablon"_qs, u"Шаблон таблицы доходов"_qs, u"Dohod.ods"_qs, 12},
        {u"DolgShablon"_qs, u"Шаблон таблицы долгов"_qs, u"Dolg.ods"_qs, 13},
        {u"VozvratDolgShablon"_qs, u"Шаблон таблицы возврата долга"_qs, u"VozvratDolg.ods"_qs, 17},
        {u"PlanRashodShablon"_qs, u"Шаблон таблицы планов по расходам"_qs, u"PlanRashod.ods"_qs, 14},
        {u"PlanDohodShablon"_qs, u"Шаблон таблицы планов по доходам"_qs, u"PlanDohod.ods"_qs, 15},
        {u"AnalisVidRashodShablon"_qs, u"Шаблон таблицы анализа по видам расходов"_qs,
         u"AnalisVidRashod.ods"_qs, 16, true},
        {u"AnalisNameRashodShablon"_qs, u"Шаблон таблицы анализа по наименованиям расходов"_qs,
         u"AnalisNameRashod.ods"_qs, 18},
        {u"AnalisVidDohodShablon"_qs, u"Шаблон таблицы анализа по видам доходов"_qs, u"AnalisVidDohod.ods"_qs,
         19},
        {u"AnalisPlanRashodShablon"_qs, u"Шаблон таблицы анализа по планированию расходов"_qs,
         u"AnalisPlanRashod.ods"_qs, 20},
        {u"AnalisPlanDohodShablon"_qs, u"Шаблон таблицы анализа по планированию доходов"_qs,
         u"AnalisPlanDohod.ods"_qs, 21},
        {u"AnalisPrimRashodShablon"_qs, u"Шаблон таблицы анализа по примечаниям в таблице расходов"_qs,
         u"AnalisPrimRashod.ods"_qs, 22},
        {u"AnalisPrimDohodShablon"_qs, u"Шаблон таблицы анализа по примечаниям в таблице доходов"_qs,
         u"AnalisPrimDohod.ods"_qs, 23},
        {u"AnalisPrimPlanRashodShablon"_qs,
         u"Шаблон таблицы анализа по примечаниям в таблице планов-расходов"_qs,
         u"AnalisPrimPlanRashod.ods"_qs, 24},
        {u"AnalisPrimPlanDohodShablon"_qs,
         u"Шаблон таблицы анализа по примечаниям в таблице планов-доходов"_qs, u"AnalisPrimPlanDohod.ods"_qs,
         25},
        {u"PurseShablon"_qs, u"Шаблон таблицы кошельков"_qs, u"Purse.ods"_qs, 30},
        {u"TransferShablon"_qs, u"Шаблон таблицы переноса денег между кошельками"_qs, u"TransferPurse.ods"_qs,
         31},
        {u"UserShablon"_qs, u"Шаблон таблицы пользователей"_qs, u"User.ods"_qs, 32},
        {u"VidRashodShablon"_qs, u"Шаблон таблицы наименований расходов"_qs, u"VidRashod.ods"_qs, 40},
        {u"VidDohodShablon"_qs, u"Шаблон таблицы названий доходов"_qs, u"VidDohod.ods"_qs, 41},
        {u"Help"_qs, u"Подсказки для редактирования шаблонов"_qs, u"HelpShablon.odt"_qs, 0},
    };
    return entries;
}

QString TemplateFileFor(int number) {
    if (number == 0) return {};
    for (const TTemplateEntry& e : TemplateEntries())
        if (e.number == number) return e.file;
    return {};
}

namespace {

// The table behind a grid's export number.
std::optional<TTableKind> GridKindOf(int number) {
    switch (number) {
    case 11:
        return TTableKind::Rashod;
    case 12:
        return TTableKind::Dohod;
    case 13:
        return TTableKind::Dolg;
    case 14:
        return TTableKind::PlanRashod;
    case 15:
        return TTableKind::PlanDohod;
    case 17:
        return TTableKind::Returns;
    case 30:
        return TTableKind::Purse;
    case 31:
        return TTableKind::Transfer;
    case 32:
        return TTableKind::User;
    }
    return std::nullopt;
}

bool IsAnalysis(int number) {
    return number == 16 || (number >= 18 && number <= 25);
}

} // namespace

TSheetColumn SheetColumnOf(int number, int column, int sumColumn) {
    if (column == sumColumn && column >= 0) return TSheetColumn::Amount;
    // The analysis: number, group name, then its amounts (or shares) and the comparison.
    if (IsAnalysis(number)) return column >= 2 ? TSheetColumn::Amount : TSheetColumn::Text;
    const std::optional<TTableKind> kind = GridKindOf(number);
    if (!kind) return TSheetColumn::Text;
    if ((*kind == TTableKind::Purse && column == col::purse::Rate) ||
        (*kind == TTableKind::Transfer &&
         (column == col::transfer::FromRate || column == col::transfer::ToRate)))
        return TSheetColumn::Rate;
    const TColumnKind type = TableDef(*kind).Column(column);
    // Numbers the user types and the remainders the program computes.
    return type == TColumnKind::Number || type == TColumnKind::Computed ? TSheetColumn::Amount
                                                                        : TSheetColumn::Text;
}

std::vector<TSheetColumn> SheetColumns(int number, int sumColumn, int count) {
    std::vector<TSheetColumn> out;
    for (int c = 0; c < count; ++c)
        out.push_back(SheetColumnOf(number, c, sumColumn));
    return out;
}

QString RestoreTemplatesItem() {
    return QStringLiteral("Default");
}

QString RestoreTemplatesCaption() {
    return QStringLiteral("Восстановить все шаблоны по умолчанию");
}
