#include "ui/tcalcform.h"

TCalcForm::TCalcForm(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Калькулятор")); }
