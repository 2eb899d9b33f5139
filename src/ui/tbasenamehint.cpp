#include "ui/tbasenamehint.h"

#include "storage/tmessageboxclass.h"
#include "users/basefolders.h"

#include <QLineEdit>
#include <QTimer>
#include <QValidator>

#include <algorithm>

namespace {

// A validator sees pasted text as well as typed keys; the field tells of a refusal by inputRejected.
class TBaseNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (QChar c : input)
            if (IsRefusedInBaseName(c)) return Invalid;
        return Acceptable;
    }
};

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
    field->setValidator(new TBaseNameValidator(field));
    connect(field, &QLineEdit::inputRejected, this, &TBaseNameHint::Show);
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
