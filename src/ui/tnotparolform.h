#pragma once

#include <QDialog>

class TNotParolForm : public QDialog {
    Q_OBJECT
public:
    explicit TNotParolForm(QWidget* parent = nullptr);
};
