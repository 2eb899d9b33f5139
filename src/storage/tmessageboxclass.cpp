#include "storage/tmessageboxclass.h"

#include <cstdio>

QString MessageCaption(TMsgKind kind) {
    switch (kind) {
    case TMsgKind::Information:
        return QStringLiteral("   Сообщение");
    case TMsgKind::Error:
        return QStringLiteral("  Ошибка");
    case TMsgKind::Question:
        return QStringLiteral("   Подтвердите");
    case TMsgKind::Warning:
        return QStringLiteral("   Предупреждение");
    }
    return {};
}

QString MessageButtonText(TMsgButton button) {
    switch (button) {
    case TMsgButton::OK:
        return QStringLiteral("OK");
    case TMsgButton::Yes:
        return QStringLiteral("Да");
    case TMsgButton::No:
        return QStringLiteral("Нет");
    }
    return {};
}

QString MessageButtonText(const TMessage& message, TMsgButton button) {
    if (button == TMsgButton::Yes && !message.yesText.isEmpty()) return message.yesText;
    if (button == TMsgButton::No && !message.noText.isEmpty()) return message.noText;
    return MessageButtonText(button);
}

QString MessageOptionText() {
    return QStringLiteral("Понятно. Больше не показывать это сообщение");
}

namespace {

// Used before any window exists and by headless tools: the box goes to stderr and takes its default.
class TConsolePresenter final : public IMessagePresenter {
public:
    TMsgButton Present(const TMessage& message, bool* optionTicked) override {
        std::fprintf(stderr, "%s\n", qPrintable(MessageCaption(message.kind).trimmed()));
        for (const QString& line : message.lines)
            std::fprintf(stderr, "  %s\n", qPrintable(line));
        if (optionTicked) *optionTicked = false;
        return message.defaultButton;
    }
    void Beep() override {}
    void ShowCellHint(int, int, int, const QString&) override {}
};

TConsolePresenter g_console;

} // namespace

TMessageBoxClass& Messages() {
    static TMessageBoxClass instance;
    return instance;
}

IMessagePresenter* TMessageBoxClass::SetPresenter(IMessagePresenter* presenter) {
    IMessagePresenter* previous = m_presenter;
    m_presenter = presenter;
    return previous;
}

static IMessagePresenter& Target(IMessagePresenter* p) {
    return p ? *p : g_console;
}

void TMessageBoxClass::ShowInfo(const QStringList& lines, TMsgButton defaultButton) {
    Target(m_presenter).Present({TMsgKind::Information, lines, defaultButton, false}, nullptr);
}

void TMessageBoxClass::ShowError(const QStringList& lines, TMsgButton defaultButton) {
    Target(m_presenter).Present({TMsgKind::Error, lines, defaultButton, false}, nullptr);
}

bool TMessageBoxClass::AskYesNo(const QStringList& lines, TMsgButton defaultButton) {
    return Target(m_presenter).Present({TMsgKind::Question, lines, defaultButton, false}, nullptr) ==
           TMsgButton::Yes;
}

bool TMessageBoxClass::AskChoice(const QStringList& lines, const QString& yesText, const QString& noText,
                                 TMsgButton defaultButton) {
    TMessage message{TMsgKind::Question, lines, defaultButton, false};
    message.yesText = yesText;
    message.noText = noText;
    return Target(m_presenter).Present(message, nullptr) == TMsgButton::Yes;
}

bool TMessageBoxClass::ShowInfoWithAction(const QStringList& lines, const QString& actionText) {
    TMessage message{TMsgKind::Information, lines, TMsgButton::OK, false};
    message.yesText = actionText;
    return Target(m_presenter).Present(message, nullptr) == TMsgButton::Yes;
}

bool TMessageBoxClass::ShowInfoWithOption(const QStringList& lines, TMsgButton defaultButton) {
    bool ticked = false;
    Target(m_presenter).Present({TMsgKind::Information, lines, defaultButton, true}, &ticked);
    return ticked;
}

void TMessageBoxClass::Beep() {
    Target(m_presenter).Beep();
}

void TMessageBoxClass::ShowCellHint(int gridId, int col, int row, const QString& text) {
    Target(m_presenter).ShowCellHint(gridId, col, row, text);
}
