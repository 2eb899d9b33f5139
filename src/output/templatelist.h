#pragma once

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

// The templates menu's last item: put the default set back.
QString RestoreTemplatesItem();
QString RestoreTemplatesCaption();
