#include "ui/tcelldateedit.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");

bool IsDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Day, month and year as far as they are typed: up to two digits, a dot, up to two digits, a dot, up
// to four digits. A part may be empty while it is being typed over.
bool HasDateShape(const QString& text) {
    int part = 0;
    int digits = 0;
    for (QChar c : text) {
        if (IsDigit(c)) {
            if (++digits > (part == 2 ? 4 : 2)) return false;
        } else if (c == u'.') {
            if (++part > 2) return false;
            digits = 0;
        } else {
            return false;
        }
    }
    return true;
}

// A digit typed after the day's or the month's second digit starts the next part.
bool WantsDot(const QString& before) {
    const qsizetype dot = before.lastIndexOf(u'.');
    const QString tail = before.mid(dot + 1);
    return tail.size() == 2 && before.count(u'.') < 2;
}

} // namespace

TCellDateEdit::TCellDateEdit(QWidget* parent) : QDateEdit(parent) {
    setDisplayFormat(kFormat);
    setCalendarPopup(true);
    // The date field reads its text again whenever the caret crosses from the day to the month or the
    // year, and puts its last whole date back over one it cannot read: the caret moves freely here.
    disconnect(lineEdit(), &QLineEdit::cursorPositionChanged, this, nullptr);
}

void TCellDateEdit::ShowTyped(const QString& text) {
    lineEdit()->setText(text);
    SelectWhole();
}

void TCellDateEdit::SelectWhole() {
    lineEdit()->selectAll();
}

QValidator::State TCellDateEdit::validate(QString& input, int&) const {
    if (!HasDateShape(input)) return QValidator::Invalid;
    return QDate::fromString(input, kFormat).isValid() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TCellDateEdit::fixup(QString&) const {}

QDateTime TCellDateEdit::dateTimeFromText(const QString& text) const {
    const QDate date = QDate::fromString(text, kFormat);
    return date.isValid() ? QDateTime(date, time()) : dateTime();
}

void TCellDateEdit::keyPressEvent(QKeyEvent* event) {
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const QString t = event->text();
    QLineEdit* line = lineEdit();
    if (plain && t.size() == 1 && (IsDigit(t[0]) || t[0] == u'.' || t[0] == u',')) {
        if (line->hasSelectedText()) line->del();
        const int caret = line->cursorPosition();
        const QString before = line->text().left(caret);
        const bool atEnd = caret == line->text().size();
        if (IsDigit(t[0]) && atEnd && WantsDot(before))
            line->insert(QStringLiteral(".") + t);
        else
            line->insert(IsDigit(t[0]) ? t : QStringLiteral("."));
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        // Plain editing of the text, not of the date's sections.
        QAbstractSpinBox::keyPressEvent(event);
        return;
    default:
        QDateEdit::keyPressEvent(event);
    }
}

void TCellDateEdit::focusOutEvent(QFocusEvent* event) {
    // The field would put its last whole date back over a day being typed: what was typed stays until
    // the commit has read it.
    const QString typed = lineEdit()->text();
    QDateEdit::focusOutEvent(event);
    if (lineEdit()->text() != typed) lineEdit()->setText(typed);
}
