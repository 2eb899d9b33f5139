#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <functional>

class QPlainTextEdit;
class QPushButton;

// "Возможные неполадки": the report of the attribute checks, made afresh each time the dialog shows.
class TProblemsForm : public QDialog {
    Q_OBJECT
public:
    explicit TProblemsForm(std::function<QStringList()> report, QWidget* parent = nullptr);

    // Modal over the owner (the main window), with its font.
    void ShowOver(QWidget* owner);

    QPlainTextEdit* ReportView() const { return m_text; }
    QPushButton* OkButton() const { return m_ok; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FitLines(const QStringList& lines);

    std::function<QStringList()> m_report;
    QPointer<QWidget> m_owner;
    QPlainTextEdit* m_text;
    QPushButton* m_ok;
};
