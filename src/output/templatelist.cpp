#include "output/templatelist.h"

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

QString RestoreTemplatesItem() {
    return QStringLiteral("Default");
}

QString RestoreTemplatesCaption() {
    return QStringLiteral("Восстановить все шаблоны по умолчанию");
}
