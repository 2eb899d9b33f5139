#include "ui/tarhivenameform.h"

#include "ui/tbasenamehint.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

TArhiveNameForm::TArhiveNameForm(QWidget* parent)
    : QDialog(parent), m_name(new QLineEdit(this)), m_hint(new TBaseNameHint(m_name, this, false)),
      m_accept(new QPushButton(QStringLiteral("Принять"), this)),
      m_cancel(new QPushButton(QStringLiteral("Отмена"), this)) {
    setObjectName(QStringLiteral("ArhiveNameForm"));
    setWindowTitle(QStringLiteral("Введите имя восстановленной базы"));
    m_name->setObjectName(QStringLiteral("NameEdit"));
    m_name->setMinimumWidth(280);
    m_accept->setObjectName(QStringLiteral("AcceptButton"));
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_accept->setDefault(true);
    m_cancel->setAutoDefault(false);
    connect(m_accept, &QPushButton::clicked, this, [this] {
        if (m_hint->Accepts(m_name->text())) accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_name, 0, 0, 1, 2);
    layout->addWidget(m_hint, 1, 0, 1, 2);
    layout->addWidget(m_accept, 2, 0);
    layout->addWidget(m_cancel, 2, 1);
    // The hint comes and goes under the field without moving the buttons.
    layout->setRowMinimumHeight(1, m_hint->sizeHint().height());
}

std::optional<QString> TArhiveNameForm::Ask() {
    m_name->setText(QStringLiteral("Новое имя базы"));
    m_name->selectAll();
    m_name->setFocus();
    m_hint->hide();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return m_name->text();
}
