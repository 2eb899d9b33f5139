#include "ui/thelperform.h"

THelperForm::THelperForm(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("")); }
