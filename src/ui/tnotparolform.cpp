#include "ui/tnotparolform.h"

TNotParolForm::TNotParolForm(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Создайте новую базу и пользователя")); }
