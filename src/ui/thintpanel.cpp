#include "ui/thintpanel.h"

#include <QAbstractItemView>
#include <QLabel>

#include <algorithm>

THintPanel::THintPanel(QWidget* parent) : QFrame(parent), m_label(new QLabel(this)) {
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    m_label->move(10, 5);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kShowMs);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

QString THintPanel::Text() const {
    return m_label->text();
}

void THintPanel::ShowCellHint(QAbstractItemView* grid, int col, int row, const QString& text) {
    if (!grid || !grid->model()) return;
    QWidget* area = grid->viewport();
    setParent(area);
    m_label->setText(text);
    m_label->adjustSize();
    resize(m_label->width() + 20, m_label->height() + 10);
    const QRect cell = grid->visualRect(grid->model()->index(row, col));
    QPoint at = cell.topLeft() + QPoint(5, 5);
    at.setX(std::max(0, std::min(at.x(), area->width() - width())));
    at.setY(std::max(0, std::min(at.y(), area->height() - height())));
    move(at);
    show();
    raise();
    m_timer.start();
}
