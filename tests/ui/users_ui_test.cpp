#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "tablefiles.h"
#include "ui/tbasenamehint.h"
#include "ui/tcelleditors.h"
#include "ui/tgridcontroller.h"
#include "ui/thelperform.h"
#include "ui/tledgergrid.h"
#include "ui/tmenuclass.h"
#include "ui/tnamebasegrid.h"
#include "ui/tnotparolform.h"
#include "ui/ttoolbarpanel.h"
#include "ui/tuserform.h"
#include "ui/tuserspage.h"
#include "users/passwordcode.h"
#include "users/tfirstrunlogic.h"
#include "users/tloginlogic.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

using TRows = std::vector<QStringList>;

TRows RowsOf(const TMemTable& table) {
    TRows rows;
    for (int i = 0; i < table.RowCount(); ++i)
        rows.push_back(table.Row(i)->Cells());
    return rows;
}

// Runs `action` once the modal dialog that the next call opens is up.
void WhenShown(std::function<void()> action) {
    QTimer::singleShot(0, std::move(action));
}

void TypeInto(QWidget* w, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

// The log-in dialog at start over a fresh data folder whose user table is given.
class LoginDialog : public ::testing::Test {
protected:
    void Start(const TRows& users) {
        state.paths.programFolder = home.Path() + "/program";
        state.paths.programDataFolder = home.ProgramData();
        if (!users.empty()) WriteRows(home.ProgramData() + "/BASE/user", users);
        form = std::make_unique<TUserForm>(login);
        form->ShowForLogin();
        form->show();
    }
    void Accept(const QString& password) {
        form->PasswordEdit()->setText(password);
        form->AcceptButton()->click();
    }
    TRows UsersOnDisk() const { return RowsOfFile(home.ProgramData() + "/BASE/user"); }

    TTestDataHome home;
    TMyType state;
    TFirstRunLogic firstRun{state};
    TLoginLogic login{state, firstRun};
    std::unique_ptr<TUserForm> form;
};

TEST_F(LoginDialog, AHalfFormPasswordLogsInAndIsRewrittenInTheFullForm) {
    Start({{"Мама", "Семья", "1", HalfFormPasswordCode("секрет")}});
    TMessageRecorder boxes;
    QSignalSpy in(form.get(), &TUserForm::LoggedIn);
    EXPECT_EQ(form->NameBox()->currentText(), "Мама");
    EXPECT_FALSE(form->NameBox()->isEditable());
    Accept("секрет");
    EXPECT_EQ(in.count(), 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(state.userName, "Мама");
    EXPECT_EQ(state.baseName, "Семья");
    EXPECT_TRUE(state.admin);
    EXPECT_EQ(UsersOnDisk(), TRows({{"Мама", "Семья", "Администратор", PasswordCode("секрет")}}));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(LoginDialog, AnEmptyUserTableMakesTheFirstAdministratorOfBase1) {
    Start({});
    TMessageRecorder boxes;
    QSignalSpy in(form.get(), &TUserForm::LoggedIn);
    ASSERT_TRUE(form->NameBox()->isEditable());
    EXPECT_EQ(form->NameBox()->currentText(), "Введите имя нового пользователя");
    form->NameBox()->lineEdit()->setText("Папа");
    Accept("п");
    EXPECT_EQ(in.count(), 1);
    EXPECT_EQ(state.baseName, "Base1");
    EXPECT_TRUE(state.admin);
    EXPECT_EQ(UsersOnDisk(), TRows({{"Папа", "Base1", "1", PasswordCode("п")}}));
    EXPECT_EQ(RowsOfFile(home.ProgramData() + "/BASE/baseuser"), TRows({{"Base1"}}));
    EXPECT_TRUE(QFileInfo(home.ProgramData() + "/BASE/Base1").isDir());
}

TEST_F(LoginDialog, TheThirdRefusedPasswordAsksToCreateANewUser) {
    Start({{"Мама", "Семья", "1", PasswordCode("м")}});
    TMessageRecorder boxes;
    boxes.AnswerNo();
    QSignalSpy in(form.get(), &TUserForm::LoggedIn);
    for (const char* wrong : {"а", "бб"}) {
        Accept(QString::fromUtf8(wrong));
        EXPECT_EQ(form->PasswordEdit()->selectedText(), QString::fromUtf8(wrong));
    }
    Accept("ввв");
    const TMessage wrong = Error({"Неправильный пароль"});
    EXPECT_EQ(boxes.Boxes(),
              (std::vector<TMessage>{
                  wrong, wrong,
                  Question({"Неправильный пароль.", "Желаете создать нового пользователя в новой базе?"},
                           TMsgButton::No)}));
    EXPECT_EQ(in.count(), 0);
    EXPECT_TRUE(form->isVisible());
    Accept("м");
    EXPECT_EQ(in.count(), 1);
}

TEST_F(LoginDialog, TheFirstRunDialogRefusesABaseNameAsEveryDialogDoes) {
    Start({});
    TNotParolForm firstRunForm(firstRun);
    firstRunForm.show();
    TMessageRecorder boxes;
    QLineEdit* base = firstRunForm.BaseEdit();
    base->setFocus();
    // A refused character stays as typed, told at once; the name is refused as a whole, never turned
    // into another name ("../Дача" into "..Дача").
    TypeInto(base, "../Дача");
    EXPECT_EQ(base->text(), "../Дача");
    EXPECT_TRUE(firstRunForm.BaseHint()->isVisible());
    EXPECT_EQ(boxes.Beeps(), 1);
    firstRunForm.UserEdit()->setText("Сын");
    for (const QString& refused : {QString("../Дача"), QString("..")}) {
        base->setText(refused);
        firstRunForm.BaseHint()->hide();
        firstRunForm.AcceptButton()->click();
        EXPECT_TRUE(firstRunForm.isVisible());
        EXPECT_TRUE(firstRunForm.BaseHint()->isVisible()) << refused.toStdString();
        EXPECT_EQ(base->text(), refused);
    }
    EXPECT_EQ(boxes.Beeps(), 3);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(UsersOnDisk().empty());
}

// Мама (the only administrator) in "Семья", which is open; Папа, an ordinary user, in "Работа".
class UsersWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        const QString root = home.Path() + "/BASE";
        WriteRows(root + "/user", {{"Мама", "Семья", "1", PasswordCode("м")},
                                   {"Папа", "Работа", "Обычный пользователь", PasswordCode("п")}});
        WriteRows(root + "/baseuser", {{"Семья"}, {"Работа"}});
        WriteRows(root + "/Семья/rashod", {{"01.12.2026", "Еда", "Хлеб", "40", "рубль", "", "Мама"}});
        WriteRows(root + "/Работа/purse", {{"рубль", "1", "0", "1"}, {"карта", "1", "0", "0"}});
        WriteRows(root + "/Работа/rashod",
                  {kFatherExpense, {"03.12.2026", "Еда", "Сыр", "90", "рубль", "", "Мама"}});
        WriteRows(root + "/Работа/transfer_purse", kTransfers);
        MainWindowFixture::SetUp();
        context.state.paths.programDataFolder = home.Path();
        userForm = std::make_unique<TUserForm>(login);
        userForm->SetBasesSession(&context.bases);
        form->SetUserForm(userForm.get());
    }

    TLedgerGrid* UsersGrid() { return ui.Grid(TTableKind::User); }
    void ShowUsers() {
        form->SwitchSection(TQuorvaneForm::Base);
        ui.BaseTabs()->setCurrentIndex(3);
    }
    void SelectUserCell(int gridRow, int col) {
        TDataGrid& g = context.state.Grid(TTableKind::User);
        g.row = gridRow;
        g.col = col;
        UsersGrid()->ShowCell(col, gridRow);
        UsersGrid()->setFocus();
        form->RefreshCommands();
    }
    // A role or base chosen in the users grid's choice list, left the way a click elsewhere leaves it.
    void Choose(int gridRow, int col, const QString& item) {
        SelectUserCell(gridRow, col);
        QTest::keyClick(UsersGrid(), Qt::Key_Return);
        ASSERT_EQ(context.editors.Kind(), TEditorKind::Choice);
        QComboBox* choice = context.editors.ChoiceEditor();
        choice->setCurrentIndex(choice->findText(item));
        context.editors.CloseAndCommit();
    }
    void OpenBases() {
        ShowUsers();
        ui.ToolBar()->BaseUserButton()->click();
    }
    TNameBaseGrid* BaseGrid() { return userForm->BaseGrid(); }
    void EditBase(int row, const QString& text) {
        BaseGrid()->setCurrentCell(row, 0);
        BaseGrid()->setFocus();
        QTest::keyClick(BaseGrid(), Qt::Key_Return);
        ASSERT_TRUE(BaseGrid()->Editing());
        BaseGrid()->Editor()->clear();
        TypeInto(BaseGrid()->Editor(), text);
        QTest::keyClick(BaseGrid()->Editor(), Qt::Key_Return);
    }
    TRows UsersOnDisk() const { return RowsOfFile(home.Path() + "/BASE/user"); }
    TRows BasesOnDisk() const { return RowsOfFile(home.Path() + "/BASE/baseuser"); }

    const QStringList kFatherExpense = {"02.12.2026", "Авто", "Бензин", "900", "карта", "", "Папа"};
    const TRows kTransfers = {{"04.12.2026", "рубль", "1", "карта", "1", "100", ""},
                              {"05.12.2026", "карта", "1", "рубль", "1", "20", "сдача"}};
    TFirstRunLogic firstRun{context.state};
    TLoginLogic login{context.state, firstRun,
                      TUserHooks{[this] { context.RecomputeAll(); },
                                 [this] { context.edit.NormaliseAllDates(); },
                                 {},
                                 {},
                                 {},
                                 {}}};
    std::unique_ptr<TUserForm> userForm;
};

TEST_F(UsersWindow, TheCurrentBaseTheCurrentUserAndTheLastAdministratorStay) {
    ShowUsers();
    const TRows users = UsersOnDisk();
    const struct {
        const char* what;
        std::function<void()> act;
        TMessage message;
    } cases[] = {
        {"the current user's base",
         [this] {
             OpenBases();
             BaseGrid()->setCurrentCell(0, 0);
             QTest::keyClick(BaseGrid(), Qt::Key_Delete);
             userForm->AcceptButton()->click();
         },
         Error({"Базу активного пользователя удалять нельзя"})},
        {"the current user",
         [this] {
             SelectUserCell(1, 0);
             QTest::keyClick(UsersGrid(), Qt::Key_Delete);
         },
         Error({"Активного пользователя удалять нельзя"})},
        {"the last administrator", [this] { Choose(1, 2, "Обычный пользователь"); },
         Error({"Должен остаться хотя бы один администратор!"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMessageRecorder boxes;
        c.act();
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{c.message});
        EXPECT_EQ(UsersOnDisk(), users);
        EXPECT_EQ(BasesOnDisk(), TRows({{"Семья"}, {"Работа"}}));
        EXPECT_EQ(context.state.users.Row(0)->Cell(2), "Администратор");
        EXPECT_TRUE(context.state.admin);
        EXPECT_TRUE(form->isEnabled());
        EXPECT_FALSE(userForm->isVisible());
    }
}

TEST_F(UsersWindow, AnOrdinaryUserChangesHisOwnNameAndNothingElse) {
    // Папа, an ordinary user, at the keyboard (the base open is not his, which changes nothing here).
    context.state.userName = "Папа";
    context.state.admin = false;
    ShowUsers();
    const TRows users = UsersOnDisk();
    const TMessage refused = Info({"У Вас отсутствуют права администратора!"});
    const struct {
        const char* what;
        int row, col;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    } cases[] = {
        {"his role", 2, 2, Qt::Key_Return, Qt::NoModifier},
        {"his base", 2, 1, Qt::Key_Return, Qt::NoModifier},
        {"another user's name", 1, 0, Qt::Key_Return, Qt::NoModifier},
        {"another user's name pasted", 1, 0, Qt::Key_V, Qt::ControlModifier},
        {"a new user", 3, 0, Qt::Key_Return, Qt::NoModifier},
    };
    QApplication::clipboard()->setText("Захватчик");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMessageRecorder boxes;
        SelectUserCell(c.row, c.col);
        QTest::keyClick(UsersGrid(), c.key, c.mods);
        EXPECT_FALSE(context.editors.IsOpen());
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{refused});
        EXPECT_EQ(boxes.Beeps(), 1);
    }
    EXPECT_EQ(UsersOnDisk(), users);
    EXPECT_FALSE(context.state.admin);

    // His own name he may change.
    TMessageRecorder boxes;
    SelectUserCell(2, 0);
    QTest::keyClick(UsersGrid(), Qt::Key_Return);
    ASSERT_TRUE(context.editors.IsOpen());
    context.editors.LineEditor()->setText("Отец");
    context.editors.CloseAndCommit();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(context.state.userName, "Отец");
    EXPECT_EQ(UsersOnDisk()[1], QStringList({"Отец", "Работа", "Обычный пользователь", PasswordCode("п")}));
}

TEST_F(UsersWindow, TheBasesDialogRefusesATakenNameInOtherLettersAndForbiddenCharacters) {
    OpenBases();
    ASSERT_TRUE(userForm->isVisible());
    EXPECT_EQ(userForm->windowTitle(), "Базы пользователей");
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(BaseGrid()->Names(), QStringList({"Семья", "Работа", ""}));
    EXPECT_EQ(BaseGrid()->horizontalHeaderItem(0)->text(), "Имя базы");

    TMessageRecorder boxes;
    EditBase(1, "СЕМЬЯ");
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Имя не уникально"})});
    EXPECT_EQ(BaseGrid()->Names(), QStringList({"Семья", "Работа", ""}));
    EXPECT_FALSE(context.bases.Changed());

    // Each of " * / : < > ? \ | stays in the editor as typed, told at once with a beep and the hint
    // under it; the name is refused as a whole and the editor stays for it to be put right: a name is
    // never made into another one by dropping what was typed ("../evil" is not "..evil").
    boxes.Reset();
    const QString refused = "\"*/:<>?\\|";
    // A letter typed on the grid starts the edit with itself.
    BaseGrid()->setCurrentCell(2, 0);
    TypeInto(BaseGrid(), "Д");
    ASSERT_TRUE(BaseGrid()->Editing());
    TypeInto(BaseGrid()->Editor(), "ача" + refused + ".2");
    EXPECT_EQ(BaseGrid()->Editor()->text(), "Дача" + refused + ".2");
    EXPECT_EQ(boxes.Beeps(), refused.size());
    EXPECT_TRUE(BaseGrid()->Hint()->isVisible());
    EXPECT_EQ(BaseGrid()->Hint()->text(), "Недопустимые символы >,<,*,?,/,|,\\,:,\"");
    EXPECT_EQ(BaseGrid()->Hint()->y(), BaseGrid()->Editor()->geometry().bottom() + 1 + 2);
    QTest::keyClick(BaseGrid()->Editor(), Qt::Key_Return);
    EXPECT_TRUE(BaseGrid()->Editing());
    EXPECT_EQ(boxes.Beeps(), refused.size() + 1);
    // Pasted alike.
    BaseGrid()->Editor()->selectAll();
    QApplication::clipboard()->setText("../evil");
    QTest::keyClick(BaseGrid()->Editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(BaseGrid()->Editor()->text(), "../evil");
    EXPECT_EQ(boxes.Beeps(), refused.size() + 2);
    QTest::keyClick(BaseGrid()->Editor(), Qt::Key_Return);
    EXPECT_TRUE(BaseGrid()->Editing());
    EXPECT_EQ(boxes.Beeps(), refused.size() + 3);
    EXPECT_EQ(BaseGrid()->Names(), QStringList({"Семья", "Работа", ""}));
    // Put right, with blanks around it that the name does not keep.
    BaseGrid()->Editor()->selectAll();
    TypeInto(BaseGrid()->Editor(), " Дача.2 ");
    QTest::keyClick(BaseGrid()->Editor(), Qt::Key_Return);
    EXPECT_FALSE(BaseGrid()->Editing());
    EXPECT_EQ(BaseGrid()->Names(), QStringList({"Семья", "Работа", "Дача.2", ""}));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !BaseGrid()->Hint()->isVisible(); }, 2000));
    // A refused character typed on the grid starts the edit with itself, told the same way.
    BaseGrid()->setCurrentCell(3, 0);
    TypeInto(BaseGrid(), "/");
    ASSERT_TRUE(BaseGrid()->Editing());
    EXPECT_EQ(BaseGrid()->Editor()->text(), "/");
    EXPECT_TRUE(BaseGrid()->Hint()->isVisible());
    EXPECT_EQ(boxes.Beeps(), refused.size() + 4);
    QTest::keyClick(BaseGrid()->Editor(), Qt::Key_Escape);
    EXPECT_FALSE(BaseGrid()->Editing());
    EXPECT_EQ(BaseGrid()->Names(), QStringList({"Семья", "Работа", "Дача.2", ""}));

    // "Добавить", then a name no folder can have: the hint, and the editor stays for another try.
    boxes.Reset();
    userForm->AddButton()->click();
    ASSERT_TRUE(BaseGrid()->Editing());
    TypeInto(BaseGrid()->Editor(), "..");
    QTest::keyClick(BaseGrid()->Editor(), Qt::Key_Return);
    EXPECT_TRUE(BaseGrid()->Editing());
    EXPECT_TRUE(BaseGrid()->Hint()->isVisible());
    EXPECT_EQ(boxes.Beeps(), 1);
    BaseGrid()->Editor()->selectAll();
    TypeInto(BaseGrid()->Editor(), "Дом");
    QTest::keyClick(BaseGrid()->Editor(), Qt::Key_Return);
    EXPECT_FALSE(BaseGrid()->Editing());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(BaseGrid()->Names(), QStringList({"Семья", "Работа", "Дача.2", "Дом", ""}));
    // Space, Backspace and Esc start no edit; Esc does not close the dialog either.
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Escape})
        QTest::keyClick(BaseGrid(), key);
    EXPECT_FALSE(BaseGrid()->Editing());
    EXPECT_TRUE(userForm->isVisible());
    userForm->AcceptButton()->click();
    EXPECT_FALSE(userForm->isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(BasesOnDisk(), TRows({{"Семья"}, {"Работа"}, {"Дача.2"}, {"Дом"}}));
}

TEST_F(UsersWindow, ClosingTheBasesDialogByItsFrameAsksOnlyAfterAChange) {
    TMessageRecorder boxes;
    OpenBases();
    userForm->close();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(userForm->isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(BasesOnDisk(), TRows({{"Семья"}, {"Работа"}}));

    OpenBases();
    userForm->AddButton()->click();
    ASSERT_TRUE(BaseGrid()->Editing());
    EXPECT_EQ(BaseGrid()->currentRow(), 2);
    TypeInto(BaseGrid()->Editor(), "Дача");
    QTest::keyClick(BaseGrid()->Editor(), Qt::Key_Return);
    userForm->close();
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Question({"Сохранить изменения?"}, TMsgButton::Yes)});
    EXPECT_FALSE(userForm->isVisible());
    EXPECT_EQ(BasesOnDisk(), TRows({{"Семья"}, {"Работа"}, {"Дача"}}));

    // "Отмена" drops what was done.
    boxes.Reset();
    OpenBases();
    EditBase(0, "Дом");
    userForm->CancelButton()->click();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(BasesOnDisk(), TRows({{"Семья"}, {"Работа"}, {"Дача"}}));
    EXPECT_EQ(context.state.baseName, "Семья");
}

TEST_F(UsersWindow, ChangingAUsersBaseMovesHisRecordsAndEveryTransfer) {
    ShowUsers();
    TMessageRecorder boxes;
    Choose(2, 1, "Семья");
    ASSERT_FALSE(boxes.Boxes().empty());
    EXPECT_EQ(boxes.Boxes()[0],
              Question({"Перенести записи пользователя \"Папа\"", "из базы \"Работа\" в базу \"Семья\"?"},
                       TMsgButton::Yes));
    const QString work = home.Path() + "/BASE/Работа";
    EXPECT_TRUE(RowsOfFile(work + "/transfer_purse").empty());
    EXPECT_EQ(RowsOfFile(work + "/rashod"), TRows({{"03.12.2026", "Еда", "Сыр", "90", "рубль", "", "Мама"}}));
    // The open base was read again: the moved rows are in the window's tables.
    const TRows transfers = RowsOf(context.state.Table(TTableKind::Transfer));
    for (const QStringList& t : kTransfers)
        EXPECT_NE(std::find(transfers.begin(), transfers.end(), t), transfers.end())
            << t.join('|').toStdString();
    const TRows expenses = RowsOf(context.state.Table(TTableKind::Rashod));
    EXPECT_NE(std::find(expenses.begin(), expenses.end(), kFatherExpense), expenses.end());
    EXPECT_EQ(UsersOnDisk()[1].mid(0, 2), QStringList({"Папа", "Семья"}));
}

TEST_F(UsersWindow, ANewUserTypedInTheGridIsAskedForAPassword) {
    ShowUsers();
    TMessageRecorder boxes;
    SelectUserCell(3, 0);
    THelperForm* helper = &helperForm;
    bool asked = false;
    WhenShown([&] {
        asked = helper->isVisible() && helper->windowTitle() == "Задайте пароль для нового пользователя";
        EXPECT_EQ(helper->NewUserPasswordEdit()->echoMode(), QLineEdit::Password);
        helper->NewUserPasswordEdit()->setText("abc");
        helper->NewUserConfirmationEdit()->setText("abd");
        helper->AcceptButton()->click();
        EXPECT_EQ(helper->NewUserConfirmationEdit()->selectedText(), "abd");
        helper->NewUserConfirmationEdit()->setText("abc");
        helper->AcceptButton()->click();
    });
    Type("Дочь");
    Key(Qt::Key_Return);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(helper->isVisible());
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Пароли разные"})});
    EXPECT_EQ(context.state.users.Row(2)->Cell(0), "Дочь");
    EXPECT_EQ(context.state.users.Row(2)->Cell(3), PasswordCode("abc"));
    // Continuous entry goes on to the new user's base, then to the role, each chosen in the list's
    // popup with Down and Enter: the Enter that chose the base leaves the role's list open.
    for (const auto& [col, item] : {std::pair{1, "Работа"}, std::pair{2, "Обычный пользователь"}}) {
        ASSERT_EQ(context.editors.Kind(), TEditorKind::Choice);
        ASSERT_EQ(context.editors.Col(), col);
        QAbstractItemView* list = context.editors.ChoiceEditor()->view();
        ASSERT_TRUE(list->isVisible());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(context.state.users.Row(2)->Cell(col), QString::fromUtf8(item));
    }
    EXPECT_EQ(UsersOnDisk().back(),
              QStringList({"Дочь", "Работа", "Обычный пользователь", PasswordCode("abc")}));
}

TEST_F(UsersWindow, RenamingTheCurrentUserFollowsIntoTheRecordsAndTheCaption) {
    ShowUsers();
    TMessageRecorder boxes;
    SelectUserCell(1, 0);
    Key(Qt::Key_Return);
    ASSERT_EQ(context.editors.Kind(), TEditorKind::Text);
    context.editors.LineEditor()->setText("Мамочка");
    context.editors.CloseAndCommit();
    EXPECT_TRUE(form->windowTitle().endsWith("      Пользователь: Мамочка"));
    EXPECT_EQ(context.state.userName, "Мамочка");
    EXPECT_EQ(context.state.Table(TTableKind::Rashod).Row(0)->Cell(6), "Мамочка");
    EXPECT_EQ(ui.Grid(TTableKind::Rashod)->model()->index(0, 6).data().toString(), "Мамочка");
    EXPECT_EQ(RowsOfFile(home.Path() + "/BASE/Семья/rashod")[0][6], "Мамочка");
    EXPECT_EQ(UsersOnDisk()[0][0], "Мамочка");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(UsersWindow, ThePasswordChangeClosesAtTheThirdWrongOldPassword) {
    ShowUsers();
    SelectUserCell(1, 0);
    ASSERT_TRUE(ui.ToolBar()->ParolButton()->isEnabled());
    THelperForm* helper = &helperForm;
    TMessageRecorder boxes;
    int shownRefusals = 0;
    WhenShown([&] {
        EXPECT_EQ(helper->windowTitle(), "Введите пароль");
        for (int i = 0; i < 3; ++i) {
            helper->OldPasswordEdit()->setText("нет");
            helper->AcceptButton()->click();
            shownRefusals += helper->isVisible() ? 1 : 0;
        }
    });
    ui.ToolBar()->ParolButton()->click();
    EXPECT_EQ(shownRefusals, 2);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>(3, Error({"Неверный пароль"})));
    EXPECT_EQ(boxes.Beeps(), 3);

    // Through the main menu, with the right old password: the new code is written.
    WhenShown([&] {
        helper->OldPasswordEdit()->setText("м");
        helper->NewPasswordEdit()->setText("новый");
        helper->ConfirmationEdit()->setText("новый");
        helper->AcceptButton()->click();
    });
    ui.Menu()->Item("ParolUserMenu")->trigger();
    EXPECT_FALSE(helper->isVisible());
    EXPECT_EQ(UsersOnDisk()[0][3], PasswordCode("новый"));
    EXPECT_EQ(form->focusWidget(), UsersGrid());
}

TEST_F(UsersWindow, SwitchingTheUserShowsTheNewBaseFromTheFirstPage) {
    ShowUsers();
    context.state.Table(TTableKind::Rashod).Row(0)->SetCell(5, "свежая правка");
    QAction* item = ui.Menu()->Item("NewUserMenu");
    ASSERT_TRUE(item->isVisible());
    ASSERT_TRUE(ui.Menu()->AdminMenu()->isEnabled());
    TMessageRecorder boxes;
    item->trigger();
    ASSERT_TRUE(userForm->isVisible());
    EXPECT_EQ(userForm->Mode(), TUserForm::TMode::Switch);
    ASSERT_EQ(userForm->NameBox()->count(), 2);
    EXPECT_EQ(userForm->NameBox()->currentText(), "Мама");
    userForm->NameBox()->setCurrentIndex(1);
    userForm->PasswordEdit()->setText("п");
    userForm->AcceptButton()->click();
    EXPECT_FALSE(userForm->isVisible());
    EXPECT_TRUE(form->windowTitle().endsWith("      Пользователь: Папа"));
    EXPECT_EQ(form->Section(), TQuorvaneForm::Rashod);
    EXPECT_EQ(context.state.baseName, "Работа");
    EXPECT_FALSE(context.state.admin);
    EXPECT_FALSE(ui.Menu()->AdminMenu()->isEnabled());
    EXPECT_EQ(RowsOf(context.state.Table(TTableKind::Rashod)).front(), kFatherExpense);
    EXPECT_EQ(ui.Grid(TTableKind::Rashod)->model()->index(0, 2).data().toString(), "Бензин");
    // The base left behind went to its own folder.
    EXPECT_EQ(RowsOfFile(home.Path() + "/BASE/Семья/rashod"),
              TRows({{"01.12.2026", "Еда", "Хлеб", "40", "рубль", "свежая правка", "Мама"}}));
    EXPECT_TRUE(boxes.Boxes().empty());

    // An ordinary user hands the computer back through "Файл".
    QAction* fromFile = ui.Menu()->Items("NewUserMenu").value(0);
    ASSERT_NE(fromFile, nullptr);
    EXPECT_TRUE(fromFile->isEnabled());
    fromFile->trigger();
    EXPECT_TRUE(userForm->isVisible());
    EXPECT_EQ(userForm->Mode(), TUserForm::TMode::Switch);
}

TEST_F(UsersWindow, ThePursesAndUsersPopup) {
    ShowUsers();
    TUsersPage* page = ui.UsersPage();
    TMessageRecorder boxes;
    SelectUserCell(2, 0);
    QMenu* popup = page->PopupFor(TTableKind::User);
    EXPECT_TRUE(page->PopupItem("UserBaseMenu")->isVisible());
    EXPECT_FALSE(page->PopupItem("ParolUserMenu")->isEnabled()); // not the logged-in user's row
    ASSERT_EQ(popup->actions().size(), 4);
    EXPECT_EQ(popup->actions()[1]->text(), "Удалить запись");
    page->PopupItem("DeletePurseUserMenu")->trigger();
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Question({"Вы действительно хотите удалить пользователя?"},
                                                            TMsgButton::Yes)});
    EXPECT_EQ(UsersOnDisk().size(), 1u);

    // On the purses a record is a purse, deleted by the purse rules.
    boxes.Reset();
    ui.BaseTabs()->setCurrentIndex(2);
    TMemTable& purses = context.state.Table(TTableKind::Purse);
    purses.InsertRow(purses.RowCount() - 1)->SetCells({"евро", "90", "0", "0"});
    context.state.Grid(TTableKind::Purse).ResetRowMap();
    context.state.Grid(TTableKind::Purse).row = purses.RowCount() - 1;
    page->PopupFor(TTableKind::Purse);
    EXPECT_FALSE(page->PopupItem("UserBaseMenu")->isVisible());
    page->PopupItem("DeletePurseUserMenu")->trigger();
    EXPECT_EQ(boxes.Boxes(),
              std::vector<TMessage>{Question({"Вы действительно хотите удалить кошелек?"}, TMsgButton::Yes)});
    for (int i = 0; i < purses.RowCount(); ++i)
        EXPECT_NE(purses.Row(i)->Cell(0), "евро");

    // Someone who is not an administrator: the toolbar says so, the popup item does nothing.
    boxes.Reset();
    context.state.admin = false;
    ShowUsers();
    page->PopupFor(TTableKind::User);
    page->PopupItem("UserBaseMenu")->trigger();
    EXPECT_TRUE(boxes.Boxes().empty());
    ui.Menu()->Item("BaseUserMenu")->trigger();
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Info({"У Вас отсутствуют права администратора!"})});
    EXPECT_EQ(boxes.Beeps(), 1);
    EXPECT_FALSE(userForm->isVisible());
    EXPECT_TRUE(form->isEnabled());
}

} // namespace
