#include "ui/tquorvaneform.h"

TQuorvaneForm::TQuorvaneForm(QWidget* parent) : QMainWindow(parent) { setWindowTitle(QStringLiteral("Vellumora")); }
