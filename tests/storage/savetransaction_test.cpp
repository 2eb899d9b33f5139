#include "storage/tsavetransaction.h"

#include "storage/fileerror.h"
#include "storage/tmemtable.h"
#include "testfolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <map>

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

QString Sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// The journal as a save writes it, with its end row made for the rows given: version 1 names the table
// file and its temporary file, version 2 adds the new content's size and SHA-256.
QByteArray Journal(const std::vector<QStringList>& entries, const QString& version = "1") {
    TMemTable t;
    t.AddRow()->SetCells({"Vellumora save", version});
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
    // Each rename with its new content's size and SHA-256, by which a temporary file found gone is checked.
    TMemTable rows;
    ASSERT_TRUE(rows.LoadFromBytes(journal));
    ASSERT_EQ(rows.RowCount(), 4);
    EXPECT_EQ(rows.Row(0)->Cells(), QStringList({"Vellumora save", "2"}));
    const QByteArray user = "новые пользователи";
    EXPECT_EQ(rows.Row(2)->Cells(),
              QStringList({"../user", waiting[0], QString::number(user.size()), Sha256(user)}));
    EXPECT_EQ(rows.Row(1)->Cell(0), "rashod");

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

namespace {

// A journal that waits with two renames, "rashod" and "Debt/debt0", both files still old and the new
// contents in their temporary files; each case then changes something before the next opening.
struct TWaitingJournal {
    const QString& base;
    const QString& outside; // a folder outside the base
    QString Temp(const QString& relative) const {
        const int slash = relative.lastIndexOf('/');
        return base + "/" + relative.left(slash + 1) + "." + relative.mid(slash + 1) + ".tmp-abc123";
    }
    static QByteArray New(const QString& relative) { return "новое: " + relative.toUtf8(); }
    void Put(const QString& relative) const {
        QFile::remove(Temp(relative));
        WriteFileBytes(base + "/" + relative, New(relative));
    }
};

using TFileMap = std::map<QString, QString>; // path -> content, or "->" and where a link points

TFileMap Everything(const QString& folder) {
    TFileMap files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files[info.filePath()] = info.isSymLink() ? "-> " + info.symLinkTarget()
                                 : info.isDir()   ? QString("folder")
                                                  : QString::fromUtf8(ReadFileBytes(info.filePath()));
    }
    return files;
}

} // namespace

TEST_F(SaveTransaction, ATemporaryFileFoundGoneCountsAsPutInPlaceOnlyWhenItsTargetHoldsTheNewContent) {
    const QString outside = home.Path() + "/чужое";
    const struct {
        const char* what;
        QString version;
        std::function<void(const TWaitingJournal&)> then;
        QString failed; // the file the journal cannot be carried out for, relative to the base folder
        int code;
        bool rashodReadFromTemp; // while the journal waits: its new content is whole there
    } cases[] = {
        {"both wait", "2", [](const TWaitingJournal&) {}, "", 0, true},
        {"one put in place", "2", [](const TWaitingJournal& j) { j.Put("rashod"); }, "", 0, false},
        {"both put in place", "2", [](const TWaitingJournal& j) { j.Put("rashod"), j.Put("Debt/debt0"); }, "",
         0, false},
        {"a power cut took a temporary file", "2",
         [](const TWaitingJournal& j) { QFile::remove(j.Temp("Debt/debt0")); }, "Debt/debt0",
         fileerror::kNewContentLost, true},
        {"a temporary file holds something else", "2",
         [](const TWaitingJournal& j) { WriteFileBytes(j.Temp("rashod"), "новое"); }, "rashod",
         fileerror::kNewContentBroken, false},
        {"a temporary file is a link to a folder", "2",
         [](const TWaitingJournal& j) {
             QFile::remove(j.Temp("rashod"));
             QFile::link(j.outside, j.Temp("rashod"));
         },
         "rashod", fileerror::kNewContentLost, false},
        {"a link stands where a file should be", "2",
         [](const TWaitingJournal& j) {
             QFile::remove(j.base + "/rashod");
             QFile::link(j.outside + "/файл", j.base + "/rashod");
         },
         "rashod", fileerror::kLinkInPlace, true},
        {"Debt is a link to another folder", "2",
         [](const TWaitingJournal& j) {
             QDir().rename(j.base + "/Debt", j.outside + "/Debt");
             QFile::link(j.outside + "/Debt", j.base + "/Debt");
         },
         "Debt", fileerror::kFolderIsLink, true},
        // An earlier version's journal has no sizes and digests. Its save flushed the journal's folder
        // with the journal, and all names when it flushed the whole file system (more than eight files):
        // a temporary file gone from there was renamed. One gone from another folder may have been
        // taken by a power cut.
        {"version 1: both wait", "1", [](const TWaitingJournal&) {}, "", 0, true},
        {"version 1: the base folder's put in place", "1", [](const TWaitingJournal& j) { j.Put("rashod"); },
         "", 0, false},
        {"version 1: Debt's gone", "1", [](const TWaitingJournal& j) { j.Put("Debt/debt0"); }, "Debt/debt0",
         fileerror::kCannotBeChecked, true},
        {"version 1 of many files: Debt's gone", "1+", [](const TWaitingJournal& j) { j.Put("Debt/debt0"); },
         "", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(root).removeRecursively();
        QDir(outside).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(base + "/Debt"));
        ASSERT_TRUE(QDir().mkpath(outside));
        WriteFileBytes(outside + "/файл", "чужой файл");
        const TWaitingJournal j{base, outside};
        QStringList targets{"rashod", "Debt/debt0"};
        for (int i = 1; c.version == "1+" && i <= 7; ++i)
            targets << "Debt/debt" + QString::number(i);
        std::vector<QStringList> rows;
        for (const QString& t : targets) {
            WriteFileBytes(base + "/" + t, "старое");
            WriteFileBytes(j.Temp(t), TWaitingJournal::New(t));
            QStringList row{t, QFileInfo(j.Temp(t)).fileName()};
            if (c.version == "2")
                row << QString::number(TWaitingJournal::New(t).size()) << Sha256(TWaitingJournal::New(t));
            rows.push_back(row);
        }
        WriteFileBytes(base + "/" + savejournal::kFileName, Journal(rows, c.version.left(1)));
        c.then(j);
        const TFileMap before = Everything(home.Path());

        EXPECT_EQ(InspectInterruptedSave(base).ReadPath(base + "/rashod"),
                  c.rashodReadFromTemp ? j.Temp("rashod") : base + "/rashod");
        TFileError error;
        const bool finished = RecoverInterruptedSave(base, &error);
        EXPECT_EQ(finished, c.failed.isEmpty());
        if (finished) {
            for (const QString& t : targets)
                EXPECT_EQ(ReadFileBytes(base + "/" + t), TWaitingJournal::New(t)) << t.toStdString();
            EXPECT_FALSE(QFileInfo::exists(base + "/" + savejournal::kFileName));
        } else {
            EXPECT_EQ(error.path, base + "/" + c.failed);
            EXPECT_EQ(error.code, c.code) << error.Reason().toStdString();
            EXPECT_EQ(Everything(home.Path()), before) << "nothing is renamed before every rename is known";
        }
        EXPECT_EQ(ReadFileBytes(outside + "/файл"), "чужой файл");
    }
}

TEST_F(SaveTransaction, ASaveWritesNeitherThroughNorOverALink) {
    const QString outside = home.Path() + "/чужое";
    ASSERT_TRUE(QDir().mkpath(outside));
    WriteFileBytes(outside + "/debt0", "чужой файл");
    WriteFileBytes(base + "/Debt/debt5", "лишний возврат");
    const auto debtALink = [&] {
        QDir(base + "/Debt").removeRecursively();
        QFile::link(outside, base + "/Debt");
    };
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::function<void(TSaveTransaction&)> save;
        QString failed; // relative to the base folder
        int code;
    } cases[] = {
        {"a link where a table should be", [&] { QFile::link(outside + "/debt0", base + "/rashod"); },
         [&](TSaveTransaction& t) { t.Stage(base + "/rashod", "расходы"); }, "rashod",
         fileerror::kLinkInPlace},
        {"a link that points nowhere", [&] { QFile::link(outside + "/нет", base + "/rashod"); },
         [&](TSaveTransaction& t) { t.Stage(base + "/rashod", "расходы"); }, "rashod",
         fileerror::kLinkInPlace},
        {"Debt a link to another folder, a returns file written", debtALink,
         [&](TSaveTransaction& t) {
             t.Stage(base + "/rashod", "расходы");
             t.Stage(base + "/Debt/debt0", "возвраты");
         },
         "Debt", fileerror::kFolderIsLink},
        {"Debt a link to another folder, a returns file removed", debtALink,
         [&](TSaveTransaction& t) {
             t.Stage(base + "/rashod", "расходы");
             t.Remove(base + "/Debt/debt0");
         },
         "Debt", fileerror::kFolderIsLink},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(base + "/rashod");
        QFile::remove(base + "/Debt");
        ASSERT_TRUE(QDir().mkpath(base + "/Debt"));
        c.arrange();
        const TFileMap before = Everything(home.Path());
        TSaveTransaction t(base);
        c.save(t);
        EXPECT_FALSE(t.Commit());
        EXPECT_EQ(t.Error().path, base + "/" + c.failed);
        EXPECT_EQ(t.Error().code, c.code) << t.Error().Reason().toStdString();
        EXPECT_EQ(Everything(home.Path()), before);
    }
    // A link where a spare returns file was is not the program's file: it stays.
    QFile::remove(base + "/Debt");
    ASSERT_TRUE(QDir().mkpath(base + "/Debt"));
    QFile::link(outside + "/debt0", base + "/Debt/debt7");
    TSaveTransaction t(base);
    ASSERT_TRUE(t.Stage(base + "/rashod", "расходы"));
    t.Remove(base + "/Debt/debt7");
    EXPECT_TRUE(t.Commit());
    EXPECT_TRUE(QFileInfo(base + "/Debt/debt7").isSymLink());
    EXPECT_EQ(ReadFileBytes(outside + "/debt0"), "чужой файл");
}

TEST_F(SaveTransaction, ASaveThatOnlyRemovesFilesIsMade) {
    WriteFileBytes(base + "/Debt/debt3", "возвраты удалённого долга");
    TSaveTransaction t(base);
    t.Remove(base + "/Debt/debt3");
    EXPECT_TRUE(t.Commit()) << t.Error().Reason().toStdString();
    EXPECT_FALSE(QFileInfo::exists(base + "/Debt/debt3"));
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
