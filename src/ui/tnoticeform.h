#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The small notice window: the program's picture, a few lines about it and a link to its help.
class TNoticeForm : public QDialog {
    Q_OBJECT
public:
    explicit TNoticeForm(const QString& programFolder = QString(), QWidget* parent = nullptr);
    QLabel* Link() const { return m_link; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QString m_programFolder;
    QLabel* m_link;
    QPushButton* m_ok;
};
