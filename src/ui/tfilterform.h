#pragma once

#include <QDialog>

class TFilterForm : public QDialog {
    Q_OBJECT
public:
    explicit TFilterForm(QWidget* parent = nullptr);
};
