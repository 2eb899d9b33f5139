#include "ui/thelpcommand.h"

#include "output/desktopopen.h"
#include "storage/datafolders.h"
#include "storage/scrambledtext.h"
#include "storage/tmessageboxclass.h"

#include <QDir>
#include <QFileInfo>

QString HelpFileName() {
    return Unscramble({175, 251, 207, 42, 122, 95, 182, 136, 242, 10, 27, 106, 67});
}
QString HelpItemCaption() {
    return Unscramble({42, 109, 67, 182, 239, 218, 39});
}
QString AboutItemCaption() {
    return Unscramble({39, 60, 66, 166, 243, 197, 55, 26, 109, 72, 140});
}

void OpenHelp(const QString& programFolder, const std::function<bool(const QUrl&)>& open) {
    const QString file = JoinPath(programFolder, HelpFileName());
    const QString shown = QDir::toNativeSeparators(file);
    if (!QFileInfo(file).isFile()) {
        Messages().ShowError({QStringLiteral("Файл помощи не найден"), shown});
        return;
    }
    // Without a viewer the family can still open the file by hand: it is named.
    const bool opened = open ? open(QUrl::fromLocalFile(file)) : OpenWithDesktop(file);
    if (!opened) Messages().ShowError({QStringLiteral("Ошибка при открытии pdf-файла"), shown});
}
