#pragma once

#include <QMainWindow>

class TQuorvaneForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TQuorvaneForm(QWidget* parent = nullptr);
};
