#pragma once

#include "money/tcleartables.h"

#include <QDialog>
#include <QList>

#include <functional>

class QCheckBox;
class QDateEdit;
class QPushButton;

// The dialog "Очистить таблицы": the period, the tables to clear and whether the purses get back
// what the removed records moved. The table check boxes keep their state from one opening to the
// next; the dates and "Пересчитать сумму в кошельке" start afresh each time.
class TClearTablesForm : public QDialog {
    Q_OBJECT
public:
    explicit TClearTablesForm(QWidget* parent = nullptr);

    // Shows the dialog and waits. The request is set from the dialog when "Принять" was pressed,
    // and `accepted` is called then, before the dialog closes (the dialog closes whatever it does).
    void Run(QWidget* over, const std::function<void(const TClearRequest&)>& accepted);

    // Sets the fields as each opening does (Run does this first).
    void Reopen();
    TClearRequest Request() const;

    QDateEdit* FromDate() const { return m_from; }
    QDateEdit* ToDate() const { return m_to; }
    // "Таблица расходов" ... "Таблица переноса денег", in the list's order.
    const QList<QCheckBox*>& TableBoxes() const { return m_tables; }
    QCheckBox* RecalcBox() const { return m_recalc; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    QDateEdit* m_from;
    QDateEdit* m_to;
    QList<QCheckBox*> m_tables;
    QCheckBox* m_recalc;
    QPushButton* m_accept;
    QPushButton* m_cancel;
    std::function<void(const TClearRequest&)> m_onAccept;
};
