#include "ui/tproblemsform.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
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
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
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
    if (m_owner) {
        setFont(m_owner->font());
        QRect frame = geometry();
        frame.moveCenter(m_owner->frameGeometry().center());
        move(std::max(0, frame.left()), std::max(0, frame.top()));
    }
    m_text->setPlainText(m_report ? m_report().join(QLatin1Char('\n')) : QString());
    QDialog::showEvent(event);
}
