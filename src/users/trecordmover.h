#pragma once

#include <QString>

// Moving a user's records from one base folder to another.
class TRecordMover {
public:
    // True when a ledger file of the folder holds a row entered by the user (rashod, dohod, dolg,
    // planrashod, plandohod, looked at in that order).
    static bool HasRecords(const QString& baseFolder, const QString& user);

    // Moves the user's rows of rashod, dohod, dolg (each debt with its returns), planrashod and
    // plandohod, and every transfer row, from folder A to folder B, offering to add to B the purses its
    // rows name. Every changed file of B is written in one save, then every changed file of A in
    // another, only once B's is made: an interruption leaves a moved row in both bases, never in
    // neither. False, with the error shown and nothing moved, when another running program has either
    // base open or the rashod file of either base cannot be read.
    static bool Move(const QString& folderA, const QString& folderB, const QString& user);
};
