#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// The kinds of the program's message boxes. Captions and buttons belong to the kind.
enum class TMsgKind { Information, Error, Question, Warning };
enum class TMsgButton { OK, Yes, No };

struct TMessage {
    TMsgKind kind = TMsgKind::Information;
    QStringList lines;
    TMsgButton defaultButton = TMsgButton::OK;
    bool withOption = false; // the "do not show again" check box under the text
    // A question whose two buttons offer something else than "Да" and "Нет": their captions. An
    // information box with a yesText offers that as a button before its "OK".
    QString yesText = {};
    QString noText = {};
};

QString MessageCaption(TMsgKind kind);
QString MessageButtonText(TMsgButton button);
// The caption of a button of this box: its own, or the kind's.
QString MessageButtonText(const TMessage& message, TMsgButton button);
QString MessageOptionText();

// Where boxes, beeps and cell hints end up: the real dialogs in the program, a recorder in tests.
class IMessagePresenter {
public:
    virtual ~IMessagePresenter() = default;
    // Shows the box modally and returns the button that closed it; closing the box any other way
    // gives TMsgButton::No for a question. optionTicked receives the state of the check box.
    virtual TMsgButton Present(const TMessage& message, bool* optionTicked) = 0;
    virtual void Beep() = 0;
    // A short note at a grid cell that disappears by itself.
    virtual void ShowCellHint(int gridId, int col, int row, const QString& text) = 0;
};

// The one process-wide message-box object. Logic reports every failure a user can act on through it
// and never builds a dialog itself.
class TMessageBoxClass {
public:
    void ShowInfo(const QStringList& lines, TMsgButton defaultButton = TMsgButton::OK);
    void ShowError(const QStringList& lines, TMsgButton defaultButton = TMsgButton::OK);
    // True only when "Да" is chosen.
    bool AskYesNo(const QStringList& lines, TMsgButton defaultButton);
    // A question between two things to do, its buttons captioned by them; true only for the first.
    bool AskChoice(const QStringList& lines, const QString& yesText, const QString& noText,
                   TMsgButton defaultButton);
    // An information box with a button for something to do beside its "OK"; true when that was chosen.
    bool ShowInfoWithAction(const QStringList& lines, const QString& actionText);
    // The information box with "Понятно. Больше не показывать это сообщение"; returns the check box state.
    bool ShowInfoWithOption(const QStringList& lines, TMsgButton defaultButton = TMsgButton::OK);
    void Beep();
    void ShowCellHint(int gridId, int col, int row, const QString& text);

    // Replaces the presenter; returns the previous one so a test can put it back.
    IMessagePresenter* SetPresenter(IMessagePresenter* presenter);
    IMessagePresenter* Presenter() const { return m_presenter; }

private:
    IMessagePresenter* m_presenter = nullptr;
};

TMessageBoxClass& Messages();
