#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class TMyType;

// The copy of the open base kept every day the program ends: one archive per base and day in the
// base's own folder of daily copies, the newest hundred of the older ones kept.
class TDailyArhive {
public:
    static constexpr int kKept = 100;

    explicit TDailyArhive(TMyType& state) : m_state(state) {}

    // The base's folder of daily copies: the backup-copy folder and the base name.
    QString Folder() const;
    // The day's archive in that folder.
    QString DayFile(const QDate& day) const;

    // Writes the day's archive. The new archive is read back and every entry's CRC checked before it
    // replaces a copy of the same day; only then are the oldest copies beyond the hundred deleted. A copy
    // that fails the check is deleted and every earlier copy kept. A base that was found damaged at this
    // run's load and not restored does not replace a good copy written earlier the same day, and a base
    // whose last save failed is not copied at all, nor is a base open read-only (another program has it,
    // and copies it itself). Reports nothing: the program is ending.
    bool Write(const QDate& today);

    // The base of this folder was found damaged and kept so (the offer of a copy declined): like a
    // damaged base, it does not replace the day's copy. An empty folder forgets it.
    void KeepDaysCopyFor(const QString& baseFolder) { m_damagedFolder = baseFolder; }

    // The files under a folder, sub-folders included, as the thinning orders them: by name without
    // regard to letter case, a sub-folder's files where the sub-folder comes.
    static QStringList FilesInNameOrder(const QString& folder);

    // The check of a day's copy that a run killed while writing it left in a folder of daily copies:
    // the copy as packed (".check-" and the day's name), or the part of it being written.
    static bool IsLeftCheck(const QString& fileName);
    // Removes such checks from the folder of daily copies of every base.
    static void RemoveLeftChecks(const QString& backupCopyFolder);

    // A test's stand-in for a disk that spoils what was written: called with the new archive's path
    // before it is read back.
    std::function<void(const QString&)> afterPacking;

private:
    TMyType& m_state;
    QString m_damagedFolder;
};
