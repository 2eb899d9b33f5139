#include "ui/tbasenamehint.h"

#include "storage/tmessageboxclass.h"
#include "users/basefolders.h"

#include <QLineEdit>
#include <QTimer>

#include <algorithm>

namespace {

// The text an edit put in: what stands in the new text between the parts it shares with the old one.
QStringView Inserted(const QString& before, const QString& after) {
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return QStringView(after).mid(head, after.size() - head - tail);
}

} // namespace

TBaseNameHint::TBaseNameHint(QLineEdit* field, QWidget* parent, bool floating)
    : QLabel(kBadBaseNameCharacters, parent), m_field(field), m_timer(new QTimer(this)),
      m_floating(floating) {
    setObjectName(QStringLiteral("RefusedHint"));
    setStyleSheet(floating ? QStringLiteral("color: #c00000; background: #ffffe1; border: 1px solid #808080;")
                           : QStringLiteral("color: #c00000;"));
    hide();
    m_timer->setSingleShot(true);
    m_timer->setInterval(kBadBaseNameHintMs);
    connect(m_timer, &QTimer::timeout, this, &QWidget::hide);
    // Typed or pasted alike: an edit that brings a refused character in is told at once.
    connect(field, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QStringView in = Inserted(m_text, text);
        if (std::any_of(in.begin(), in.end(), [](QChar c) { return IsRefusedInBaseName(c); })) Show();
    });
    connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { m_text = text; });
}

void TBaseNameHint::Show() {
    if (!m_floating) {
        Messages().Beep();
        show();
        m_timer->start();
        return;
    }
    ShowUnder(QRect(m_field->mapTo(parentWidget(), QPoint(0, 0)), m_field->size()));
}

void TBaseNameHint::ShowUnder(const QRect& area) {
    Messages().Beep();
    if (m_floating) {
        adjustSize();
        int y = area.bottom() + 1 + 2;
        if (y + height() > parentWidget()->height()) y = area.top() - 2 - height();
        move(std::max(0, std::min(area.left(), parentWidget()->width() - width())), std::max(0, y));
        raise();
    }
    show();
    m_timer->start();
}

bool TBaseNameHint::Accepts(const QString& name) {
    if (CheckBaseName(name) != TBaseNameCheck::BadCharacters) return true;
    Show();
    m_field->setFocus();
    return false;
}
