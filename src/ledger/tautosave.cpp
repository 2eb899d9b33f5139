#include "ledger/tautosave.h"

#include "ledger/basechanges.h"
#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"

TAutoSave::TAutoSave(TMyType& state, QObject* parent) : QObject(parent), m_state(state) {
    setObjectName(QStringLiteral("AutoSave"));
    m_look.setInterval(kLookMs);
    connect(&m_look, &QTimer::timeout, this, &TAutoSave::Look);
    m_due.setSingleShot(true);
    connect(&m_due, &QTimer::timeout, this, [this] {
        if (!SaveIfChanged() && m_look.isActive() && TBaseLoader::BaseModified(m_state))
            m_due.start(m_state.saveFailed ? kDelayMs * 15 : kLookMs); // wait for the windows, or retry later
    });
}

void TAutoSave::Start() {
    m_look.start();
}

void TAutoSave::Stop() {
    m_look.stop();
    m_due.stop();
}

void TAutoSave::Look() {
    TellIfQuiet();
    // The first change not yet saved sets the time; later ones ride along with it.
    if (!m_due.isActive() && MayChangeBase(m_state) && TBaseLoader::BaseModified(m_state))
        m_due.start(kDelayMs);
}

void TAutoSave::TellIfQuiet() {
    if (!m_untold.Failed() || (canTellNow && !canTellNow())) return;
    const TFileError error = m_untold;
    m_untold = TFileError();
    ReportSaveFailure(error);
}

void TAutoSave::FocusLost() {
    if (m_look.isActive() && SaveIfChanged()) m_due.stop();
}

bool TAutoSave::SaveIfChanged() {
    if (m_state.baseFolder.isEmpty() || !MayChangeBase(m_state) || !TBaseLoader::BaseModified(m_state))
        return true;
    if (canSaveNow && !canSaveNow()) return false;
    const bool failedBefore = m_state.saveFailed;
    TFileError error;
    if (TBaseLoader::SaveTables(m_state, &error)) {
        m_untold = TFileError();
        return true;
    }
    // Told once; the next save the user makes (the close, say) tells it again.
    if (!failedBefore) m_untold = error;
    TellIfQuiet();
    return false;
}
