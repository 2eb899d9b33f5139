#include "moneyfixture.h"

namespace {

using Transfers = MoneyTest;

const QStringList kOneGoneApply(const QString& name) {
    return {"Кошелек \"" + name + "\" был удален. ",
            "Пересчет в кошельках по данной операции не будет произведен."};
}

TEST_F(Transfers, HundredAtRatesOneAndThreeGivesAThird) {
    SetPurses({{"A", "1", "1000"}, {"C", "3", "0"}});
    const int row = Transfer("A", "1", "C", "3", "100");
    money.purse.ApplyTransfer(row);
    EXPECT_EQ(Amount("A"), "900");
    EXPECT_EQ(Amount("C"), "33,3333333333333");
    EXPECT_EQ(state.totalMoney, 900 + 3 * NumberValue(u"33,3333333333333"));
    EXPECT_TRUE(boxes.Boxes().empty());
    // Taken back, the stored third leaves a trace far below a kopeck, as the float text dictates.
    money.purse.ReverseTransfer(row, TTransferReport::Short);
    EXPECT_EQ(Amount("A"), "1000");
    EXPECT_EQ(DisplayRound(NumberValue(Amount("C"))), "0");
}

TEST_F(Transfers, EditingTheAmountEndsAsIfOnlyTheNewAmountHadMoved) {
    const int row = Transfer("A", "1", "B", "2", "100");
    money.purse.ApplyTransfer(row);
    EXPECT_EQ(Amount("A"), "900");
    EXPECT_EQ(Amount("B"), "50");
    ASSERT_TRUE(money.purse.CommitTransferCell(row, col::transfer::Amount, "50"));
    EXPECT_EQ(Table(TTableKind::Transfer).Row(row)->Cell(col::transfer::Amount), "50");
    EXPECT_EQ(Amount("A"), "950");
    EXPECT_EQ(Amount("B"), "25");
    // A formula typed into the amount is stored as its value.
    ASSERT_TRUE(money.purse.CommitTransferCell(row, col::transfer::Amount, "10*3"));
    EXPECT_EQ(Amount("A"), "970");
    EXPECT_EQ(Amount("B"), "15");
}

TEST_F(Transfers, IncompleteOrSamePurseRowsMoveNothingAndTheLastCellAppliesTheWhole) {
    // Same purse twice.
    const int same = Transfer("A", "1", "A", "1", "100");
    money.purse.ApplyTransfer(same);
    EXPECT_EQ(Amount("A"), "1000");

    // Typed cell by cell: nothing moves until cells 1 to 5 are all there.
    const int row = AddRow(TTableKind::Transfer, {kToday});
    ASSERT_TRUE(money.purse.CommitTransferCell(row, col::transfer::FromPurse, "A"));
    EXPECT_EQ(Table(TTableKind::Transfer).Row(row)->Cell(col::transfer::FromRate), "1");
    ASSERT_TRUE(money.purse.CommitTransferCell(row, col::transfer::Amount, "100"));
    EXPECT_EQ(Amount("A"), "1000");
    // Choosing the destination fills its rate and completes the row: the whole transfer is applied.
    ASSERT_TRUE(money.purse.CommitTransferCell(row, col::transfer::ToPurse, "B"));
    EXPECT_EQ(Table(TTableKind::Transfer).Row(row)->Cell(col::transfer::ToRate), "2");
    EXPECT_EQ(Amount("A"), "900");
    EXPECT_EQ(Amount("B"), "50");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Transfers, APurseChoiceFillsItsRateOrOneForAnUnknownName) {
    EXPECT_EQ(money.purse.TransferRateFor("B"), "2");
    EXPECT_EQ(money.purse.TransferRateFor("нет такого"), "1");
}

TEST_F(Transfers, AZeroRateTypedIsRefusedAndMovesNothing) {
    const int row = Transfer("A", "1", "B", "2", "100");
    money.purse.ApplyTransfer(row);
    EXPECT_FALSE(money.purse.CommitTransferCell(row, col::transfer::ToRate, "0"));
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Error({"Курс кошелька не может быть нулевым"})}));
    EXPECT_EQ(Table(TTableKind::Transfer).Row(row)->Cell(col::transfer::ToRate), "2");
    // The refused edit left the transfer applied.
    EXPECT_EQ(Amount("A"), "900");
    EXPECT_EQ(Amount("B"), "50");
}

TEST_F(Transfers, AZeroDestinationRateInStoredDataStopsTheTransfer) {
    const int row = Transfer("A", "1", "B", "0,00", "100");
    money.purse.ApplyTransfer(row);
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Error({"Курс кошелька не может быть нулевым"})}));
    EXPECT_EQ(Amount("A"), "1000");
    EXPECT_EQ(Amount("B"), "0");
}

TEST_F(Transfers, DeletedPursesAreReportedShortOrLongAndMoveNothing) {
    const int one = Transfer("A", "1", "X", "1", "100");
    const int both = Transfer("X", "1", "Y", "1", "7,5");
    money.purse.ApplyTransfer(one);
    money.purse.ApplyTransfer(both);
    money.purse.ReverseTransfer(one, TTransferReport::Short);
    money.purse.ReverseTransfer(both, TTransferReport::Short);
    money.purse.ReverseTransfer(one, TTransferReport::Long);
    money.purse.ReverseTransfer(both, TTransferReport::Long);
    const QString tail1 = "Пересчет в кошельках по данной операции";
    const QString tail2 = "не будет произведен.";
    const std::vector<TMessage> expected = {
        Info(kOneGoneApply("X")),
        Info({"Кошельки, указанные в данной операции удалены.",
              "Пересчет в кошельках по данной операции не будет произведен."}),
        Info({"Кошелек \"X\" был удален. ", tail1, tail2}),
        Info({"Кошельки, указанные в данной операции удалены.", tail1, tail2}),
        Info({"В таблице переноса денег есть перенос ", "из кошелька \"A\" в кошелек \"X\"", "на сумму 100",
              "Кошелек \"X\" был удален. ", tail1, tail2, "Возможно будет необходимо исправить суммы ",
              "в кошельках вручную."}),
        Info({"В таблице переноса денег есть перенос ", "из кошелька \"X\" в кошелек \"Y\"", "на сумму 7,5",
              "Оба кошелька были удалены.", tail1, tail2, "Возможно будет необходимо исправить суммы ",
              "в кошельках вручную."}),
    };
    EXPECT_EQ(boxes.Boxes(), expected);
    EXPECT_EQ(Amount("A"), "1000");
}

TEST_F(Transfers, DeletingARowAsksAndTakesItsEffectBack) {
    const int row = Transfer("A", "1", "B", "2", "100");
    const int newRow = AddRow(TTableKind::Transfer, {kToday});
    money.purse.ApplyTransfer(row);

    boxes.AnswerNo();
    EXPECT_FALSE(money.purse.DeleteTransferRow(row));
    EXPECT_EQ(Table(TTableKind::Transfer).RowCount(), 2);
    EXPECT_EQ(Amount("B"), "50");

    boxes.AnswerYes();
    EXPECT_TRUE(money.purse.DeleteTransferRow(row));
    EXPECT_EQ(boxes.Boxes().back(), Question({"Вы действительно хотите удалить строку?"}, TMsgButton::Yes));
    EXPECT_EQ(Table(TTableKind::Transfer).RowCount(), 1);
    EXPECT_EQ(Grid(TTableKind::Transfer).GridRowCount(), 2);
    EXPECT_EQ(Amount("A"), "1000");
    EXPECT_EQ(Amount("B"), "0");

    // The new-transfer row is only emptied, its date kept.
    Table(TTableKind::Transfer).Row(0)->SetCell(col::transfer::Note, "заметка");
    boxes.AnswerYes();
    EXPECT_TRUE(money.purse.DeleteTransferRow(newRow - 1));
    EXPECT_EQ(Rows(Table(TTableKind::Transfer)),
              (std::vector<QStringList>{{kToday, "", "", "", "", "", ""}}));
}

TEST_F(Transfers, ACompleteLastRowIsTakenBackWhenEmptied) {
    const int row = Transfer("A", "1", "B", "2", "100");
    money.purse.ApplyTransfer(row);
    EXPECT_TRUE(money.purse.DeleteTransferRow(row, false));
    EXPECT_EQ(Amount("A"), "1000");
    EXPECT_EQ(Amount("B"), "0");
    EXPECT_EQ(Table(TTableKind::Transfer).RowCount(), 1);
}

} // namespace
