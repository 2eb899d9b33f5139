#include "ui/thelpcommand.h"

#include "storage/datafolders.h"
#include "storage/scrambledtext.h"
#include "storage/tmessageboxclass.h"

#include <QDesktopServices>
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
    if (!QFileInfo(file).isFile()) {
        Messages().ShowError({QStringLiteral("Файл помощи не найден")});
        return;
    }
    const QUrl url = QUrl::fromLocalFile(file);
    const bool opened = open ? open(url) : QDesktopServices::openUrl(url);
    if (!opened) Messages().ShowError({QStringLiteral("Ошибка при открытии pdf-файла")});
}
