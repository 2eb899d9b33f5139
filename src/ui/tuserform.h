#pragma once

#include "storage/tprogrampaths.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

// The log-in dialog: the program's first and main window. Closing it ends the program.
class TUserForm : public QDialog {
    Q_OBJECT
public:
    // Creating the dialog settles where the books and the backup copies are.
    explicit TUserForm(TProgramPaths& paths, QWidget* parent = nullptr);

    QComboBox* NameBox() const { return m_names; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    TProgramPaths& m_paths;
    QComboBox* m_names;
    QLineEdit* m_password;
    QPushButton* m_accept;
    QPushButton* m_cancel;
};
