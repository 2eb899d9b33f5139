// The window over a base another program has open: read-only in its caption and status bar, every key
// that would change the books refused with a beep, and nothing written when it closes.
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "tablefiles.h"

#include "ledger/basechanges.h"
#include "users/basehold.h"

#include <QStatusBar>

namespace {

class ReadOnlyWindow : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}});
        WriteTable("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"}});
        WriteOtherProgramsLock(context.state.baseFolder);
        HoldOpenBase(context.state);
    }
};

class WritableWindow : public MainWindowFixture {
protected:
    void Seed() override {
        MakePrivateFolder(context.state.baseFolder);
        HoldOpenBase(context.state);
    }
};

} // namespace

TEST_F(ReadOnlyWindow, TheCaptionSaysSoKeysAreRefusedAndTheCloseWritesNothing) {
    form->SetUserCaption("Мама");
    EXPECT_EQ(form->windowTitle(), "Только чтение — Vellumora      Пользователь: Мама");
    EXPECT_EQ(form->statusBar()->currentMessage(),
              "Только чтение: база открыта в другой программе (" + kOtherHolder + ")");
    const auto before = FileBytesUnder(context.state.baseFolder);

    TMessageRecorder boxes;
    FocusExpenseCell(3, 1);
    Type("5");
    EXPECT_FALSE(context.editors.IsOpen());
    Key(Qt::Key_Return);
    EXPECT_FALSE(context.editors.IsOpen());
    Key(Qt::Key_Delete);
    EXPECT_EQ(boxes.Beeps(), 3);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Cell(0, 3), "100");

    boxes.Reset();
    form->close();
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Question({"Выйти из программы?"}, TMsgButton::Yes)});
    EXPECT_EQ(FileBytesUnder(context.state.baseFolder), before);
}

TEST_F(WritableWindow, ABaseTakenOverWhileOpenShowsItInTheCaptionAtOnce) {
    form->SetUserCaption("Мама");
    EXPECT_EQ(form->windowTitle(), " Vellumora      Пользователь: Мама");
    EXPECT_TRUE(form->statusBar()->currentMessage().isEmpty());
    WriteOtherProgramsLock(context.state.baseFolder);
    TMessageRecorder boxes;
    EXPECT_FALSE(KeepBaseLock(context.state, true));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(form->windowTitle(), "Только чтение — Vellumora      Пользователь: Мама");
}
