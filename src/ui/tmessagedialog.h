#pragma once

#include "storage/tmessageboxclass.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// The program's own message box: its caption and buttons come from the kind, every line is a label
// of its own, and the layout is computed here rather than left to the style.
class TMessageDialog : public QDialog {
    Q_OBJECT
public:
    explicit TMessageDialog(const TMessage& message, QWidget* parent = nullptr);

    TMsgButton Clicked() const { return m_clicked; }
    bool OptionTicked() const;

    const QList<QLabel*>& LineLabels() const { return m_lines; }
    const QList<QPushButton*>& Buttons() const { return m_buttons; }
    QCheckBox* OptionBox() const { return m_option; }
    QPushButton* Button(TMsgButton button) const;

    // Places the box over the active window, or in the middle of the screen, and inside the screen.
    void PlaceOnScreen();

protected:
    void reject() override;

private:
    void Layout(const TMessage& message);
    int LayoutButtons(const TMessage& message, int width, int top, int buttonHeight);

    TMsgKind m_kind;
    TMsgButton m_clicked;
    QLabel* m_icon = nullptr;
    QList<QLabel*> m_lines;
    QList<QPushButton*> m_buttons;
    QList<TMsgButton> m_buttonKinds;
    QCheckBox* m_option = nullptr;
};
