#include "users/userrights.h"

#include "ledger/tmytype.h"
#include "messagerecorder.h"

#include <gtest/gtest.h>

namespace {

// Father and mother, then the users grid's new-record row.
struct TUsers {
    TMyType state;
    TUsers() {
        state.users.AddRow()->SetCells({"Папа", "Семья", "Администратор", "0"});
        state.users.AddRow()->SetCells({"Мама", "Семья", "Обычный пользователь", "0"});
        state.users.AddRow()->SetCells({"", "", "", ""});
    }
};

} // namespace

TEST(UserRights, TheOwnRowIsTheOneWithTheLoggedInName) {
    const struct {
        const char* user;
        int row; // -1: no row
        bool own;
    } cases[] = {
        {"Мама", 1, true},   {"Мама", 0, false}, {"Мама", 2, false},
        {"Мама", -1, false}, {"мама", 1, false}, // names are told apart by their letter case
        {"", 2, false},                          // nobody logged in owns the blank row
    };
    for (const auto& c : cases) {
        TUsers u;
        u.state.userName = QString::fromUtf8(c.user);
        const TTableRow* row = c.row >= 0 ? u.state.users.Row(c.row) : nullptr;
        EXPECT_EQ(IsOwnUserRow(u.state, row), c.own) << c.user << " row " << c.row;
    }
}

TEST(UserRights, EditDeleteAndPasswordByRoleAndRow) {
    const struct {
        bool admin, own;
        bool edit, remove, password;
    } cases[] = {
        {true, true, true, true, true},
        {true, false, true, true, false},
        {false, true, true, false, true},
        {false, false, false, false, false},
    };
    for (const auto& c : cases) {
        const TUserRowRights r = UserRowRights(c.admin, c.own);
        SCOPED_TRACE(testing::Message() << "admin " << c.admin << " own " << c.own);
        EXPECT_EQ(r.edit, c.edit);
        EXPECT_EQ(r.remove, c.remove);
        EXPECT_EQ(r.password, c.password);
    }
}

TEST(UserRights, TheBasesDialogIsAnAdministratorsAndOnlyTheToolbarAndMenuSayWhy) {
    const TMessage refused = Info({"У Вас отсутствуют права администратора!"});
    const struct {
        bool admin, fromPopup;
        bool opens;
        bool told;
    } cases[] = {
        {true, false, true, false},
        {true, true, true, false},
        {false, false, false, true},
        {false, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "admin " << c.admin << " popup " << c.fromPopup);
        TUsers u;
        u.state.admin = c.admin;
        TMessageRecorder boxes;
        EXPECT_EQ(MayOpenBases(u.state, c.fromPopup), c.opens);
        EXPECT_EQ(boxes.Boxes(), c.told ? std::vector<TMessage>{refused} : std::vector<TMessage>{});
        EXPECT_EQ(boxes.Beeps(), c.told ? 1 : 0);
    }
}
