#include "messagerecorder.h"

#include <ostream>

TMessageRecorder::TMessageRecorder() : m_previous(Messages().SetPresenter(this)) {}

TMessageRecorder::~TMessageRecorder() {
    Messages().SetPresenter(m_previous);
}

void TMessageRecorder::Reset() {
    m_answers.clear();
    m_boxes.clear();
    m_hints.clear();
    m_beeps = 0;
    m_tickNext = false;
}

TMsgButton TMessageRecorder::Present(const TMessage& message, bool* optionTicked) {
    m_boxes.push_back(message);
    if (optionTicked) {
        *optionTicked = m_tickNext;
        m_tickNext = false;
    }
    if (m_answers.empty()) return message.defaultButton;
    const TMsgButton answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void TMessageRecorder::ShowCellHint(int gridId, int col, int row, const QString& text) {
    m_hints.push_back({gridId, col, row, text});
}

static const char* KindName(TMsgKind k) {
    switch (k) {
    case TMsgKind::Information:
        return "Information";
    case TMsgKind::Error:
        return "Error";
    case TMsgKind::Question:
        return "Question";
    case TMsgKind::Warning:
        return "Warning";
    }
    return "?";
}

void PrintTo(const TMessage& m, std::ostream* os) {
    *os << KindName(m.kind) << " [default " << MessageButtonText(m.defaultButton).toStdString() << "]";
    if (m.withOption) *os << " with option";
    if (!m.yesText.isEmpty() || !m.noText.isEmpty())
        *os << " buttons «" << m.yesText.toStdString() << "» «" << m.noText.toStdString() << "»";
    for (const QString& l : m.lines)
        *os << "\n    | " << l.toStdString();
}

bool operator==(const TMessage& a, const TMessage& b) {
    return a.kind == b.kind && a.lines == b.lines && a.defaultButton == b.defaultButton &&
           a.withOption == b.withOption && a.yesText == b.yesText && a.noText == b.noText;
}

TMessage Info(const QStringList& lines) {
    return {TMsgKind::Information, lines, TMsgButton::OK, false};
}
TMessage Error(const QStringList& lines) {
    return {TMsgKind::Error, lines, TMsgButton::OK, false};
}
TMessage InfoWithAction(const QStringList& lines, const QString& actionText) {
    TMessage message{TMsgKind::Information, lines, TMsgButton::OK, false};
    message.yesText = actionText;
    return message;
}
TMessage Question(const QStringList& lines, TMsgButton defaultButton) {
    return {TMsgKind::Question, lines, defaultButton, false};
}
TMessage Choice(const QStringList& lines, const QString& yesText, const QString& noText,
                TMsgButton defaultButton) {
    TMessage message{TMsgKind::Question, lines, defaultButton, false};
    message.yesText = yesText;
    message.noText = noText;
    return message;
}
