#pragma once

#include <QDialog>

class TProblemsForm : public QDialog {
    Q_OBJECT
public:
    explicit TProblemsForm(QWidget* parent = nullptr);
};
