#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>

class QAbstractItemView;
class QLabel;

// The short white note at a grid cell; it hides itself after 1500 ms and a new one replaces it.
class THintPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShowMs = 1500;

    explicit THintPanel(QWidget* parent = nullptr);
    void ShowCellHint(QAbstractItemView* grid, int col, int row, const QString& text);
    QString Text() const;

private:
    QLabel* m_label;
    QTimer m_timer;
};
