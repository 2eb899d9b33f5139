#include "ui/tfilterform.h"

TFilterForm::TFilterForm(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Фильтровать...")); }
