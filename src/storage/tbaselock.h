#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace baselock {
// The file a program keeps in the folder of the base it has open, for as long as it has it open. It is
// never packed into an archive, taken from one or copied with the bases.
inline const QString kFileName = QStringLiteral("blokirovka");
// A lock another computer has not refreshed for this long was left by a program that is gone.
inline constexpr qint64 kAbandonedAfterSeconds = 120;
// How often the program that has a base open writes its lock again.
inline constexpr int kRefreshMs = 30000;
} // namespace baselock

bool IsBaseLockName(const QString& fileName);

// The program that has a base open, as its lock names it.
struct TBaseLockOwner {
    QString user;        // the user logged in to the base
    QString host;        // the computer's name, as the family knows it
    QString machine;     // the computer's machine id: two computers of one name stay apart
    qint64 pid = 0;      // the program's process
    quint64 started = 0; // when that process started (clock ticks after boot): a pid used again is another
    QDateTime opened;    // UTC: since when the base is open
    QDateTime refreshed; // UTC: when the lock was last written
};

// "<пользователь>, компьютер <имя>, с dd.MM.yyyy HH:mm" (local time), as the program's messages name
// the holder of a base.
QString LockOwnerText(const TBaseLockOwner& owner);

// What the lock in a base folder means for this program.
enum class TBaseLockState {
    Free,       // no lock: no program has the base open
    Own,        // this program's own lock
    Held,       // another program has the base open: it runs, or refreshed its lock lately
    Abandoned,  // the program that left the lock is gone: the lock may be taken over
    Unreadable, // the folder cannot be looked into: no lock can be kept there
};

struct TBaseLockLook {
    TBaseLockState state = TBaseLockState::Free;
    // Whether the file named its owner. A file that cannot be read or makes no sense names nobody and
    // is judged by its age alone.
    bool named = false;
    TBaseLockOwner owner;
};

// The lock of a base folder judged: on this computer by whether the process it names still runs,
// from another computer by whether it was refreshed within kAbandonedAfterSeconds.
TBaseLockLook LookAtBaseLock(const QString& baseFolder);
// The folder's lock is another program's that runs: nothing but that program may write the base.
bool BaseHeldElsewhere(const QString& baseFolder, TBaseLockLook* found = nullptr);

// The lock of the base this program has open: taken when the base opens, written again every
// kRefreshMs while it stays open, removed when it closes. A program that opened a base read-only holds
// nothing and never writes nor removes another's lock.
class TBaseLock {
public:
    enum class TTake {
        Taken,     // the lock is this program's: the base may be written
        TakenOver, // the same, from a program that is gone (named in found)
        Held,      // another program has the base open (named in found): it opens read-only
        NotKept,   // no lock can be kept in the folder (it cannot be read or written): it opens without
    };

    TBaseLock() = default;
    ~TBaseLock() { Release(); }
    TBaseLock(const TBaseLock&) = delete;
    TBaseLock& operator=(const TBaseLock&) = delete;

    // The folder's lock for the user. The lock of another folder held until now is given up first.
    TTake Take(const QString& baseFolder, const QString& user, TBaseLockLook* found = nullptr);
    // Checks that the lock is still this program's, and with refresh writes it again with the time now.
    // False when another program has taken the base over (its lock in found): nothing is held then.
    // A lock that cannot be written just now is kept: the next refresh tries again.
    bool Keep(bool refresh, TBaseLockLook* found = nullptr);
    // The lock is removed when it is still this program's; nothing is held afterwards.
    void Release();
    // The held base's folder was renamed, with its lock in it.
    void Moved(const QString& baseFolder);

    bool Held() const { return !m_folder.isEmpty(); }
    const QString& Folder() const { return m_folder; }
    const TBaseLockOwner& Owner() const { return m_owner; }

    // Called once the base was found taken over by another program, after the state has followed.
    std::function<void()> onLost;

private:
    QString m_folder;
    TBaseLockOwner m_owner;
};
