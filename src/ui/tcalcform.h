#pragma once

#include "output/platformcalculator.h"
#include "output/tcalcengine.h"

#include <QDialog>

#include <array>
#include <functional>

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// The program's own calculator: a display over 24 keys, the state in a TCalcEngine. Created once and
// shown modally; every opening starts afresh, the memory included.
class TCalcForm : public QDialog {
    Q_OBJECT
public:
    // Waits while a key is shown highlighted; the real one paints the window and sleeps.
    using TPause = std::function<void(int ms)>;

    explicit TCalcForm(QWidget* parent = nullptr);

    // Shows the window centred over `over` (or where it is, without one) and returns when it closes.
    void OpenOver(QWidget* over);

    QLineEdit* Edit() const { return m_edit; }
    QLabel* MemoryPanel() const { return m_panel; }
    QFrame* Frame() const { return m_frame; }
    // Key 0 exists but is never shown: its cell holds the memory panel.
    QPushButton* Key(int number) const { return m_keys.at(number); }
    const TCalcEngine& Engine() const { return m_engine; }
    void SetPause(TPause pause) { m_pause = std::move(pause); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildKeys();
    bool HandleKey(QKeyEvent* event);
    void Act(int key, int flashes);
    void ShowState();

    TCalcEngine m_engine;
    TPause m_pause;
    QFrame* m_frame;
    QLineEdit* m_edit;
    QLabel* m_panel;
    std::array<QPushButton*, CalcKeyCount> m_keys{};
};

// The calculator command: the desktop's calculator when one starts, else this window over the main one.
void OpenCalculator(TCalcForm& form, QWidget* mainWindow, const TProgramStarter& start = {});
