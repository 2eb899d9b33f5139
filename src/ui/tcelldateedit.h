#pragma once

#include <QDateEdit>

class QFocusEvent;
class QKeyEvent;

// The date picker of the grids. What is typed stands in the field as typed, "dd.MM.yyyy" or with one
// digit for the day or the month, until the commit reads it: the field never turns a day the month does
// not have into another day, nor a typed month into the year. The dots come by themselves after two
// digits of the day and of the month. The calendar drops down as a date field's does.
class TCellDateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit TCellDateEdit(QWidget* parent = nullptr);

    // Shows a typed text (one refused, to be put right) in place of the date, all selected.
    void ShowTyped(const QString& text);
    // The whole text selected, so that what is typed replaces it.
    void SelectWhole();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    QDateTime dateTimeFromText(const QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
