#pragma once

#include <QDialog>

class TCalcForm : public QDialog {
    Q_OBJECT
public:
    explicit TCalcForm(QWidget* parent = nullptr);
};
