#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// "Введите имя восстановленной базы": the name a restored archive gets as a new base. Characters a
// folder name must not have are refused as they are typed, with a beep and a short hint.
class TArhiveNameForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHintMs = 1000;

    explicit TArhiveNameForm(QWidget* parent = nullptr);

    // Shows the dialog with "Новое имя базы" selected; the typed name, or none for "Отмена".
    std::optional<QString> Ask();

    QLineEdit* NameEdit() const { return m_name; }
    QLabel* Hint() const { return m_hint; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_name;
    QLabel* m_hint;
    QPushButton* m_accept;
    QPushButton* m_cancel;
    QTimer* m_hintTimer;
};
