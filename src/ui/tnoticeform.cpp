#include "ui/tnoticeform.h"

TNoticeForm::TNoticeForm(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("")); }
