#pragma once

#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "testfolders.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <map>

// The files under a folder, by their full paths, with their bytes.
using TFiles = std::map<QString, QByteArray>;
TFiles FilesOnDisk(const QString& folder);
// The folder made to hold exactly these files again.
void PutFilesBack(const QString& folder, const TFiles& files);

QString DebtName(int i);
// The returns of debt i carry its number in their sums (10 i + r), so that each return tells its debt.
QString ReturnSum(int i, int r);
// Debts written by an earlier run in another order, newest first, each with two returns: the load sorts
// them the other way, so the next save renumbers every debt and moves every returns file.
void WriteDebtsNewestFirst(const QString& baseFolder, int debts);

// The base "Семья" of the user "Мама" under a data root of its own, and the state that has it open.
class TSavedBaseTest : public ::testing::Test {
protected:
    void SetUp() override { PointAt(home.Path() + "/data"); }
    void PointAt(const QString& dataRoot);
    // The same base opened into another state, as the next start opens it.
    TMyType& OpenedAgain(TMyType& opened) const;

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    QString root; // the data root
    QString base; // the base folder
    TMyType state;
};
