#pragma once

#include "benchbase.h"

#include "ui/tappcontext.h"
#include "ui/tquorvaneform.h"

#include <QTemporaryDir>

#include <memory>

class TAutoSave;
class TLowerPanel;
class TMoneyViews;

// The main window over a generated base, shown at the program's usual size and logged in as "Мама".
struct TWindow {
    std::unique_ptr<QTemporaryDir> copy;
    std::unique_ptr<TSession> session;
    std::unique_ptr<TAppContext> context;
    std::unique_ptr<TQuorvaneForm> form;
    // ownCopy: over a copy of the base, for a window whose saves must not change it for the others.
    explicit TWindow(const TBenchBase& base, bool ownCopy = false);
    // Over the big base.
    explicit TWindow(bool ownCopy = false) : TWindow(BigBase(), ownCopy) {}
    // The base opened as the first activation does; over the shared base nothing is saved.
    void Open();
    // The window's parts, found as they sit in it.
    TAutoSave* AutoSave() const;
    TMoneyViews* MoneyViews() const;
    TLowerPanel* Lower() const;
};
