#include "ui/tproblemsform.h"

TProblemsForm::TProblemsForm(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Возможные неполадки")); }
