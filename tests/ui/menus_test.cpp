// Every menu item and toolbar button on every page, for an administrator and for an ordinary user;
// "Сортировка" as it sorts the view on show.
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "storage/atomicfile.h"
#include "testfolders.h"
#include "ui/tappcontext.h"
#include "ui/tcommandstate.h"
#include "ui/tmenuclass.h"
#include "ui/tquorvaneform.h"
#include "ui/ttemplatecommands.h"
#include "ui/ttoolbarpanel.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

struct TItemSpec {
    const char* name;
    const char* caption;
    const char* shortcut;
};

// The main menu's items with their captions and shortcuts.
const TItemSpec kItems[] = {
    {"Calc", "Калькулятор", "F9"},
    {"ExcelMenu", "Выгрузить в электронную таблицу (Excel, OpenOffice и т.п.)", ""},
    {"NewExcelMenu", "Выгрузить в электронную таблицу (Excel, OpenOffice и т.п.)", "F8"},
    {"OldPrintMenu", "Печать таблицы", "F11"},
    {"CreateArhivMenu", "Создать резервную копию баз пользователя", ""},
    {"OpenArhivMenu", "Восстановить резервную копию", ""},
    {"OpenDailyArhivMenu", "Восстановить ежедневную резервную копию", ""},
    {"ExitMenu", "Выход", "F10"},
    {"PravkaMenu", "Изменить запись", ""},
    {"DeleteMenu", "Удалить", ""},
    {"AddVidRashodMenu", "Добавить вид расхода", ""},
    {"DeleteVidRashodMenu", "Удалить вид расхода", ""},
    {"RenameVidRashodMenu", "Переименовать столбец", ""},
    {"BaseUserMenu", "Базы пользователей", ""},
    {"ParolUserMenu", "Сменить пароль", ""},
    {"FilterMenu", "Фильтр", ""},
    {"FilterNoMenu", "Нет", ""},
    {"FilterMoneyMenu", "Сегодня", ""},
    {"FilterWeekMenu", "Текущая неделя", ""},
    {"Filter7DayMenu", "Последние 7 дней", ""},
    {"FilterMonthMenu", "Текущий месяц", ""},
    {"Filter30DayMenu", "Последний месяц", ""},
    {"FilterEveryMenu", "Настраиваемый", ""},
    {"PrintMenu", "Печать таблицы", ""},
    {"ClearBaseMenu", "Очистить таблицы", ""},
    {"ReCalculateMenu", "Пересчитать суммы в кошельке", ""},
    {"NewUserMenu", "Сменить пользователя", ""},
    {"SettingMenu", "Где хранятся базы программы", ""},
    {"OptimizationBaseMenu", "Оптимизация баз", ""},
    {"ErrorAtributesBaseMenu", "Возможные неполадки", ""},
    {"HMy", "Справка", "F1"},
    {"OP", "О программе", ""},
};

// Visible items of "Действия" and toolbar buttons by page ("Фильтр" and the record items on the ledgers).
struct TPageSpec {
    int section;
    int tab;
    QStringList toolbar;
    QStringList actions;
};

const TPageSpec kPages[] = {
    {0, 0, {"PravkaButton", "DeleteButton"}, {"PravkaMenu", "DeleteMenu", "FilterMenu"}},
    {1, 0, {"PravkaButton", "DeleteButton"}, {"PravkaMenu", "DeleteMenu", "FilterMenu"}},
    {2, 0, {"PravkaButton", "DeleteButton"}, {"PravkaMenu", "DeleteMenu", "FilterMenu"}},
    {3, 0, {"PravkaButton", "DeleteButton"}, {"PravkaMenu", "DeleteMenu", "FilterMenu"}},
    {4, 0, {}, {}},
    {5,
     0,
     {"PravkaButton", "DeleteButton", "AddVidButton", "DelVidButton", "RenameVidButton"},
     {"PravkaMenu", "DeleteMenu", "AddVidRashodMenu", "DeleteVidRashodMenu", "RenameVidRashodMenu"}},
    {5, 1, {"PravkaButton", "DeleteButton"}, {"PravkaMenu", "DeleteMenu"}},
    {5, 2, {"PravkaButton", "DeleteButton"}, {"PravkaMenu", "DeleteMenu"}},
    {5,
     3,
     {"PravkaButton", "DeleteButton", "BaseUserButton", "ParolButton"},
     {"PravkaMenu", "DeleteMenu", "BaseUserMenu"}},
};

const QStringList kActionItems = {"PravkaMenu",          "DeleteMenu",          "AddVidRashodMenu",
                                  "DeleteVidRashodMenu", "RenameVidRashodMenu", "BaseUserMenu",
                                  "ParolUserMenu",       "FilterMenu"};

} // namespace

class Menus : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        TMyType& s = context.state;
        s.paths.programFolder = home.Path() + "/program";
        s.paths.dataRoot = home.Path() + "/";
        s.userName = "Мама";
        s.baseName = "Семья";
        s.baseFolder = home.Path() + "/BASE/Семья";
        form = std::make_unique<TQuorvaneForm>(context);
        ui = TWindowWidgets(form.get());
        form->resize(1136, 681);
        form->show();
        form->OpenBase();
        s.admin = GetParam();
    }
    TTestDataHome home;
    TSession session;
    TAppContext context{session};
    std::unique_ptr<TQuorvaneForm> form;
    TWindowWidgets ui;
};

TEST_P(Menus, EveryItemHasItsCaptionShortcutAndPageRules) {
    const bool admin = GetParam();
    TMenuClass* menu = ui.Menu();
    for (const TItemSpec& item : kItems) {
        QAction* a = menu->Item(item.name);
        ASSERT_NE(a, nullptr) << item.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(item.caption)) << item.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(item.shortcut))) << item.name;
    }
    EXPECT_EQ(menu->Items("ExcelMenu").size(), 2);
    EXPECT_EQ(menu->Items("ExcelMenu")[1]->text(), "Выгрузить в электронную таблицу как...");
    for (const char* hidden : {"PrintMenu", "ReCalculateMenu"})
        EXPECT_FALSE(menu->Item(hidden)->isVisible()) << hidden;
    // "Сменить пользователя": on "Файл" for everybody, and on "Администрирование".
    ASSERT_EQ(menu->Items("NewUserMenu").size(), 2);
    for (QAction* a : menu->Items("NewUserMenu"))
        EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(menu->Items("NewUserMenu")[0]->isEnabled());

    for (const TPageSpec& page : kPages) {
        SCOPED_TRACE(
            QString("section %1 tab %2 admin %3").arg(page.section).arg(page.tab).arg(admin).toStdString());
        form->SwitchSection(page.section);
        if (page.section == 5) ui.BaseTabs()->setCurrentIndex(page.tab);
        form->RefreshCommands();
        TToolBarPanel* bar = ui.ToolBar();
        EXPECT_EQ(bar->isVisible(), page.section != 4);
        for (QPushButton* b : bar->findChildren<QPushButton*>())
            EXPECT_EQ(!b->isHidden() && page.section != 4, page.toolbar.contains(b->objectName()))
                << b->objectName().toStdString();
        EXPECT_EQ(menu->ActionsMenu()->menuAction()->isVisible(), page.section != 4);
        if (page.section != 4) {
            for (const QString& name : kActionItems)
                EXPECT_EQ(menu->Item(name)->isVisible(), page.actions.contains(name)) << name.toStdString();
        }
        EXPECT_EQ(menu->SortMenu()->menuAction()->isVisible(), page.section != 4);
        EXPECT_EQ(menu->SortMenu()->isEnabled(), page.section <= 3);
        EXPECT_EQ(menu->AdminMenu()->isEnabled(), admin);
        if (page.section == 5 && page.tab == 3) {
            EXPECT_EQ(bar->DeleteButton()->isEnabled(), admin);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Roles, Menus, ::testing::Values(true, false));

namespace {

// "Шаблоны выгрузки и печати" in its order; "-" a separator.
const char* const kTemplateItems[][2] = {
    {"RashodShablon", "Шаблон таблицы расходов"},
    {"DohodShablon", "Шаблон таблицы доходов"},
    {"DolgShablon", "Шаблон таблицы долгов"},
    {"VozvratDolgShablon", "Шаблон таблицы возврата долга"},
    {"PlanRashodShablon", "Шаблон таблицы планов по расходам"},
    {"PlanDohodShablon", "Шаблон таблицы планов по доходам"},
    {"-", ""},
    {"AnalisVidRashodShablon", "Шаблон таблицы анализа по видам расходов"},
    {"AnalisNameRashodShablon", "Шаблон таблицы анализа по наименованиям расходов"},
    {"AnalisVidDohodShablon", "Шаблон таблицы анализа по видам доходов"},
    {"AnalisPlanRashodShablon", "Шаблон таблицы анализа по планированию расходов"},
    {"AnalisPlanDohodShablon", "Шаблон таблицы анализа по планированию доходов"},
    {"AnalisPrimRashodShablon", "Шаблон таблицы анализа по примечаниям в таблице расходов"},
    {"AnalisPrimDohodShablon", "Шаблон таблицы анализа по примечаниям в таблице доходов"},
    {"AnalisPrimPlanRashodShablon", "Шаблон таблицы анализа по примечаниям в таблице планов-расходов"},
    {"AnalisPrimPlanDohodShablon", "Шаблон таблицы анализа по примечаниям в таблице планов-доходов"},
    {"PurseShablon", "Шаблон таблицы кошельков"},
    {"TransferShablon", "Шаблон таблицы переноса денег между кошельками"},
    {"UserShablon", "Шаблон таблицы пользователей"},
    {"VidRashodShablon", "Шаблон таблицы наименований расходов"},
    {"VidDohodShablon", "Шаблон таблицы названий доходов"},
    {"Help", "Подсказки для редактирования шаблонов"},
    {"Default", "Восстановить все шаблоны по умолчанию"},
};

// An item as the menu shows it: its name, or "-" for a separator.
QString Shown(const QAction* a) {
    return a->isSeparator() ? QStringLiteral("-") : a->objectName();
}

} // namespace

TEST_P(Menus, TheTemplatesMenuStandsOnFileBetweenTheExportAndThePrintout) {
    TMenuClass* menu = ui.Menu();
    QStringList file;
    for (const QAction* a : menu->FileMenu()->actions())
        file << Shown(a);
    const int at = file.indexOf("ShablonMenu");
    ASSERT_GE(at, 2);
    EXPECT_EQ(file.mid(at - 2, 5), QStringList({"NewExcelMenu", "-", "ShablonMenu", "-", "OldPrintMenu"}));
    EXPECT_EQ(menu->Item("ShablonMenu")->text(), "Шаблоны выгрузки и печати");
    EXPECT_EQ(menu->Item("ShablonMenu")->menu(), menu->TemplatesMenu());

    const QList<QAction*> items = menu->TemplatesMenu()->actions();
    ASSERT_EQ(items.size(), int(std::size(kTemplateItems)));
    for (int i = 0; i < items.size(); ++i) {
        EXPECT_EQ(Shown(items[i]), QString::fromLatin1(kTemplateItems[i][0])) << i;
        if (!items[i]->isSeparator()) {
            EXPECT_EQ(items[i]->text(), QString::fromUtf8(kTemplateItems[i][1])) << i;
            EXPECT_EQ(menu->Item(kTemplateItems[i][0]), items[i]) << i;
        }
    }
}

TEST(CommandState, ThePasswordAndEditOnTheUsersTabFollowTheOwnRow) {
    TCommandContext c;
    c.section = 5;
    c.baseTab = 3;
    c.admin = false;
    c.ownUserRow = false;
    TCommandState s = ComputeCommandState(c);
    EXPECT_FALSE(s.Item("ParolButton").enabled);
    EXPECT_FALSE(s.Item("ParolUserMenu").visible);
    EXPECT_FALSE(s.Item("PravkaButton").enabled);
    EXPECT_FALSE(s.Item("DeleteButton").enabled);
    c.ownUserRow = true;
    s = ComputeCommandState(c);
    EXPECT_TRUE(s.Item("ParolButton").enabled);
    EXPECT_TRUE(s.Item("ParolUserMenu").visible);
    EXPECT_TRUE(s.Item("PravkaButton").enabled);
    // On a ledger the edit button waits while the last column is current; "Удалить строку" hides under an
    // editor.
    c = TCommandContext{};
    c.lastColumn = true;
    c.editorOpen = true;
    s = ComputeCommandState(c);
    EXPECT_FALSE(s.Item("PravkaButton").enabled);
    EXPECT_FALSE(s.Item("DeleteButton").visible);
}

using TemplateItems = MainWindowFixture;

TEST_F(TemplateItems, OpenTheirTemplatesAndPutTheDefaultSetBack) {
    context.state.paths.programDataFolder = home.ProgramData();
    const QString work = home.ProgramData() + "/PageMaket/";
    const QString defaults = home.ProgramData() + "/PageMaketDefault/";
    WriteFileBytes(work + "Dolg.ods", "edited");
    WriteFileBytes(defaults + "Dolg.ods", "default");
    auto* commands = form->findChild<TTemplateCommands*>();
    ASSERT_NE(commands, nullptr);
    std::vector<QUrl> opened;
    commands->open = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    TMessageRecorder boxes;
    ui.Menu()->Item("DolgShablon")->trigger();
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(work + "Dolg.ods")});
    EXPECT_TRUE(boxes.Boxes().empty());
    ui.Menu()->Item("UserShablon")->trigger();
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Info({"Ошибка при открытии", work + "User.ods"})});

    boxes.Reset();
    boxes.AnswerYes();
    ui.Menu()->Item("Default")->trigger();
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].kind, TMsgKind::Question);
    EXPECT_EQ(boxes.Boxes()[1], Info({"Шаблоны установлены по умолчанию"}));
    EXPECT_EQ(ReadFileBytes(work + "Dolg.ods"), "default");
}

namespace {

// Three expenses whose dates, kinds and sums each give another order.
class SortMenu : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("rashod", {{"01.12.2026", "Дом", "Посуда", "30", "", "", "Мама"},
                              {"02.12.2026", "Еда", "Хлеб", "10", "", "", "Мама"},
                              {"03.12.2026", "Авто", "Бензин", "20", "", "", "Мама"}});
    }
    QAction* SortItem(const QString& name) {
        for (QAction* a : ui.Menu()->SortMenu()->actions())
            if (a->objectName() == name) return a;
        return nullptr;
    }
    // The names of the three expenses in table order.
    QStringList Names() {
        QStringList out;
        for (int r = 0; r < 3; ++r)
            out << Cell(r, 2);
        return out;
    }
    // Opens "Сортировка" and chooses its item on that line (from 1) with the keys, as a person does.
    void Choose(int line) {
        QMenu* menu = ui.Menu()->SortMenu();
        menu->popup(form->mapToGlobal(QPoint(300, 20)));
        ASSERT_TRUE(menu->isVisible());
        for (int i = 0; i < line; ++i)
            QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_FALSE(menu->isVisible());
    }
    // The checked column item and "В обратном порядке".
    std::pair<QString, bool> Shown() {
        QString checked;
        for (QAction* a : ui.Menu()->SortMenu()->actions())
            if (a->isVisible() && a->isChecked() && a->objectName().startsWith("Name"))
                checked = a->objectName();
        return {checked, SortItem("MyReturn")->isChecked()};
    }
};

} // namespace

TEST_F(SortMenu, ChosenFromTheOpenMenuItSortsAndAlwaysShowsTheSortOfTheView) {
    Rashod()->setFocus();
    EXPECT_EQ(Names(), QStringList({"Посуда", "Хлеб", "Бензин"}));
    EXPECT_EQ(Shown(), std::pair(QString("Name0"), false));
    const struct {
        const char* what;
        std::function<void()> act;
        QStringList names;
        std::pair<QString, bool> shown;
    } steps[] = {
        {"«Сумма» from the menu", [&] { Choose(4); }, {"Хлеб", "Бензин", "Посуда"}, {"Name3", false}},
        {"«Сумма» again", [&] { Choose(4); }, {"Посуда", "Бензин", "Хлеб"}, {"Name3", true}},
        {"a click on the caption «Вид расхода»",
         [&] {
             QHeaderView* header = Rashod()->horizontalHeader();
             QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                               QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
         },
         {"Бензин", "Посуда", "Хлеб"},
         {"Name1", false}},
        {"«В обратном порядке»", [&] { Choose(8); }, {"Хлеб", "Посуда", "Бензин"}, {"Name1", true}},
        {"«В обратном порядке» again", [&] { Choose(8); }, {"Бензин", "Посуда", "Хлеб"}, {"Name1", false}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(Names(), step.names);
        EXPECT_EQ(Shown(), step.shown);
    }
    // Another view with fewer columns: its own items, and its own sort.
    WindowKey(Qt::Key_F3);
    EXPECT_EQ(SortItem("Name5")->text(), "Пользователь");
    EXPECT_FALSE(SortItem("Name6")->isVisible());
    EXPECT_EQ(Shown(), std::pair(QString("Name0"), false));
    WindowKey(Qt::Key_F2);
    EXPECT_EQ(SortItem("Name6")->text(), "Пользователь");
    EXPECT_TRUE(SortItem("Name6")->isVisible());
    EXPECT_EQ(Shown(), std::pair(QString("Name1"), false));
}
