#pragma once

#include <QDialog>

class TSettingsForm : public QDialog {
    Q_OBJECT
public:
    explicit TSettingsForm(QWidget* parent = nullptr);
};
