#pragma once

#include "output/ttemplates.h"
#include "storage/tprogrampaths.h"

#include <QObject>
#include <QString>

class TMenuClass;

// The items of "Шаблоны выгрузки и печати": each opens its template, the last puts the default set back.
class TTemplateCommands : public QObject {
    Q_OBJECT
public:
    // The program data folder is read when an item is chosen: the program settles it after the window
    // is made.
    TTemplateCommands(const TProgramPaths& paths, TMenuClass& menu, QObject* parent = nullptr);

    // Opens a document with its desktop application; tests answer it here. Empty: the desktop's own.
    TTemplates::TOpener open;

private:
    TTemplates Templates() const;

    const TProgramPaths& m_paths;
};
