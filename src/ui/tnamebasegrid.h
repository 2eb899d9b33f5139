#pragma once

#include <QLineEdit>
#include <QTableWidget>

#include <functional>

class TBaseNameHint;

// The in-place editor of base names; what it refuses is shown by the grid's TBaseNameHint.
class TBaseNameEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TBaseNameEdit(QWidget* parent = nullptr);

Q_SIGNALS:
    // Enter (commit) or Esc (the stored name back), then the grid takes the focus.
    void Finished(bool revert);
    void FocusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// `NameBaseGrid` of the bases dialog: one column "Имя базы", a row per base and the empty row at the
// end. Its cells are edited in place by the name editor; what a name becomes is the caller's rule.
class TNameBaseGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TNameBaseGrid(QWidget* parent = nullptr);

    // Leaving an edited cell: true keeps the typed name, false undoes the edit.
    std::function<bool(int row, const QString& name)> commitName;

    // The rows, the current one kept where it can be.
    void SetNames(const QStringList& names);
    QStringList Names() const;
    // Starts editing a row with its name, all selected.
    void EditRow(int row);
    // Closes an open editor the way leaving it does.
    void CloseEditor();
    bool Editing() const;
    TBaseNameEdit* Editor() const { return m_editor; }
    TBaseNameHint* Hint() const { return m_hint; }

Q_SIGNALS:
    void DeleteRequested(int row);
    // An edit was committed or undone: the rows may have changed.
    void EditFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Open(int row, const QString& text, bool selectAll);
    // leaving: the editor closes whatever it holds (focus lost, another command); otherwise (Enter) a
    // name no base can have keeps it open for another try.
    void Finish(bool revert, bool leaving = true);
    void PlaceEditor();

    TBaseNameEdit* m_editor;
    TBaseNameHint* m_hint;
    int m_editRow = -1;
    QString m_stored;
    bool m_closing = false;
};
