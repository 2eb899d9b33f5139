#include "ui/tuserform.h"

#include "storage/datafolders.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TUserForm::TUserForm(TProgramPaths& paths, QWidget* parent)
    : QDialog(parent), m_paths(paths), m_names(new QComboBox(this)), m_password(new QLineEdit(this)),
      m_accept(new QPushButton(QStringLiteral("Принять"), this)),
      m_cancel(new QPushButton(QStringLiteral("Отмена"), this)) {
    setWindowTitle(QStringLiteral("Войти"));
    m_paths.dataRoot = ResolveDataRoot(m_paths.programDataFolder);
    m_paths.backupCopyFolder = ResolveBackupCopyFolder(m_paths.programDataFolder);
    PrepareTemplateFolders(m_paths.programFolder, m_paths.programDataFolder);

    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMinimumWidth(220);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Пользователь"), m_names);
    form->addRow(QStringLiteral("Пароль"), m_password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    m_accept->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_password->setFocus();
}
