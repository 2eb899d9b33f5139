#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

// The small input dialog: one page of fields per mode, "Принять" and "Отмена". It only collects the
// text; whoever opened it decides through a callback whether the text is taken (the dialog closes) or
// refused (the dialog stays open with the text selected for another try).
class THelperForm : public QDialog {
    Q_OBJECT
public:
    enum class TMode { None, KindName };

    explicit THelperForm(QWidget* parent = nullptr);

    // "Введите название вида расхода": the name of a new or renamed expense kind. Shown modal without
    // blocking the caller; `accept` runs on "Принять" and Enter.
    void AskKindName(std::function<bool(const QString& name)> accept);

    TMode Mode() const { return m_mode; }
    QLineEdit* NameEdit() const { return m_name; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    void OnAccept();
    void ShowMode(TMode mode, const QString& caption, QWidget* focus);

    TMode m_mode = TMode::None;
    QStackedWidget* m_pages;
    QWidget* m_kindPage;
    QLineEdit* m_name;
    QPushButton* m_accept;
    QPushButton* m_cancel;
    std::function<bool(const QString&)> m_onKindName;
};
