#include "ui/ttitlestrip.h"

#include "storage/datafolders.h"
#include "ui/uicolours.h"

#include <QLabel>
#include <QToolButton>

TTitleStrip::TTitleStrip(const QString& title, const QString& programFolder, QWidget* parent)
    : QFrame(parent), m_text(title), m_title(new QLabel(title, this)), m_autoSize(new QToolButton(this)) {
    setFixedHeight(29);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, AccentColour(palette()));
    setPalette(p);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_autoSize->setAutoRaise(true);
    m_autoSize->setFocusPolicy(Qt::NoFocus);
    m_autoSize->setToolTip(QStringLiteral("Автоматический размер столбцов"));
    m_autoSize->setIcon(QIcon(QPixmap(JoinPath(programFolder, QStringLiteral("Icons/Resize.bmp")))));
    connect(m_autoSize, &QToolButton::clicked, this, &TTitleStrip::AutoSizeClicked);
}

void TTitleStrip::SetTitle(const QString& title) {
    m_text = title;
    ShowTitle();
}

QString TTitleStrip::ShownTitle() const {
    return m_title->text();
}

void TTitleStrip::ShowTitle() {
    // A long title (a debt's returns with its names) ends in "…" before the button, not under it.
    m_title->setText(m_title->fontMetrics().elidedText(m_text, Qt::ElideRight, m_title->width()));
}

void TTitleStrip::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const int side = height() - 6;
    m_autoSize->setGeometry(width() - 20 - side, 3, side, side);
    m_title->setGeometry(8, 0, std::max(0, width() - 40 - side), height());
    ShowTitle();
}
