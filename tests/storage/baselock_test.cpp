#include "storage/tbaselock.h"

#include "storage/datafolders.h"
#include "storage/tmemtable.h"
#include "testfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The machine as the tests read it themselves.
QString MachineId() {
    QFile file("/etc/machine-id");
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readLine()).trimmed() : QString();
}

quint64 StartTicks(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray text = file.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ').value(19).toULongLong();
}

QDateTime Utc(qint64 secondsFromNow) {
    return QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + secondsFromNow, Qt::UTC);
}

struct TLockCells {
    QString user = "Папа";
    QString host = QSysInfo::machineHostName();
    QString machine = MachineId();
    qint64 pid = 0;
    quint64 started = 0;
    QDateTime opened = Utc(-3600);
    QDateTime refreshed = Utc(0);
};

QString LockFile(const QString& folder) {
    return folder + "/" + baselock::kFileName;
}

// A lock as another program leaves it, written by the tests' own hand, its file's time set as given.
void WriteLock(const QString& folder, const TLockCells& c, qint64 modifiedSecondsFromNow = 0) {
    TMemTable table;
    table.AddRow()->SetCells({c.user, c.host, c.machine, QString::number(c.pid), QString::number(c.started),
                              c.opened.toString(Qt::ISODate), c.refreshed.toString(Qt::ISODate)});
    ASSERT_TRUE(table.SaveToFile(LockFile(folder)));
    QFile file(LockFile(folder));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(Utc(modifiedSecondsFromNow), QFileDevice::FileModificationTime));
}

QStringList LockCells(const QString& folder) {
    TMemTable table;
    if (!table.LoadFromFile(LockFile(folder)) || table.RowCount() != 1) return {};
    return table.Row(0)->Cells();
}

// A process of this computer that runs until the object goes, and can be ended before.
class TOtherProgram {
public:
    TOtherProgram() {
        m_process.start("sleep", {"300"});
        m_process.waitForStarted();
        pid = m_process.processId();
        started = StartTicks(pid);
    }
    ~TOtherProgram() { End(); }
    void End() {
        m_process.kill();
        m_process.waitForFinished();
    }
    qint64 pid = 0;
    quint64 started = 0;

private:
    QProcess m_process;
};

class BaseLock : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder)); }
    QTemporaryDir dir;
    const QString folder = dir.path() + "/Base1";
};

} // namespace

// What a program finds in a base folder, and what taking the base then does.
TEST_F(BaseLock, TheLockInABaseFolderIsJudgedAndTakenOnlyFromAProgramThatIsGone) {
    TOtherProgram running;
    TOtherProgram ended;
    ended.End();
    ASSERT_NE(running.started, 0u);
    ASSERT_NE(ended.pid, 0);
    const TLockCells live{.pid = running.pid, .started = running.started};
    const struct {
        const char* what;
        std::function<void(const QString&)> prepare;
        TBaseLockState state;
        bool named;
        TBaseLock::TTake take;
    } cases[] = {
        {"no lock", [](const QString&) {}, TBaseLockState::Free, false, TBaseLock::TTake::Taken},
        {"another program of this computer that runs", [&](const QString& f) { WriteLock(f, live); },
         TBaseLockState::Held, true, TBaseLock::TTake::Held},
        {"its pid now a process that started later",
         [&](const QString& f) {
             TLockCells reused = live;
             reused.started = running.started - 1;
             WriteLock(f, reused);
         },
         TBaseLockState::Abandoned, true, TBaseLock::TTake::TakenOver},
        {"a program of this computer that ended",
         [&](const QString& f) { WriteLock(f, {.pid = ended.pid, .started = 12345}); },
         TBaseLockState::Abandoned, true, TBaseLock::TTake::TakenOver},
        {"another computer, refreshed just now",
         [](const QString& f) { WriteLock(f, {.host = "kuhnya", .machine = "0a0b", .pid = 4242}); },
         TBaseLockState::Held, true, TBaseLock::TTake::Held},
        {"another computer of the same name",
         [&](const QString& f) { WriteLock(f, {.machine = "0a0b", .pid = ended.pid}); }, TBaseLockState::Held,
         true, TBaseLock::TTake::Held},
        {"another computer, not refreshed for three minutes",
         [](const QString& f) {
             WriteLock(f, {.host = "kuhnya", .machine = "0a0b", .pid = 4242, .refreshed = Utc(-180)}, -180);
         },
         TBaseLockState::Abandoned, true, TBaseLock::TTake::TakenOver},
        {"another computer whose clock is behind, its file written just now",
         [](const QString& f) {
             WriteLock(f, {.host = "kuhnya", .machine = "0a0b", .pid = 4242, .refreshed = Utc(-180)});
         },
         TBaseLockState::Held, true, TBaseLock::TTake::Held},
        {"a damaged lock written lately",
         [](const QString& f) { ASSERT_TRUE(WriteFileBytes(LockFile(f), Hex("07 02 03 61"))); },
         TBaseLockState::Held, false, TBaseLock::TTake::Held},
        {"a damaged lock not written for three minutes",
         [](const QString& f) {
             ASSERT_TRUE(WriteFileBytes(LockFile(f), "not a lock"));
             QFile file(LockFile(f));
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             file.setFileTime(Utc(-180), QFileDevice::FileModificationTime);
         },
         TBaseLockState::Abandoned, false, TBaseLock::TTake::Taken},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder));
        c.prepare(folder);
        const QByteArray before = ReadFileBytes(LockFile(folder));
        const TBaseLockLook look = LookAtBaseLock(folder);
        EXPECT_EQ(look.state, c.state);
        EXPECT_EQ(look.named, c.named);
        if (c.named) {
            EXPECT_EQ(look.owner.user, "Папа");
        }

        TBaseLock lock;
        TBaseLockLook found;
        EXPECT_EQ(lock.Take(folder, "Мама", &found), c.take);
        EXPECT_EQ(found.state, c.state);
        if (c.take == TBaseLock::TTake::Held) {
            // A program that opens the base read-only leaves the other's lock exactly as it was.
            EXPECT_FALSE(lock.Held());
            lock.Release();
            EXPECT_EQ(ReadFileBytes(LockFile(folder)), before);
        } else {
            EXPECT_TRUE(lock.Held());
            const QStringList cells = LockCells(folder);
            ASSERT_EQ(cells.size(), 7);
            EXPECT_EQ(cells[0], "Мама");
            EXPECT_EQ(cells[3], QString::number(::getpid()));
            EXPECT_EQ(LookAtBaseLock(folder).state, TBaseLockState::Own);
        }
    }
}

TEST_F(BaseLock, AFolderThatCannotBeLookedIntoKeepsNoLock) {
    // A file where the base folder's parent should be: nothing under it can be read or made.
    ASSERT_TRUE(WriteFileBytes(dir.path() + "/file", "x"));
    const QString blocked = dir.path() + "/file/Base1";
    EXPECT_EQ(LookAtBaseLock(blocked).state, TBaseLockState::Unreadable);
    TBaseLock lock;
    EXPECT_EQ(lock.Take(blocked, "Мама"), TBaseLock::TTake::NotKept);
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(BaseHeldElsewhere(blocked));
    // A base whose folder is not made yet belongs to nobody.
    EXPECT_EQ(LookAtBaseLock(dir.path() + "/Новая").state, TBaseLockState::Free);
}

TEST_F(BaseLock, TheLockIsWholePrivateAndGoesWithTheProgramThatTookIt) {
    {
        TBaseLock lock;
        ASSERT_EQ(lock.Take(folder, "Мама"), TBaseLock::TTake::Taken);
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(LockFile(folder)).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        // Nothing written beside it is left over.
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({baselock::kFileName}));
        const QStringList cells = LockCells(folder);
        ASSERT_EQ(cells.size(), 7);
        EXPECT_EQ(cells[1], QSysInfo::machineHostName());
        EXPECT_EQ(cells[2], MachineId());
        EXPECT_EQ(cells[4], QString::number(StartTicks(::getpid())));

        // Another user of the same program takes it again: the base stays open since it first opened.
        const QString opened = cells[5];
        ASSERT_EQ(lock.Take(folder, "Папа"), TBaseLock::TTake::Taken);
        EXPECT_EQ(LockCells(folder).value(0), "Папа");
        EXPECT_EQ(LockCells(folder).value(5), opened);

        // Another base opened: the first one's lock goes.
        const QString other = dir.path() + "/Работа";
        ASSERT_TRUE(QDir().mkpath(other));
        ASSERT_EQ(lock.Take(other, "Папа"), TBaseLock::TTake::Taken);
        EXPECT_FALSE(QFileInfo::exists(LockFile(folder)));
        EXPECT_TRUE(QFileInfo::exists(LockFile(other)));
        lock.Release();
        EXPECT_FALSE(QFileInfo::exists(LockFile(other)));
        ASSERT_EQ(lock.Take(folder, "Мама"), TBaseLock::TTake::Taken);
    }
    EXPECT_FALSE(QFileInfo::exists(LockFile(folder))) << "gone with the program";
}

TEST_F(BaseLock, KeepingTheLockRefreshesItMakesItAgainAndNoticesATakeOver) {
    TBaseLock lock;
    ASSERT_EQ(lock.Take(folder, "Мама"), TBaseLock::TTake::Taken);
    QStringList cells = LockCells(folder);
    cells[6] = Utc(-100).toString(Qt::ISODate);
    TMemTable old;
    old.AddRow()->SetCells(cells);
    ASSERT_TRUE(old.SaveToFile(LockFile(folder)));

    EXPECT_TRUE(lock.Keep(false));
    EXPECT_EQ(LockCells(folder).value(6), cells[6]) << "a check writes nothing";
    EXPECT_TRUE(lock.Keep(true));
    EXPECT_GE(QDateTime::fromString(LockCells(folder).value(6), Qt::ISODate), Utc(-5));

    // The folder lost its lock (replaced from outside): it is made again.
    ASSERT_TRUE(QFile::remove(LockFile(folder)));
    EXPECT_TRUE(lock.Keep(false));
    EXPECT_EQ(LookAtBaseLock(folder).state, TBaseLockState::Own);

    // Another computer took the base over while this program was away: the lock is no longer this
    // program's, and neither keeping nor releasing it touches the other's.
    WriteLock(folder, {.host = "kuhnya", .machine = "0a0b", .pid = 4242});
    const QByteArray taker = ReadFileBytes(LockFile(folder));
    TBaseLockLook found;
    EXPECT_FALSE(lock.Keep(true, &found));
    EXPECT_EQ(found.owner.host, "kuhnya");
    EXPECT_FALSE(lock.Held());
    EXPECT_TRUE(lock.Keep(true)) << "nothing held, nothing to lose";
    lock.Release();
    EXPECT_EQ(ReadFileBytes(LockFile(folder)), taker);
}

TEST(BaseLockText, TheHolderIsNamedWithTheLocalTimeItOpenedTheBase) {
    TBaseLockOwner owner;
    owner.user = "Папа";
    owner.host = "kuhnya";
    owner.opened = QDateTime(QDate(2026, 3, 7), QTime(9, 5), Qt::LocalTime).toUTC();
    EXPECT_EQ(LockOwnerText(owner), "Папа, компьютер kuhnya, с 07.03.2026 09:05");
    EXPECT_TRUE(IsBaseLockName("blokirovka"));
    EXPECT_FALSE(IsBaseLockName(".blokirovka.tmp-abc123"));
}
