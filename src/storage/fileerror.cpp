#include "storage/fileerror.h"

#include "storage/tmessageboxclass.h"

#include <cerrno>

QString SystemReason(int code) {
    switch (code) {
    case ENOSPC:
        return QStringLiteral("На диске нет свободного места.");
    case EDQUOT:
        return QStringLiteral("Превышена дисковая квота пользователя.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав на запись в файл или папку.");
    case EROFS:
        return QStringLiteral("Диск доступен только для чтения.");
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода: диск не смог записать данные.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Папка базы не найдена.");
    case EISDIR:
        return QStringLiteral("На месте файла находится папка.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Открыто слишком много файлов.");
    case EFBIG:
        return QStringLiteral("Файл слишком велик.");
    case EBUSY:
        return QStringLiteral("Файл занят другой программой.");
    case fileerror::kLinkInPlace:
        return QStringLiteral("На месте файла находится ссылка.");
    case fileerror::kFolderIsLink:
        return QStringLiteral("Папка является ссылкой на другое место.");
    case fileerror::kNewContentLost:
        return QStringLiteral("Временный файл с новым содержимым пропал.");
    case fileerror::kNewContentBroken:
        return QStringLiteral("Временный файл с новым содержимым поврежден.");
    case fileerror::kCannotBeChecked:
        return QStringLiteral("Временный файл пропал, а журнал прежней версии не позволяет проверить файл.");
    default:
        return QStringLiteral("Системная ошибка %1.").arg(code);
    }
}

QString TFileError::Reason() const {
    return SystemReason(code);
}

QStringList SaveFailureDetails(const TFileError& error) {
    return {QStringLiteral("Файл: ") + error.path, QStringLiteral("Причина: ") + error.Reason()};
}

void ReportSaveFailure(const TFileError& error) {
    Messages().ShowError(QStringList{QStringLiteral("Не удалось сохранить базу")} +
                         SaveFailureDetails(error));
}

void ReportUnfinishedSave(const TFileError& error) {
    Messages().ShowError({QStringLiteral("Сохранение базы было прервано и не может быть завершено."),
                          QStringLiteral("Файл: ") + error.path,
                          QStringLiteral("Причина: ") + error.Reason()});
}
