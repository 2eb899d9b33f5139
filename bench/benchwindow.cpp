#include "benchwindow.h"

#include "ledger/tautosave.h"
#include "storage/datafolders.h"
#include "ui/tlowerpanel.h"
#include "ui/tmoneyviews.h"

TWindow::TWindow(const TBenchBase& base, bool ownCopy) {
    session = std::make_unique<TSession>();
    context = std::make_unique<TAppContext>(*session);
    TMyType& s = context->state;
    s.paths.dataRoot = base.dataRoot + QStringLiteral("/");
    s.baseFolder = base.baseFolder;
    if (ownCopy) {
        copy = std::make_unique<QTemporaryDir>();
        s.paths.dataRoot = copy->path() + QStringLiteral("/");
        s.baseFolder = copy->path() + QStringLiteral("/BASE/Base1");
        CopyFolderRecursively(base.baseFolder, s.baseFolder);
    }
    s.baseName = QStringLiteral("Base1");
    s.userName = QStringLiteral("Мама");
    s.admin = true;
    form = std::make_unique<TQuorvaneForm>(*context);
    form->resize(1136, 681);
    form->show();
}

void TWindow::Open() {
    form->OpenBase();
    if (!copy) AutoSave()->Stop();
}

TAutoSave* TWindow::AutoSave() const {
    return form->findChild<TAutoSave*>();
}
TMoneyViews* TWindow::MoneyViews() const {
    return form->findChild<TMoneyViews*>();
}
TLowerPanel* TWindow::Lower() const {
    return form->findChild<TLowerPanel*>(QStringLiteral("Panel1"));
}
