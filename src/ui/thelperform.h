#pragma once

#include <QDialog>

class THelperForm : public QDialog {
    Q_OBJECT
public:
    explicit THelperForm(QWidget* parent = nullptr);
};
