#include "ui/tproblemsform.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

TProblemsForm::TProblemsForm(std::function<QStringList()> report, QWidget* parent)
    : QDialog(parent), m_report(std::move(report)), m_text(new QPlainTextEdit(this)),
      m_ok(new QPushButton(QStringLiteral("Ok"), this)) {
    setObjectName(QStringLiteral("ProblemsForm"));
    setWindowTitle(QStringLiteral("Возможные неполадки"));
    setModal(true);
    resize(560, 360);
    m_text->setObjectName(QStringLiteral("ProblemsMemo"));
    m_text->setReadOnly(true);
    // Selectable with the mouse for copying a path, but without a caret.
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A line wider than the screen wraps rather than running past the edge.
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TProblemsForm::ShowOver(QWidget* owner) {
    m_owner = owner;
    exec();
}

void TProblemsForm::showEvent(QShowEvent* event) {
    if (m_owner) setFont(m_owner->font());
    const QStringList lines = m_report ? m_report() : QStringList();
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
    FitLines(lines);
    if (m_owner) {
        QRect frame = geometry();
        frame.moveCenter(m_owner->frameGeometry().center());
        move(std::max(0, frame.left()), std::max(0, frame.top()));
    }
    QDialog::showEvent(event);
}

void TProblemsForm::FitLines(const QStringList& lines) {
    // As wide as the longest line (a deep folder's path), within the screen.
    layout()->activate();
    const QFontMetrics fm(m_text->font());
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, fm.horizontalAdvance(line));
    const int around =
        width() - m_text->viewport()->width() + 2 * int(m_text->document()->documentMargin()) + 4;
    const int screenWidth = (m_owner ? m_owner->screen() : screen())->availableGeometry().width();
    resize(std::clamp(widest + around, 560, std::max(560, screenWidth)), height());
}
