// A save whose journal was written but whose files could not all be put in place: the next opening
// tries the journal again, and when it still cannot be carried out, says so and shows the base
// read-only as the journal would leave it, writing nothing over the half-renamed files.
#include "bookstext.h"
#include "fileshim.h"
#include "savedbase.h"

#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "messagerecorder.h"
#include "storage/tmemtable.h"
#include "storage/tsavetransaction.h"
#include "tablefiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

namespace {

class UnfinishedSave : public TSavedBaseTest {
protected:
    void SetUp() override {
        TSavedBaseTest::SetUp();
        // Two debts written newest first, so the save renumbers them and swaps their returns files.
        ASSERT_TRUE(QDir().mkpath(base + "/Debt"));
        WriteRows(base + "/dolg", {{"дано в долг", "02.01.2024", "01.06.2024", "Сосед", "1000", "рубль", "",
                                    "не отображать", "Мама", "0"},
                                   {"дано в долг", "01.01.2024", "01.06.2024", "Брат", "500", "рубль", "",
                                    "не отображать", "Мама", "1"}});
        WriteRows(base + "/Debt/debt0", {{"03.01.2024", "300", "рубль", ""}});
        WriteRows(base + "/Debt/debt1", {{"03.01.2024", "50", "рубль", ""}});
        WriteRows(base + "/rashod", {{"01.02.2024", "Еда", "Хлеб", "100", "рубль", "", "Мама"}});
        TBaseLoader::OpenBase(state);
        oldBooks = BooksText(state);
        state.Table(TTableKind::Rashod)
            .InsertRow(0)
            ->SetCells({"02.02.2024", "Еда", "Сыр", "123", "рубль", "", "Мама"});
        // The journal is written, then the disk refuses every rename.
        TMessageRecorder boxes;
        fileshim::FailEvery("rename", EROFS);
        EXPECT_FALSE(TBaseLoader::SaveAndTell(state));
        fileshim::Disarm();
        ASSERT_TRUE(QFileInfo::exists(base + "/" + savejournal::kFileName));
        waiting = FilesOnDisk();
        // The books the journal leaves once it is carried out.
        TMyType finished;
        newBooks = BooksText(OpenedAgain(finished));
        ASSERT_NE(newBooks, oldBooks);
        ASSERT_FALSE(QFileInfo::exists(base + "/" + savejournal::kFileName));
        PutBack(waiting);
    }

    TFiles FilesOnDisk() const { return ::FilesOnDisk(root + "/BASE"); }
    void PutBack(const TFiles& files) {
        PutFilesBack(root + "/BASE", files);
        QDir().mkpath(base + "/Debt");
    }

    QString oldBooks, newBooks;
    TFiles waiting; // the disk with the journal waiting
};

} // namespace

TEST_F(UnfinishedSave, IsToldAndTheBaseIsShownReadOnlyAsTheJournalWouldLeaveIt) {
    const struct {
        const char* what;
        const char* failing; // the call that keeps failing, if any
        int error;
        QString goneTemp; // a temporary file taken away, relative to the base folder
        QString file;
        QString reason;
    } cases[] = {
        {"the disk went read-only", "rename", EROFS, "", "rashod", "Диск доступен только для чтения."},
        {"no rights", "rename", EACCES, "", "rashod", "Нет прав на запись в файл или папку."},
        {"a temporary file gone", nullptr, 0, "Debt/.debt0.tmp-*", "Debt/debt0",
         "Временный файл с новым содержимым пропал."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PutBack(waiting);
        if (!c.goneTemp.isEmpty()) {
            const QFileInfo pattern(base + "/" + c.goneTemp);
            const QDir folder(pattern.absolutePath());
            for (const QString& name : folder.entryList({pattern.fileName()}, QDir::Files | QDir::Hidden))
                ASSERT_TRUE(QFile::remove(folder.filePath(name)));
        }
        if (c.failing) fileshim::FailEvery(c.failing, c.error);
        TMyType opened;
        TMessageRecorder boxes;
        OpenedAgain(opened);
        fileshim::Disarm();
        EXPECT_EQ(boxes.Boxes(),
                  std::vector<TMessage>{Error({"Сохранение базы было прервано и не может быть завершено.",
                                               "Файл: " + base + "/" + c.file, "Причина: " + c.reason})});
        EXPECT_TRUE(opened.readOnly);
        // Every file whose new content waits whole is read from it: with none lost, the new books.
        if (c.goneTemp.isEmpty())
            EXPECT_EQ(BooksText(opened), newBooks);
        else
            EXPECT_EQ(opened.Table(TTableKind::Rashod).Row(1)->Cell(2), "Сыр");

        // Nothing is written while it is shown so, the disk writable again or not.
        const TFiles shown = FilesOnDisk();
        opened.Table(TTableKind::Rashod).Row(0)->SetCell(3, "999");
        EXPECT_TRUE(TBaseLoader::SaveAndTell(opened));
        EXPECT_TRUE(TBaseLoader::SaveKindsAndPurses(opened));
        EXPECT_EQ(FilesOnDisk(), shown);

        // The next opening tries the journal again.
        boxes.Reset();
        TBaseLoader::OpenBase(opened);
        if (c.goneTemp.isEmpty()) {
            EXPECT_TRUE(boxes.Boxes().empty());
            EXPECT_FALSE(opened.readOnly);
            EXPECT_EQ(BooksText(opened), newBooks);
            EXPECT_FALSE(QFileInfo::exists(base + "/" + savejournal::kFileName));
        } else {
            EXPECT_EQ(boxes.Boxes().size(), 1u);
            EXPECT_TRUE(opened.readOnly);
        }
    }
}

TEST_F(UnfinishedSave, ABaseOpenedReadOnlyReadsAWaitingJournalWithoutTouchingIt) {
    // As when another program has the base open: it may be in the middle of this very save.
    TMyType opened;
    opened.readOnly = true;
    TMessageRecorder boxes;
    OpenedAgain(opened);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(opened.readOnly);
    EXPECT_EQ(BooksText(opened), newBooks);
    EXPECT_EQ(FilesOnDisk(), waiting);
}
