#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class TPasswordDialogLogic;

// The small input dialog: one page of fields per mode, "Принять" and "Отмена". It only collects the
// text; whoever opened it decides whether the text is taken (the dialog closes) or refused (the
// dialog stays open with a field selected for another try).
class THelperForm : public QDialog {
    Q_OBJECT
public:
    enum class TMode { None, KindName, ChangePassword, NewUserPassword };

    explicit THelperForm(QWidget* parent = nullptr);

    // "Введите название вида расхода": the name of a new or renamed expense kind. Shown modal without
    // blocking the caller; `accept` runs on "Принять" and Enter.
    void AskKindName(std::function<bool(const QString& name)> accept);
    // "Введите пароль": the password of a row of the users grid's table, changed by the password
    // rules. Returns once the dialog has closed.
    void AskPasswordChange(TPasswordDialogLogic& logic, int userRow);
    // "Задайте пароль для нового пользователя": the password of a user just typed into the users
    // grid. Returns once the dialog has closed; "Отмена" leaves the password empty.
    void AskNewUserPassword(TPasswordDialogLogic& logic, int userRow);

    TMode Mode() const { return m_mode; }
    QLineEdit* NameEdit() const { return m_name; }
    QLineEdit* OldPasswordEdit() const { return m_oldPassword; }
    QLineEdit* NewPasswordEdit() const { return m_newPassword; }
    QLineEdit* ConfirmationEdit() const { return m_confirmation; }
    QLineEdit* NewUserPasswordEdit() const { return m_userPassword; }
    QLineEdit* NewUserConfirmationEdit() const { return m_userConfirmation; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

public Q_SLOTS:
    void reject() override;

private:
    void OnAccept();
    void ShowPage(QWidget* page);
    void ShowMode(TMode mode, const QString& caption, QWidget* focus);
    void Prepare(TMode mode, QWidget* page, const QString& caption, QLineEdit* focus);
    QLineEdit* AddPasswordField(QWidget* page, const QString& label, const QString& name);

    TMode m_mode = TMode::None;
    QWidget* m_kindPage;
    QWidget* m_changePage;
    QWidget* m_newUserPage;
    QLineEdit* m_name;
    QLineEdit* m_oldPassword;
    QLineEdit* m_newPassword;
    QLineEdit* m_confirmation;
    QLineEdit* m_userPassword;
    QLineEdit* m_userConfirmation;
    QPushButton* m_accept;
    QPushButton* m_cancel;
    std::function<bool(const QString&)> m_onKindName;
    TPasswordDialogLogic* m_passwords = nullptr;
};
