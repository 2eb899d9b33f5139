#include "ui/tmessagedialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int kMargin = 10;

QStyle::StandardPixmap IconOf(TMsgKind kind) {
    switch (kind) {
    case TMsgKind::Information:
        return QStyle::SP_MessageBoxInformation;
    case TMsgKind::Error:
        return QStyle::SP_MessageBoxCritical;
    case TMsgKind::Question:
        return QStyle::SP_MessageBoxQuestion;
    case TMsgKind::Warning:
        return QStyle::SP_MessageBoxWarning;
    }
    return QStyle::SP_MessageBoxInformation;
}

} // namespace

TMessageDialog::TMessageDialog(const TMessage& message, QWidget* parent)
    : QDialog(parent), m_kind(message.kind),
      m_clicked(message.kind == TMsgKind::Question ? TMsgButton::No : TMsgButton::OK) {
    setWindowTitle(MessageCaption(message.kind));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Layout(message);
}

QPushButton* TMessageDialog::Button(TMsgButton button) const {
    const int i = m_buttonKinds.indexOf(button);
    return i >= 0 ? m_buttons[i] : nullptr;
}

bool TMessageDialog::OptionTicked() const {
    return m_option && m_option->isChecked();
}

void TMessageDialog::reject() {
    // Closing a question by its frame or Esc is never a "Да".
    m_clicked = m_kind == TMsgKind::Question ? TMsgButton::No : TMsgButton::OK;
    QDialog::reject();
}

void TMessageDialog::Layout(const TMessage& message) {
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    m_icon = new QLabel(this);
    m_icon->setPixmap(style()->standardIcon(IconOf(message.kind), nullptr, this).pixmap(iconSize, iconSize));
    m_icon->setGeometry(kMargin, kMargin, iconSize, iconSize);

    const QFontMetrics fm(font());
    const int lineHeight = fm.height();
    const int textLeft = iconSize + 2 * kMargin;
    int widest = 0;
    int y = kMargin;
    for (int i = 0; i < message.lines.size(); ++i) {
        auto* label = new QLabel(message.lines[i], this);
        label->setTextFormat(Qt::PlainText);
        const int w = fm.horizontalAdvance(message.lines[i]) + 2;
        widest = std::max(widest, w);
        label->setGeometry(textLeft, y, w, lineHeight);
        m_lines.append(label);
        y += lineHeight + 1;
    }
    const int textBottom = message.lines.isEmpty() ? kMargin : y - 1;
    int width = std::max(2 * iconSize + widest, textLeft + widest + kMargin);

    int buttonsTop = textBottom + (message.lines.size() <= 2 ? 30 : 10);
    if (message.withOption) {
        m_option = new QCheckBox(MessageOptionText(), this);
        m_option->setFont(QApplication::font());
        m_option->adjustSize();
        const int optionTop = textBottom + 20;
        m_option->move(textLeft, optionTop);
        width = std::max(width, textLeft + m_option->width() + kMargin);
        buttonsTop = optionTop + m_option->height() + 10;
    }

    const int buttonHeight = lineHeight * 5 / 3;
    width = LayoutButtons(message, width, buttonsTop, buttonHeight);
    setFixedSize(width, buttonsTop + buttonHeight + kMargin);
}

// The row of buttons, centred; returns the dialog's width, widened for the row when needed.
int TMessageDialog::LayoutButtons(const TMessage& message, int width, int top, int buttonHeight) {
    const QFontMetrics fm(font());
    if (message.kind == TMsgKind::Question)
        m_buttonKinds = {TMsgButton::Yes, TMsgButton::No};
    else if (!message.yesText.isEmpty())
        m_buttonKinds = {TMsgButton::Yes, TMsgButton::OK};
    else
        m_buttonKinds = {TMsgButton::OK};
    int buttonWidth = 75;
    for (TMsgButton b : m_buttonKinds)
        buttonWidth = std::max(buttonWidth, fm.horizontalAdvance(MessageButtonText(message, b)) + 24);
    const int gap = buttonWidth / 3;
    const int count = int(m_buttonKinds.size());
    const int rowWidth = count * buttonWidth + (count - 1) * gap;
    width = std::max(width, rowWidth + 2 * kMargin);
    int x = (width - rowWidth) / 2;
    for (TMsgButton b : m_buttonKinds) {
        auto* button = new QPushButton(MessageButtonText(message, b), this);
        button->setGeometry(x, top, buttonWidth, buttonHeight);
        button->setAutoDefault(true);
        connect(button, &QPushButton::clicked, this, [this, b] {
            m_clicked = b;
            accept();
        });
        m_buttons.append(button);
        x += buttonWidth + gap;
    }
    TMsgButton wanted = message.defaultButton;
    if (!m_buttonKinds.contains(wanted)) wanted = m_buttonKinds.first();
    QPushButton* def = Button(wanted);
    def->setDefault(true);
    def->setFocus();
    return width;
}

void TMessageDialog::PlaceOnScreen() {
    QWidget* over = QApplication::activeWindow();
    QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QPoint centre = (over && over->isVisible()) ? over->frameGeometry().center() : area.center();
    QRect r(QPoint(0, 0), size());
    r.moveCenter(centre);
    r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() - r.width())));
    r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() - r.height())));
    move(r.topLeft());
}
