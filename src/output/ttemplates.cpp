#include "output/ttemplates.h"

#include "output/desktopopen.h"
#include "storage/datafolders.h"
#include "storage/tfilecopier.h"
#include "storage/tmessageboxclass.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

TTemplates::TTemplates(QString programDataFolder, TOpener open)
    : m_programDataFolder(std::move(programDataFolder)), m_open(std::move(open)) {}

QString TTemplates::Folder() const {
    return JoinPath(m_programDataFolder, QStringLiteral("PageMaket"));
}

QString TTemplates::DefaultFolder() const {
    return JoinPath(m_programDataFolder, QStringLiteral("PageMaketDefault"));
}

bool TTemplates::Open(const QString& file) {
    const QString path = JoinPath(Folder(), file);
    // The desktop would start an application that then complains about a missing file on its own terms.
    bool opened = QFileInfo(path).isFile();
    if (opened) opened = m_open ? m_open(QUrl::fromLocalFile(path)) : OpenWithDesktop(path);
    if (!opened) Messages().ShowInfo({QStringLiteral("Ошибка при открытии"), QDir::toNativeSeparators(path)});
    return opened;
}

bool TTemplates::RestoreDefaults() {
    if (!Messages().AskYesNo({QStringLiteral("Восстановить все шаблоны по умолчанию?"),
                              QStringLiteral("Все изменения в шаблонах будут сброшены."),
                              QStringLiteral("Продолжить?")},
                             TMsgButton::Yes))
        return false;
    const QString defaults = DefaultFolder();
    if (!QFileInfo(defaults).isDir()) {
        Messages().ShowInfo({QStringLiteral("Восстановление прервано."),
                             QStringLiteral("Недоступна или отсутствует папка исходных шаблонов "),
                             defaults});
        return false;
    }
    // Each template is written beside itself and renamed into place: one that fails keeps the user's
    // version rather than half of the default. The copies are the user's to edit, whatever the mode of
    // the installed set.
    TFileCopier copier;
    const bool ok = copier.CopyFolder(defaults, Folder(), /*attributes=*/false, /*times=*/false,
                                      /*overwriteFiles=*/true);
    Messages().ShowInfo({ok ? QStringLiteral("Шаблоны установлены по умолчанию")
                            : QStringLiteral("Некоторые шаблоны не были восстановлены")});
    return ok;
}
