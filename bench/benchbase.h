#pragma once

#include "storage/tmessageboxclass.h"

#include <QString>

#include <functional>

// The big base every benchmark works on: 100,000 expenses, 20,000 incomes, 2,000 debts with five
// returns each and 5,000 plans of each kind, generated once per run in a temporary data root.
struct TBenchBase {
    QString dataRoot;
    QString baseFolder;
    qint64 fileBytes = 0; // every table file of the base
};

const TBenchBase& BigBase();
// The million-record base: ten times the big base's expenses, incomes, plans and transfers
// (vm_genbase --scale 10), generated on first use.
const TBenchBase& MillionBase();
// The peak resident size of this process so far (VmHWM), in bytes.
qint64 PeakResidentBytes();
// Reads every file of the base folder into memory: the floor for any load.
qint64 ReadAllFiles(const QString& folder);
// Bytes the allocator hands out right now, the separately mapped large blocks included.
qint64 HeapInUse();

// Message boxes answered with their default buttons: a benchmark asks nobody.
class TSilentMessages final : public IMessagePresenter {
public:
    TMsgButton Present(const TMessage& m, bool*) override { return m.defaultButton; }
    void Beep() override {}
    void ShowCellHint(int, int, int, const QString&) override {}
};

// The main of a benchmark program: the Russian locale, silent message boxes, `prepare` run (the base
// generated) before the first figure is taken.
int RunBenchmarks(int argc, char** argv, const std::function<void()>& prepare);
// The main of a benchmark program over the big base: the Russian locale, silent message boxes, the
// base generated (and `prepare` run) before the first figure is taken.
int RunBigBaseBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {});
