#pragma once

#include "analysis/tanalysis.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Выберите наименования расходов для анализа": a check box per expense kind and per name, built
// afresh from the expense kinds list with every box checked. Which box follows which is TNameSelection's.
class TNameSelectForm : public QDialog {
    Q_OBJECT
public:
    TNameSelectForm(const TMemTable& kindsList, const QString& programFolder, QWidget* parent = nullptr);

    const TNameSelection& Selection() const { return m_selection; }
    // Closed by its frame rather than by "Отмена".
    bool ClosedByFrame() const { return m_closedByFrame; }

    QListWidget* KindsView() const { return m_kinds; }
    QListWidget* NamesView() const { return m_names; }
    QPushButton* ClearAllButton() const { return m_clearAll; }
    QPushButton* CheckAllButton() const { return m_checkAll; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ItemChanged(QListWidgetItem* item);
    // The boxes as the selection holds them.
    void ShowSelection();

    TNameSelection m_selection;
    bool m_closedByFrame = false;
    bool m_showing = false;
    QListWidget* m_kinds;
    QListWidget* m_names;
    QPushButton* m_clearAll;
    QPushButton* m_checkAll;
    QPushButton* m_accept;
    QPushButton* m_cancel;
};
