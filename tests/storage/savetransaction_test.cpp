#include "storage/tsavetransaction.h"

#include "storage/tmemtable.h"
#include "testfolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// A base folder "Семья" under BASE, with its Debt folder.
class SaveTransaction : public ::testing::Test {
protected:
    void SetUp() override {
        root = home.Path() + "/BASE";
        base = root + "/Семья";
        ASSERT_TRUE(QDir().mkpath(base + "/Debt"));
    }
    QStringList Hidden() const {
        QStringList found;
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (it.fileName().startsWith('.') || it.fileName() == savejournal::kFileName) found << path;
        }
        return found;
    }

    TTestDataHome home;
    QString root, base;
};

// The journal as a save writes it, with its end row made for the rows given.
QByteArray Journal(const std::vector<QStringList>& entries) {
    TMemTable t;
    t.AddRow()->SetCells({"Vellumora save", "1"});
    for (const QStringList& e : entries)
        t.AddRow()->SetCells(e);
    const QByteArray body = t.ToBytes();
    t.AddRow()->SetCells(
        {"end", QString::number(entries.size()),
         QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex())});
    return t.ToBytes();
}

} // namespace

TEST_F(SaveTransaction, EveryFileTakesItsNewContentAndNothingIsLeftBehind) {
    for (int files : {1, 2, TSaveTransaction::kFilesSyncedOneByOne + 4}) {
        SCOPED_TRACE(files);
        WriteFileBytes(base + "/Debt/debt99", "старый");
        TSaveTransaction t(base);
        ASSERT_TRUE(t.Stage(root + "/user", "пользователи"));
        for (int i = 1; i < files; ++i)
            ASSERT_TRUE(t.Stage(base + "/Debt/debt" + QString::number(i), QByteArray::number(i)));
        if (files > 1) t.Remove(base + "/Debt/debt99");
        ASSERT_TRUE(t.Commit());
        EXPECT_EQ(ReadFileBytes(root + "/user"), "пользователи");
        for (int i = 1; i < files; ++i)
            EXPECT_EQ(ReadFileBytes(base + "/Debt/debt" + QString::number(i)), QByteArray::number(i));
        EXPECT_EQ(QFileInfo::exists(base + "/Debt/debt99"), files == 1);
        EXPECT_EQ(Hidden(), QStringList());
        EXPECT_EQ(QFileInfo(root + "/user").permissions() & 0x0077, 0) << "private to its owner";
    }
}

TEST_F(SaveTransaction, AFileThatCannotBeWrittenLeavesEveryFileAsItWas) {
    WriteFileBytes(base + "/rashod", "расходы");
    TSaveTransaction t(base);
    ASSERT_TRUE(t.Stage(base + "/rashod", "новые расходы"));
    ASSERT_TRUE(QDir().mkpath(base + "/dohod"));
    EXPECT_FALSE(t.Stage(base + "/dohod", "доходы"));
    EXPECT_FALSE(t.Commit());
    EXPECT_EQ(t.Error().path, base + "/dohod");
    EXPECT_EQ(t.Error().Reason(), "На месте файла находится папка.");
    EXPECT_EQ(ReadFileBytes(base + "/rashod"), "расходы");
    EXPECT_EQ(Hidden(), QStringList());
    // Only the files a save writes: nothing outside the base, its Debt folder and BASE.
    TSaveTransaction outside(base);
    EXPECT_FALSE(outside.Stage(home.Path() + "/elsewhere", "x"));
    EXPECT_FALSE(QFileInfo::exists(home.Path() + "/elsewhere"));
}

TEST_F(SaveTransaction, AJournalIsCarriedOutWholeAndATornOneDropped) {
    // A save whose second rename fails once its journal is written: the journal stays for the next try.
    WriteFileBytes(base + "/rashod", "старые расходы");
    TSaveTransaction t(base);
    ASSERT_TRUE(t.Stage(base + "/rashod", "новые расходы"));
    ASSERT_TRUE(t.Stage(root + "/user", "новые пользователи"));
    ASSERT_TRUE(QDir().mkpath(root + "/user/занято"));
    EXPECT_FALSE(t.Commit());
    EXPECT_EQ(t.Error().path, root + "/user");
    const QString journalPath = base + "/" + savejournal::kFileName;
    const QByteArray journal = ReadFileBytes(journalPath);
    ASSERT_FALSE(journal.isEmpty());
    EXPECT_EQ(ReadFileBytes(base + "/rashod"), "новые расходы");
    const QStringList waiting = QDir(root).entryList({".user.tmp-*"}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(waiting.size(), 1);

    // Torn at any byte: the renames never began, so the old files stand and the temporary ones go.
    QDir(root + "/user").removeRecursively();
    for (qsizetype cut = 0; cut < journal.size(); ++cut) {
        WriteFileBytes(base + "/rashod", "старые расходы");
        WriteFileBytes(base + "/.rashod.tmp-abc123", "новые расходы");
        WriteFileBytes(journalPath, journal.left(cut));
        ASSERT_TRUE(RecoverInterruptedSave(base)) << cut;
        EXPECT_EQ(ReadFileBytes(base + "/rashod"), "старые расходы") << cut;
        EXPECT_FALSE(QFileInfo::exists(journalPath)) << cut;
        EXPECT_FALSE(QFileInfo::exists(base + "/.rashod.tmp-abc123")) << cut;
    }

    // Whole: every rename not yet made is made, and the journal goes.
    WriteFileBytes(base + "/rashod", "новые расходы");
    WriteFileBytes(journalPath, journal);
    EXPECT_TRUE(AnySaveJournal(root));
    RecoverInterruptedSaves(root);
    EXPECT_EQ(ReadFileBytes(root + "/user"), "новые пользователи");
    EXPECT_EQ(ReadFileBytes(base + "/rashod"), "новые расходы");
    EXPECT_FALSE(AnySaveJournal(root));
    EXPECT_EQ(Hidden(), QStringList());
}

TEST_F(SaveTransaction, AJournalNamingFilesASaveNeverWritesIsDropped) {
    // Such a journal could only come from elsewhere (an archive, say): it must put nothing anywhere.
    ASSERT_TRUE(QDir().mkpath(root + "/Другая"));
    WriteFileBytes(root + "/Другая/rashod", "чужие расходы");
    const struct {
        QString target;
        QString folder; // where its temporary file lies
    } cases[] = {
        {"../Другая/rashod", root + "/Другая"},
        {"../../rashod", home.Path()},
        {"Debt/../../user", root},
        {"../baseuser", root},
        {".hidden", base},
        {"zhurnal", base},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        const QString name = c.target.mid(c.target.lastIndexOf('/') + 1);
        const QString temp = "." + name + ".tmp-abc123";
        WriteFileBytes(c.folder + "/" + temp, "подмена");
        WriteFileBytes(base + "/" + savejournal::kFileName, Journal({{c.target, temp}}));
        ASSERT_TRUE(RecoverInterruptedSave(base));
        EXPECT_FALSE(QFileInfo::exists(base + "/" + savejournal::kFileName));
        EXPECT_EQ(ReadFileBytes(root + "/Другая/rashod"), "чужие расходы");
        EXPECT_FALSE(QFileInfo::exists(c.folder + "/" + name) &&
                     ReadFileBytes(c.folder + "/" + name) == "подмена");
        QFile::remove(c.folder + "/" + temp);
    }
}

TEST_F(SaveTransaction, ASaveInABaseAnotherProgramHasOpenIsLeftToThatProgram) {
    // Its journal may be the save it is making right now.
    WriteFileBytes(base + "/rashod", "старые расходы");
    WriteFileBytes(base + "/.rashod.tmp-abc123", "новые расходы");
    WriteFileBytes(base + "/" + savejournal::kFileName, Journal({{"rashod", ".rashod.tmp-abc123"}}));
    WriteOtherProgramsLock(base);
    RecoverInterruptedSaves(root);
    EXPECT_EQ(ReadFileBytes(base + "/rashod"), "старые расходы");
    EXPECT_TRUE(AnySaveJournal(root));

    // Left by a program that is gone: the save is completed as any interrupted one.
    WriteOtherProgramsLock(base, 600);
    RecoverInterruptedSaves(root);
    EXPECT_EQ(ReadFileBytes(base + "/rashod"), "новые расходы");
    EXPECT_FALSE(AnySaveJournal(root));
}

TEST(SaveScratch, TheJournalAndTemporaryFilesAreKnownByName) {
    const struct {
        const char* name;
        bool scratch;
    } cases[] = {
        {"zhurnal", true},  {".rashod.tmp-a1B2c3", true}, {".debt12.tmp-XyZ789", true},
        {"rashod", false},  {".rashod.tmp-abc", false},   {"rashod.tmp-abc123", false},
        {"Zhurnal", false}, {"arviveInfo", false},        {".Tarnwell.ini.tmp-000000", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSaveScratchName(c.name), c.scratch) << c.name;
}
