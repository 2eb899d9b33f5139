#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class TBaseNameHint;
class TFirstRunLogic;

// The first-run dialog "Создайте новую базу и пользователя": a base and its first user.
class TNotParolForm : public QDialog {
    Q_OBJECT
public:
    explicit TNotParolForm(TFirstRunLogic& logic, QWidget* parent = nullptr);

    // Shows the dialog modally over a window; the outcome is the logic's.
    void ShowModalOver(QWidget* owner);

    QLineEdit* UserEdit() const { return m_user; }
    QLineEdit* BaseEdit() const { return m_base; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* ExitButton() const { return m_exit; }
    TBaseNameHint* BaseHint() const { return m_baseHint; }

private:
    void Accept();

    TFirstRunLogic& m_logic;
    QLineEdit* m_user;
    QLineEdit* m_base;
    QLineEdit* m_password;
    TBaseNameHint* m_baseHint;
    QPushButton* m_accept;
    QPushButton* m_exit;
};
