#pragma once

#include "output/odspackage.h"

#include <QString>

#include <vector>

// One spreadsheet template of the folder "PageMaket": the item of the templates menu that opens it,
// the item's caption, the file, and the export number the export tool fills it for (0: the help
// text, which no export uses).
struct TTemplateEntry {
    QString item;
    QString caption;
    QString file;
    int number = 0;
    bool separatorBefore = false;
};

// Every template in the order of the templates menu, the help text last.
const std::vector<TTemplateEntry>& TemplateEntries();
// The template file an export number is filled into; empty for an unknown number.
QString TemplateFileFor(int number);

// What each column of an export is in a sheet: the ledgers' sums, the returns and their remainders,
// the purses' amounts and the transfers' sums are amounts, the purses' and transfers' rates are rates,
// the analysis's results (from its third column on) are amounts or percents; dates, names and notes are
// texts. The sum column of the job counts as an amount whatever the number.
TSheetColumn SheetColumnOf(int number, int column, int sumColumn = -1);
std::vector<TSheetColumn> SheetColumns(int number, int sumColumn, int count);

// The templates menu's last item: put the default set back.
QString RestoreTemplatesItem();
QString RestoreTemplatesCaption();
