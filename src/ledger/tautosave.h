#pragma once

#include "storage/fileerror.h"

#include <QObject>
#include <QTimer>

#include <functional>

class TMyType;

// Saves the open base by itself, so that a crash or a power cut loses at most the record being typed:
// about two seconds after a change of its tables is first seen, and when the window is left for
// another program. Typing never waits for it: a change only arms a timer, and the tables are looked
// at twice a second.
class TAutoSave : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 2000;
    static constexpr int kLookMs = 500;

    explicit TAutoSave(TMyType& state, QObject* parent = nullptr);

    // Whether the windows allow a save now (a base is open, no dialog or question is in the middle of
    // something that would change the base under the save). A save that may not run waits.
    std::function<bool()> canSaveNow;
    // Whether a message may come up now: not while a cell is being typed, whose keys it would take.
    std::function<bool()> canTellNow;

    // Looking for changes starts when a base is open and stops before it is closed or replaced.
    void Start();
    void Stop();
    bool Running() const { return m_look.isActive(); }
    bool Pending() const { return m_due.isActive(); }

    // The window lost the focus to another program: what changed is saved at once.
    void FocusLost();
    // Saves the changed tables now when the windows allow it; a failure is told once per run of
    // failures, as soon as no cell is being typed. True when nothing is left unsaved that may be saved:
    // a base open read-only is never saved.
    bool SaveIfChanged();

private:
    void Look();
    void TellIfQuiet();

    TMyType& m_state;
    TFileError m_untold; // a failure not yet told
    QTimer m_look;
    QTimer m_due;
};
