#pragma once

#include "money/tfilters.h"

#include <QDialog>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The dialog "Фильтровать...": the custom filter's dates, sums, kind, name, purse and user. Made
// once; every opening starts from what the filter rules set up for the table.
class TFilterForm : public QDialog {
    Q_OBJECT
public:
    explicit TFilterForm(QWidget* parent = nullptr);

    // Fills the fields from the setup, shows the dialog centred over `over` and waits. True for
    // "Принять", with the fields as typed; false for "Отмена" or any other way of closing it.
    bool Run(const TFilterDialogSetup& setup, QWidget* over, TFilterDialogFields* fields);

    // Shows the fields for a table without waiting (Run does this first).
    void Prepare(const TFilterDialogSetup& setup);
    TFilterDialogFields Fields() const;

    QDateEdit* DateS() const { return m_dateS; }
    QDateEdit* DateDo() const { return m_dateDo; }
    QLineEdit* SumEditS() const { return m_sumS; }
    QLineEdit* SumEditDo() const { return m_sumDo; }
    QLineEdit* VidEdit() const { return m_vid; }
    QLineEdit* NameEdit() const { return m_name; }
    QLineEdit* PurseEdit() const { return m_purse; }
    QLineEdit* UserEdit() const { return m_user; }
    QLabel* VidLabel() const { return m_vidLabel; }
    QLabel* NameLabel() const { return m_nameLabel; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    QDateEdit* m_dateS;
    QDateEdit* m_dateDo;
    QLineEdit* m_sumS;
    QLineEdit* m_sumDo;
    QLineEdit* m_vid;
    QLineEdit* m_name;
    QLineEdit* m_purse;
    QLineEdit* m_user;
    QLabel* m_vidLabel;
    QLabel* m_nameLabel;
    QPushButton* m_accept;
    QPushButton* m_cancel;
};
