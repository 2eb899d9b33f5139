#pragma once

#include "storage/tmessageboxclass.h"

#include <QString>
#include <QStringList>

#include "qtprint.h"

#include <deque>
#include <vector>

// Stands in for the message boxes while it lives: records every box, beep and cell hint, and answers
// questions from a script (or with the box's default button when the script is empty).
class TMessageRecorder final : public IMessagePresenter {
public:
    struct Hint {
        int gridId, col, row;
        QString text;
    };

    TMessageRecorder();
    ~TMessageRecorder() override;

    // The next boxes are closed with these buttons, in order.
    void Answer(TMsgButton button) { m_answers.push_back(button); }
    void AnswerYes() { Answer(TMsgButton::Yes); }
    void AnswerNo() { Answer(TMsgButton::No); }
    // The next option box comes back with its check box ticked.
    void TickOption() { m_tickNext = true; }

    const std::vector<TMessage>& Boxes() const { return m_boxes; }
    const std::vector<Hint>& Hints() const { return m_hints; }
    int Beeps() const { return m_beeps; }
    void Reset();

    TMsgButton Present(const TMessage& message, bool* optionTicked) override;
    void Beep() override { ++m_beeps; }
    void ShowCellHint(int gridId, int col, int row, const QString& text) override;

private:
    IMessagePresenter* m_previous;
    std::deque<TMsgButton> m_answers;
    std::vector<TMessage> m_boxes;
    std::vector<Hint> m_hints;
    int m_beeps = 0;
    bool m_tickNext = false;
};

// Readable failure output for messages in assertions.
void PrintTo(const TMessage& message, std::ostream* os);
bool operator==(const TMessage& a, const TMessage& b);

TMessage Info(const QStringList& lines);
TMessage Error(const QStringList& lines);
TMessage Question(const QStringList& lines, TMsgButton defaultButton);
// An information box offering something to do beside its "OK".
TMessage InfoWithAction(const QStringList& lines, const QString& actionText);
// A question whose buttons are captioned by what they do.
TMessage Choice(const QStringList& lines, const QString& yesText, const QString& noText,
                TMsgButton defaultButton);
