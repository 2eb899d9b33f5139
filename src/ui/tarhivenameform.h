#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;
class TBaseNameHint;

// "Введите имя восстановленной базы": the name a restored archive gets as a new base. Characters a
// base name never takes are refused as they are typed, with a beep and a short hint, and so is a name
// no base can have, the dialog staying open for another try.
class TArhiveNameForm : public QDialog {
    Q_OBJECT
public:
    explicit TArhiveNameForm(QWidget* parent = nullptr);

    // Shows the dialog with "Новое имя базы" selected; the typed name, or none for "Отмена".
    std::optional<QString> Ask();

    QLineEdit* NameEdit() const { return m_name; }
    TBaseNameHint* Hint() const { return m_hint; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    QLineEdit* m_name;
    TBaseNameHint* m_hint;
    QPushButton* m_accept;
    QPushButton* m_cancel;
};
