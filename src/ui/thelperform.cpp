#include "ui/thelperform.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

THelperForm::THelperForm(QWidget* parent)
    : QDialog(parent), m_pages(new QStackedWidget), m_kindPage(new QWidget), m_name(new QLineEdit),
      m_accept(new QPushButton(QStringLiteral("Принять"))), m_cancel(new QPushButton(QStringLiteral("Отмена"))) {
    setObjectName(QStringLiteral("HelperForm"));
    setWindowTitle(QString());
    m_name->setObjectName(QStringLiteral("NameEdit"));
    m_accept->setObjectName(QStringLiteral("AcceptButton"));
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* kindLayout = new QVBoxLayout(m_kindPage);
    kindLayout->setContentsMargins(0, 0, 0, 0);
    kindLayout->addWidget(m_name);
    m_pages->addWidget(m_kindPage);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    m_accept->setDefault(true);
    m_accept->setAutoDefault(true);
    m_cancel->setAutoDefault(false);
    setMinimumWidth(320);
    connect(m_accept, &QPushButton::clicked, this, &THelperForm::OnAccept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void THelperForm::ShowMode(TMode mode, const QString& caption, QWidget* focus) {
    m_mode = mode;
    setWindowTitle(caption);
    setModal(true);
    show();
    raise();
    activateWindow();
    focus->setFocus();
}

void THelperForm::AskKindName(std::function<bool(const QString&)> accept) {
    m_onKindName = std::move(accept);
    m_name->clear();
    m_pages->setCurrentWidget(m_kindPage);
    ShowMode(TMode::KindName, QStringLiteral("Введите название вида расхода"), m_name);
}

void THelperForm::OnAccept() {
    if (m_mode == TMode::KindName) {
        if (m_onKindName && !m_onKindName(m_name->text())) {
            m_name->setFocus();
            m_name->selectAll();
            return;
        }
    }
    accept();
}
