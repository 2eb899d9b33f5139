#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class TBaseLocation;
struct TProgramPaths;

// "Настройки": where the bases and the daily copies are kept. Shown without blocking while its owner,
// the main window, is disabled; "Сохранить" hands the two folders to the base location logic, which
// judges them as Linux paths. The fields take whatever is typed: "/" and "." make a path there, and
// every other printable character may stand in a folder name.
class TSettingsForm : public QDialog {
    Q_OBJECT
public:
    TSettingsForm(TBaseLocation& location, const TProgramPaths& paths, QWidget* parent = nullptr);

    // Disables the owner and shows the dialog centred over it; closing the dialog in any way enables
    // the owner again.
    void ShowOver(QWidget* owner);

    QLineEdit* BasePathEdit() const { return m_basePath; }
    QLineEdit* BaseCopyPathEdit() const { return m_copyPath; }
    QPushButton* BaseButton() const { return m_baseButton; }
    QPushButton* CopyButton() const { return m_copyButton; }
    QPushButton* SaveButton() const { return m_save; }

    // The folder picker, given the starting folder; an empty result means cancelled.
    std::function<QString(QWidget* parent, const QString& start)> pickFolder;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Pick(QLineEdit* field, const QString& start);
    void Save();
    void LayOut();

    TBaseLocation& m_location;
    const TProgramPaths& m_paths;
    QPointer<QWidget> m_owner;
    QLabel* m_baseLabel;
    QLabel* m_copyLabel;
    QLineEdit* m_basePath;
    QLineEdit* m_copyPath;
    QPushButton* m_baseButton;
    QPushButton* m_copyButton;
    QPushButton* m_save;
};
