#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// The templates menu: the working templates of the program data folder, opened for editing, and the
// default set put back over them.
class TTemplates {
public:
    // Opens a document with the desktop's application for its type; true when it started.
    using TOpener = std::function<bool(const QUrl&)>;

    // An empty opener uses the desktop's own, which fails where no application takes the type.
    explicit TTemplates(QString programDataFolder, TOpener open = {});

    QString Folder() const;        // "PageMaket": the templates the export tool fills
    QString DefaultFolder() const; // "PageMaketDefault": the set as installed

    // Opens one template file of Folder(); a file that is not there or does not open is told with its
    // path.
    bool Open(const QString& file);
    // Asks first; on "Да" copies the default set over the working one and tells how it went. True
    // when every default template is back.
    bool RestoreDefaults();

private:
    QString m_programDataFolder;
    TOpener m_open;
};
