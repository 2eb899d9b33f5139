#include "ui/tsettingsform.h"

TSettingsForm::TSettingsForm(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Настройки")); }
