#include "ui/ttemplatecommands.h"

#include "output/templatelist.h"
#include "ui/tmenuclass.h"

#include <QAction>

TTemplateCommands::TTemplateCommands(const TProgramPaths& paths, TMenuClass& menu, QObject* parent)
    : QObject(parent), m_paths(paths) {
    for (const TTemplateEntry& entry : TemplateEntries()) {
        const QString file = entry.file;
        connect(menu.Item(entry.item), &QAction::triggered, this, [this, file] { Templates().Open(file); });
    }
    connect(menu.Item(RestoreTemplatesItem()), &QAction::triggered, this,
            [this] { Templates().RestoreDefaults(); });
}

TTemplates TTemplateCommands::Templates() const {
    return TTemplates(m_paths.programDataFolder, open);
}
