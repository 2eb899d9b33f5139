#pragma once

#include <QDialog>

class TNoticeForm : public QDialog {
    Q_OBJECT
public:
    explicit TNoticeForm(QWidget* parent = nullptr);
};
