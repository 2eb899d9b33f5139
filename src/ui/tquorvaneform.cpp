#include "ui/tquorvaneform.h"

#include "session/changenames.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/columnsizing.h"
#include "ledger/gridids.h"
#include "ledger/tautosave.h"
#include "ledger/tbaseloader.h"
#include "ledger/tgridmodel.h"
#include "ledger/tkindsmodel.h"
#include "ledger/toperationswithnumbers.h"
#include "ledger/ttablesortert.h"
#include "storage/fileerror.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsettingsfiles.h"
#include "ui/tanalysispage.h"
#include "ui/tappcontext.h"
#include "ui/tcalcform.h"
#include "ui/tcommandstate.h"
#include "ui/texportcommands.h"
#include "ui/tgridcontroller.h"
#include "ui/thelpcommand.h"
#include "ui/thelperform.h"
#include "ui/tkindscommands.h"
#include "ui/tkindslistcontroller.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"
#include "ui/tlowerpanel.h"
#include "ui/tmainwindowparts.h"
#include "ui/tmenuclass.h"
#include "ui/tmoneyviews.h"
#include "ui/tprintcommands.h"
#include "ui/tpursepage.h"
#include "ui/tsearchcontroller.h"
#include "ui/tsectionpanel.h"
#include "ui/ttemplatecommands.h"
#include "ui/ttitlestrip.h"
#include "ui/ttoolbarpanel.h"
#include "ui/tundocommands.h"
#include "ui/tuserspage.h"
#include "users/userrights.h"
#include "users/usertables.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kTableTitles[] = {"Таблица расходов", "Таблица доходов", "Таблица долгов",
                                    "Таблица планов",   "Анализ",          "Базы"};
const char* const kTotalsTitles[] = {
    "Итоги по расходам", "Итоги по доходам", "Итоги по долгам", "Итоги по планам", "Итоги", ""};

QWidget* Stack(QWidget* top, QWidget* bottom) {
    auto* w = new QWidget;
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(top);
    l->addWidget(bottom, 1);
    return w;
}

// Column width sections of the settings file, by the grid they belong to.
struct TWidthSection {
    const char* section;
    int tableKind; // -1: a kinds view (see gridId)
    int gridId;
};
const TWidthSection kWidthSections[] = {
    {"RashodGridWidthCol", int(TTableKind::Rashod), 0},
    {"DohodGridWidthCol", int(TTableKind::Dohod), 0},
    {"DolgGridWidthCol", int(TTableKind::Dolg), 0},
    {"PlanRashodGridWidthCol", int(TTableKind::PlanRashod), 0},
    {"PlanDohodGridWidthCol", int(TTableKind::PlanDohod), 0},
    {"BaseRashodGridWidthCol", -1, gridid::BaseRashod},
    {"BaseDohodGridWidthCol", -1, gridid::BaseDohod},
    {"BasePurseGridWidthCol", int(TTableKind::Purse), 0},
    {"BaseUserGridWidthCol", int(TTableKind::User), 0},
    {"VidRashodGridWidthCol", -1, gridid::VidRashod},
    {"VidDohodGridWidthCol", -1, gridid::VidDohod},
    {"VidPlanGridWidthCol", -1, gridid::VidPlan},
    {"VidPlanDohodGridWidthCol", -1, gridid::VidPlanDohod},
    {"TransferPurseGridWidthCol", int(TTableKind::Transfer), 0},
};

} // namespace

TQuorvaneForm::TQuorvaneForm(TAppContext& context, QWidget* parent)
    : QMainWindow(parent), m_context(context),
      m_sections(new TSectionPanel(context.state.paths.programFolder)), m_notebook(new QStackedWidget) {
    m_parts.toolbar = new TToolBarPanel;
    m_parts.title = new TTitleStrip(QString::fromUtf8(kTableTitles[0]), context.state.paths.programFolder);
    m_parts.lower = new TLowerPanel;
    m_parts.menu = new TMenuClass(menuBar(), this);
    m_parts.helper = [this] { return Helper(); };
    setObjectName(QStringLiteral("QuorvaneForm"));
    setWindowTitle(BaseCaption());
    m_autoSave = new TAutoSave(m_context.state, this);
    // Not in the middle of a dialog, a question or a restore: what they change is not whole yet.
    m_autoSave->canSaveNow = [this] {
        return m_baseOpen && !m_closing && isVisible() && isEnabled() && !QApplication::activeModalWidget() &&
               QThread::currentThread()->loopLevel() <= 1;
    };
    m_autoSave->canTellNow = [this] { return !m_context.editors.IsOpen() && m_autoSave->canSaveNow(); };
    connect(&m_context.session, &TSession::KindsListChanged, this,
            [this](TDataVidGrid* list) { ReloadKindsViews(*list); });
    // A failed save keeps its sign up, whichever save failed, until one succeeds.
    connect(&m_context.session, &TSession::SaveStateChanged, this, &TQuorvaneForm::ShowSaveState);
    connect(&m_context.session, &TSession::ReadOnlyChanged, this, &TQuorvaneForm::UpdateCaption);
    setMinimumSize(500, 340);
    auto* central = new QWidget;
    setCentralWidget(central);
    for (QWidget* w : {static_cast<QWidget*>(m_sections), static_cast<QWidget*>(m_parts.toolbar),
                       static_cast<QWidget*>(m_parts.title), static_cast<QWidget*>(m_notebook),
                       static_cast<QWidget*>(m_parts.lower)})
        w->setParent(central);
    m_parts.title->setObjectName(QStringLiteral("NameGridPanel"));
    m_notebook->setObjectName(QStringLiteral("MainNotebook"));
    statusBar()->setSizeGripEnabled(true);

    BuildPages();
    // The pages and command classes get the widgets they work with from here, never from the window.
    m_kindsCommands = new TKindsCommands(*this, m_context, Parts());
    ConnectCommands();
    connect(m_parts.lower, &TLowerPanel::NeedsChanged, this, &TQuorvaneForm::LayOutRegions);
    connect(m_parts.lower, &TLowerPanel::TopDragged, this, [this](int delta) {
        // Higher than its minimum and lower than 400 pixels, leaving the page its title strip and more.
        // From the height on show, which the totals may have raised above the one set.
        const int wanted = m_parts.lower->height() + delta;
        const int strips = m_section == Plan ? 3 : 2;
        const int above = centralWidget()->height() - wanted - m_notebook->y();
        if (wanted >= 250 && wanted < 400 && above > strips * m_parts.title->height()) {
            m_lowerHeight = wanted;
            LayOutRegions();
        }
    });
    connect(&m_context.editors, &TCellEditors::Opened, this, [this] { RefreshCommands(); });
    connect(&m_context.editors, &TCellEditors::Done, this, [this] { RefreshCommands(); });
    m_moneyViews = new TMoneyViews(*this, m_context, Parts());
    m_usersPage = new TUsersPage(*this, m_context, Parts());
    qApp->installEventFilter(this);
    SwitchSection(0);
}

// The section pages in the notebook, in the order of the sections.
void TQuorvaneForm::BuildPages() {
    m_notebook->addWidget(
        MakeLedgerPage(TTableKind::Rashod, gridid::VidRashod, QStringLiteral("Названия расходов")));
    m_notebook->addWidget(
        MakeLedgerPage(TTableKind::Dohod, gridid::VidDohod, QStringLiteral("Названия доходов")));
    m_notebook->addWidget(MakeDebtsPage());
    m_parts.planTabs = new QTabWidget;
    m_parts.planTabs->setObjectName(QStringLiteral("TabPlan"));
    m_parts.planTabs->addTab(
        MakeLedgerPage(TTableKind::PlanRashod, gridid::VidPlan, QStringLiteral("Названия расходов")),
        QStringLiteral("Планирование расходов"));
    m_parts.planTabs->addTab(
        MakeLedgerPage(TTableKind::PlanDohod, gridid::VidPlanDohod, QStringLiteral("Названия доходов")),
        QStringLiteral("Планирование доходов"));
    connect(m_parts.planTabs, &QTabWidget::currentChanged, this, [this] {
        m_context.editors.CloseAndCommit();
        const TTableKind kind = CurrentLedgerKind();
        m_context.state.current = &m_context.state.Grid(kind);
        Grid(kind)->setFocus();
        RefreshCommands();
        SizePendingViews();
    });
    m_notebook->addWidget(m_parts.planTabs);
    m_analysisPage = new TAnalysisPage(m_context);
    m_notebook->addWidget(m_analysisPage);
    m_notebook->addWidget(MakeBasesPage());
}

// The toolbar's buttons, the menu's commands and the title strip's auto-size button.
void TQuorvaneForm::ConnectCommands() {
    new TTemplateCommands(m_context.state.paths, *m_parts.menu, this);
    auto* undo = new TUndoCommands(m_context, *m_parts.menu, this);
    connect(undo, &TUndoCommands::Replayed, this, [this] {
        if (m_moneyViews && m_moneyViews->Search()) m_moneyViews->Search()->Discard();
        RefreshViews();
        RefreshCommands();
    });
    new TExportCommands(*this, m_context, Parts(), *m_analysisPage);
    new TPrintCommands(*this, m_context, Parts(), *m_analysisPage);
    connect(m_sections, &TSectionPanel::SectionClicked, this, &TQuorvaneForm::SwitchSection);
    connect(m_parts.title, &TTitleStrip::AutoSizeClicked, this, [this] {
        m_context.editors.CloseAndCommit();
        if (m_section <= Plan)
            AutoSize(Grid(CurrentLedgerKind()));
        else if (m_section == Analis)
            m_analysisPage->AutoSizeColumns();
    });
    connect(m_parts.toolbar->PravkaButton(), &QPushButton::clicked, this, &TQuorvaneForm::OnPravka);
    connect(m_parts.toolbar->DeleteButton(), &QPushButton::clicked, this, &TQuorvaneForm::OnDelete);
    connect(m_parts.toolbar->AddVidButton(), &QPushButton::clicked, m_kindsCommands,
            &TKindsCommands::AddKind);
    connect(m_parts.toolbar->DelVidButton(), &QPushButton::clicked, m_kindsCommands,
            &TKindsCommands::DeleteKind);
    connect(m_parts.toolbar->RenameVidButton(), &QPushButton::clicked, this,
            [this] { m_kindsCommands->RenameKind(true); });
    connect(m_parts.menu->Item(QStringLiteral("ExitMenu")), &QAction::triggered, this, &QWidget::close);
    connect(m_parts.menu->Item(QStringLiteral("Calc")), &QAction::triggered, this, [this] {
        if (m_calc) OpenCalculator(*m_calc, this);
    });
    connect(m_parts.menu->Item(QStringLiteral("HMy")), &QAction::triggered, this,
            [this] { OpenHelp(m_context.state.paths.programFolder); });
    connect(m_parts.menu->Item(QStringLiteral("OP")), &QAction::triggered, this, [this] {
        if (m_notice) m_notice->exec();
    });
    connect(m_parts.menu->Item(QStringLiteral("PravkaMenu")), &QAction::triggered,
            m_parts.toolbar->PravkaButton(), &QPushButton::click);
    connect(m_parts.menu->Item(QStringLiteral("DeleteMenu")), &QAction::triggered,
            m_parts.toolbar->DeleteButton(), &QPushButton::click);
    connect(m_parts.menu->Item(QStringLiteral("OptimizationBaseMenu")), &QAction::triggered, this, [this] {
        if (RefuseChange(m_context.state)) return;
        if (Messages().AskYesNo({QStringLiteral("Содержимое ячеек с датами будет приведено"),
                                 QStringLiteral("к виду dd.MM.yyyy. Продолжить?")},
                                TMsgButton::Yes))
            RunDateOptimisation();
    });
    connect(m_parts.menu, &TMenuClass::SortChosen, this, [this](int column) {
        TDataGrid* view = m_context.state.current;
        if (!view) return;
        m_context.editors.CloseAndCommit();
        m_context.session.Change(changename::Sorting(),
                                 [&] { m_context.general.SortByColumn(*view, column); });
        if (TGridController* c = Controller(view->kind)) c->Refresh();
        RefreshCommands();
    });
    // Whatever sorted the view last, the menu shows its sort as it is now.
    connect(m_parts.menu->SortMenu(), &QMenu::aboutToShow, this, [this] {
        const TDataGrid* view = m_context.state.current;
        if (view && TGeneralClass::IsSortable(*view)) m_parts.menu->RebuildSortMenu(view);
    });
}

void TQuorvaneForm::SetFilterForm(TFilterForm* form) {
    m_moneyViews->SetFilterForm(form);
}

void TQuorvaneForm::SetUserForm(TUserForm* form) {
    m_usersPage->SetUserForm(form);
}

void TQuorvaneForm::RefreshCommands() {
    const TDataGrid* view = m_context.state.current;
    TCommandContext c;
    c.section = m_section;
    c.baseTab = m_parts.baseTabs ? m_parts.baseTabs->currentIndex() : 0;
    c.returnsCurrent = view && view->kind == TTableKind::Returns;
    c.editorOpen = m_context.editors.IsOpen();
    c.lastColumn = view && view->col == view->ColumnCount() - 1;
    c.admin = m_context.state.admin;
    if (view && view->kind == TTableKind::User) {
        const TTableRow* row = view->RowAt(view->row);
        c.ownUserRow = IsOwnUserRow(m_context.state, row);
    }
    const TCommandState state = ComputeCommandState(c);
    for (QPushButton* b :
         {m_parts.toolbar->PravkaButton(), m_parts.toolbar->DeleteButton(), m_parts.toolbar->AddVidButton(),
          m_parts.toolbar->DelVidButton(), m_parts.toolbar->RenameVidButton(),
          m_parts.toolbar->BaseUserButton(), m_parts.toolbar->ParolButton()}) {
        const TCommandFlags f = state.Item(b->objectName());
        b->setVisible(f.visible);
        b->setEnabled(f.enabled);
    }
    for (const QString& name : state.items.keys()) {
        for (QAction* a : m_parts.menu->Items(name)) {
            a->setVisible(state.items[name].visible);
            a->setEnabled(state.items[name].enabled);
        }
    }
    m_parts.toolbar->setVisible(state.toolbarVisible);
    m_parts.menu->ActionsMenu()->menuAction()->setVisible(state.actionsMenuVisible);
    m_parts.menu->AdminMenu()->menuAction()->setVisible(state.adminMenuVisible);
    m_parts.menu->AdminMenu()->setEnabled(state.adminMenuEnabled);
    m_parts.menu->SortMenu()->menuAction()->setVisible(state.sortMenuVisible);
    m_parts.menu->RebuildSortMenu(view && TGeneralClass::IsSortable(*view) ? view : nullptr);
    m_parts.menu->SortMenu()->setEnabled(state.sortMenuEnabled && view && TGeneralClass::IsSortable(*view));
    LayOutToolBar();
}

void TQuorvaneForm::RunDateOptimisation() {
    QDialog wait(this, Qt::Tool | Qt::WindowStaysOnTopHint);
    wait.setWindowTitle(QStringLiteral("Оптимизация баз. Подождите..."));
    auto* text = new QLabel(QStringLiteral("Идет оптимизация баз. Не закрывайте окно"), &wait);
    text->adjustSize();
    text->move(20, 20);
    wait.setFixedSize(text->width() + 40, text->height() + 40);
    wait.move(mapToGlobal(
        QPoint(std::max(0, (width() - wait.width()) / 2), std::max(0, (height() - wait.height()) / 2))));
    wait.show();
    QApplication::processEvents();
    m_context.session.Change(changename::DatesOptimised(), [this] { m_context.edit.NormaliseAllDates(); });
    wait.close();
}

TQuorvaneForm::~TQuorvaneForm() {
    qApp->removeEventFilter(this);
    // The window's grids and controllers go first; an editor closing with them must reach nobody,
    // and the editors themselves stay out of the grids that are going.
    m_context.editors.disconnect();
    m_context.editors.Detach();
    // The window's controllers watch its widgets; they go before the widgets so that nothing they
    // do reaches a widget half destroyed.
    QList<QObject*> controllers = {m_moneyViews, m_usersPage, m_kindsCommands};
    for (TGridController* c : m_parts.controllers)
        controllers << c;
    for (QObject* child : children())
        if (qobject_cast<TKindsListController*>(child)) controllers << child;
    for (QObject* c : controllers)
        delete c;
}

THelperForm* TQuorvaneForm::Helper() {
    if (!m_helper) {
        m_ownHelper = std::make_unique<THelperForm>();
        m_helper = m_ownHelper.get();
    }
    return m_helper;
}

void TQuorvaneForm::OnPravka() {
    TMyType& state = m_context.state;
    if (m_kindsCommands->Editing()) {
        m_kindsCommands->Accept();
        return;
    }
    if (m_section <= Plan) {
        auto* picker = qobject_cast<TKindsPicker*>(QApplication::focusWidget());
        if (picker && m_context.edit.editMode == 1) {
            m_kindsCommands->EditFromPicker(picker, false);
            return;
        }
        TGridController* c = Controller(CurrentLedgerKind());
        if (state.current && state.current->kind == TTableKind::Returns) c = Controller(TTableKind::Returns);
        c->EditCurrent();
    } else if (m_section == Base) {
        const int tab = m_parts.baseTabs->currentIndex();
        if (tab <= 1) {
            KindsListController(tab == 0 ? gridid::BaseRashod : gridid::BaseDohod)->EditCurrent();
        } else if (state.current &&
                   (state.current->kind == TTableKind::Purse || state.current->kind == TTableKind::Transfer ||
                    state.current->kind == TTableKind::User)) {
            Controller(state.current->kind)->EditCurrent();
        }
    }
}

void TQuorvaneForm::OnDelete() {
    if (m_section == Base && m_parts.baseTabs->currentIndex() <= 1) {
        KindsListController(m_parts.baseTabs->currentIndex() == 0 ? gridid::BaseRashod : gridid::BaseDohod)
            ->DeleteCurrent();
        return;
    }
    TDataGrid* g = m_context.state.current;
    if (!g) return;
    m_context.editors.CloseAndCommit();
    if (TGridController* c = Controller(g->kind)) c->DeleteRow(g->row);
}

void TQuorvaneForm::ReloadKindsViews(TDataVidGrid& list) {
    for (TKindsPicker* p : m_parts.pickers)
        if (&p->List() == &list) p->Reload();
    for (TKindsListView* l : m_parts.lists)
        if (&l->List() == &list) l->Reload();
}

void TQuorvaneForm::SaveAndReloadKinds() {
    TMyType& state = m_context.state;
    // The views read the files just written; a list that could not be written stays as it is in
    // memory rather than being read back from an older file.
    const bool saved = m_context.kinds.SaveKinds();
    TFileError error;
    if (!TBaseLoader::SaveKindsAndPurses(state, &error)) ReportSaveFailure(error);
    for (TDataVidGrid* list : {&state.vidRashodGrid, &state.vidDohodGrid}) {
        if (saved)
            // The list as its file holds it is the list as it was: no step of its own.
            m_context.session.Prepare([&] { m_context.kinds.LoadKinds(*list); });
        else
            ReloadKindsViews(*list);
    }
}

TGridController* TQuorvaneForm::AddController(TTableKind kind, TLedgerGrid* grid) {
    grid->setObjectName(QStringLiteral("Grid%1").arg(TableDef(kind).gridId));
    auto* c =
        new TGridController(m_context.session, m_context.editors, m_context.state.Grid(kind), grid, this);
    m_parts.controllers.insert(int(kind), c);
    connect(c, &TGridController::BecameCurrent, this, [this] { RefreshCommands(); });
    connect(c, &TGridController::SelectionChangedByUser, this, [this] { RefreshCommands(); });
    connect(c, &TGridController::Sorted, this, [this] { RefreshCommands(); });
    // The purses and the users have a popup of their own (TUsersPage).
    if (kind == TTableKind::Purse || kind == TTableKind::User) return c;
    connect(c, &TGridController::PopupRequested, this, [this, c](int, int, const QPoint& at) {
        QMenu popup;
        popup.setObjectName(QStringLiteral("MyPopupMenu"));
        QAction* del = popup.addAction(QStringLiteral("Удалить строку"));
        del->setObjectName(QStringLiteral("DelRow"));
        QAction* edit = popup.addAction(QStringLiteral("Редактировать"));
        edit->setObjectName(QStringLiteral("Pravka"));
        QAction* chosen = popup.exec(at);
        if (chosen == del) {
            m_context.editors.CloseAndCommit();
            c->DeleteRow(c->Grid().row);
        } else if (chosen == edit) {
            c->EditCurrent();
        }
    });
    return c;
}

QWidget* TQuorvaneForm::MakeLedgerPage(TTableKind kind, int pickerId, const QString& pickerTitle) {
    auto* grid = new TLedgerGrid;
    TGridController* controller = AddController(kind, grid);
    TDataVidGrid& list = (pickerId == gridid::VidRashod || pickerId == gridid::VidPlan)
                             ? m_context.state.vidRashodGrid
                             : m_context.state.vidDohodGrid;
    auto* picker = new TKindsPicker(m_context.session, list, pickerId);
    picker->currentLedger = [this, kind] { return &m_context.state.Grid(kind); };
    picker->ledgerView = [grid] { return grid; };
    m_parts.pickers.insert(pickerId, picker);
    auto* strip = new TTitleStrip(pickerTitle, m_context.state.paths.programFolder);
    connect(strip, &TTitleStrip::AutoSizeClicked, this, [this, picker] { AutoSizeKinds(picker); });
    connect(controller, &TGridController::PickerRequested, this,
            [this, kind](const TEditRequest& req) { OnPickerRequested(kind, req); });
    connect(picker, &TKindsPicker::Picked, this, [this, kind](const TEditRequest& req) {
        Grid(kind)->setFocus();
        Controller(kind)->StartEdit(req);
    });
    connect(picker, &TKindsPicker::EscapePressed, this, [this, kind] { Grid(kind)->setFocus(); });
    connect(picker, &TKindsPicker::FocusEntered, this, [this] {
        m_context.edit.editMode = 1;
        m_parts.toolbar->PravkaButton()->setEnabled(true);
        LayOutToolBar();
    });
    connect(picker, &TKindsPicker::SearchLabelChanged, this, [this](const QString& text) {
        m_parts.lower->ResultLabel()->setText(text);
        m_parts.lower->ResultLabel()->setVisible(!text.isEmpty());
    });
    connect(picker, &TKindsPicker::KindsSorted, this, [this, picker] { ReloadKindsViews(picker->List()); });
    connect(picker, &TKindsPicker::AddNameRequested, this,
            [this, picker] { m_kindsCommands->EditFromPicker(picker, true); });
    connect(picker, &TKindsPicker::EditNameRequested, this,
            [this, picker] { m_kindsCommands->EditFromPicker(picker, false); });
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(grid);
    splitter->addWidget(Stack(strip, picker));
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 1);
    // The picker shows its names whole: the part of a row it would cut off goes to the ledger above,
    // or, when the picker is as low as it can be, the rest of that row comes from the ledger. Once
    // the layout has settled, so that the splitter is not moved from inside its own move.
    connect(
        picker, &TKindsPicker::Resized, splitter,
        [splitter, picker] {
            const int part = picker->PartRowHeight();
            QList<int> sizes = splitter->sizes();
            if (part <= 0 || sizes.size() != 2) return;
            const int lowest = splitter->widget(1)->minimumSizeHint().height();
            const int change =
                sizes[1] - part >= lowest ? -part : picker->verticalHeader()->defaultSectionSize() - part;
            if (sizes[0] + change <= splitter->widget(0)->minimumSizeHint().height()) return;
            sizes[0] -= change;
            sizes[1] += change;
            splitter->setSizes(sizes);
        },
        Qt::QueuedConnection);
    m_pageSplitters.insert(int(kind), splitter);
    return splitter;
}

QWidget* TQuorvaneForm::MakeDebtsPage() {
    auto* debts = new TLedgerGrid;
    AddController(TTableKind::Dolg, debts);
    auto* returns = new TLedgerGrid;
    AddController(TTableKind::Returns, returns);
    const QString folder = m_context.state.paths.programFolder;
    auto* debtStrip = new TTitleStrip(QStringLiteral("Долги"), folder);
    m_parts.returnsStrip = new TTitleStrip(QStringLiteral("  Возврат долга"), folder);
    m_parts.returnsStrip->setObjectName(QStringLiteral("ReturnsPanel"));
    connect(debtStrip, &TTitleStrip::AutoSizeClicked, this, [this] { AutoSize(Grid(TTableKind::Dolg)); });
    connect(m_parts.returnsStrip, &TTitleStrip::AutoSizeClicked, this,
            [this] { AutoSize(Grid(TTableKind::Returns)); });
    m_debtSplitter = new QSplitter(Qt::Horizontal);
    m_debtSplitter->setChildrenCollapsible(false);
    m_debtSplitter->addWidget(Stack(debtStrip, debts));
    m_debtSplitter->addWidget(Stack(m_parts.returnsStrip, returns));
    m_debtSplitter->setStretchFactor(0, 2);
    m_debtSplitter->setStretchFactor(1, 1);
    return m_debtSplitter;
}

QWidget* TQuorvaneForm::MakeBasesPage() {
    m_parts.baseTabs = new QTabWidget;
    m_parts.baseTabs->setObjectName(QStringLiteral("TabBase"));
    auto* rashod = new TKindsListView(m_context.state, m_context.state.vidRashodGrid, gridid::BaseRashod);
    auto* dohod = new TKindsListView(m_context.state, m_context.state.vidDohodGrid, gridid::BaseDohod);
    m_parts.lists.insert(gridid::BaseRashod, rashod);
    m_parts.lists.insert(gridid::BaseDohod, dohod);
    for (TKindsListView* view : {rashod, dohod}) {
        auto* c = new TKindsListController(m_context.session, m_context.editors, view, this);
        m_parts.listControllers.insert(view->GridId(), c);
        const int listNumber = view->List().listNumber;
        connect(c, &TKindsListController::SelectionMoved, this, [this, listNumber](int col, int row) {
            m_kindsCommands->ListSelectionMoved(listNumber, col, row);
        });
        connect(c, &TKindsListController::AddKindRequested, this, [this] { m_kindsCommands->AddKind(); });
        connect(c, &TKindsListController::DeleteKindRequested, this,
                [this] { m_kindsCommands->DeleteKind(); });
        connect(c, &TKindsListController::RenameKindRequested, this,
                [this] { m_kindsCommands->RenameKind(false); });
    }
    m_parts.baseTabs->addTab(rashod, QStringLiteral("База расходов"));
    m_parts.baseTabs->addTab(dohod, QStringLiteral("База доходов"));

    m_parts.pursePage = new TPursePage(m_context.session, m_context.state.paths.programFolder);
    AddController(TTableKind::Purse, m_parts.pursePage->PurseGrid());
    AddController(TTableKind::Transfer, m_parts.pursePage->TransferGrid());
    connect(m_parts.pursePage->TransferStrip(), &TTitleStrip::AutoSizeClicked, this, [this] {
        m_context.editors.CloseAndCommit();
        AutoSize(Grid(TTableKind::Transfer));
    });
    m_parts.baseTabs->addTab(m_parts.pursePage, QStringLiteral("Кошельки"));

    auto* users = new TLedgerGrid;
    AddController(TTableKind::User, users);
    m_parts.baseTabs->addTab(users, QStringLiteral("Пользователи"));
    int previous = 0;
    connect(m_parts.baseTabs, &QTabWidget::currentChanged, this, [this, previous](int index) mutable {
        m_context.edit.tabSwitching = true;
        m_context.editors.CloseAndCommit();
        m_context.edit.tabSwitching = false;
        // The edited lists reach the pickers at once.
        if (previous <= 1 && m_baseOpen) SaveAndReloadKinds();
        previous = index;
        if (index == 2)
            m_context.state.current = &m_context.state.Grid(TTableKind::Purse);
        else if (index == 3)
            m_context.state.current = &m_context.state.Grid(TTableKind::User);
        m_parts.lower->SetLayoutKind(index >= 2 ? TLowerPanel::TLayoutKind::Hidden
                                                : TLowerPanel::TLayoutKind::Bases);
        m_parts.lower->setVisible(index < 2);
        LayOutRegions();
        RefreshCommands();
        SizePendingViews();
    });
    return m_parts.baseTabs;
}

TLedgerGrid* TQuorvaneForm::Grid(TTableKind kind) const {
    TGridController* c = m_parts.controllers.value(int(kind));
    return c ? c->View() : nullptr;
}

TGridController* TQuorvaneForm::Controller(TTableKind kind) const {
    return m_parts.controllers.value(int(kind));
}
TKindsPicker* TQuorvaneForm::Picker(int gridId) const {
    return m_parts.pickers.value(gridId);
}
TKindsListView* TQuorvaneForm::KindsList(int gridId) const {
    return m_parts.lists.value(gridId);
}
TKindsListController* TQuorvaneForm::KindsListController(int gridId) const {
    return m_parts.listControllers.value(gridId);
}

TTableKind TQuorvaneForm::CurrentLedgerKind() const {
    switch (m_section) {
    case Dohod:
        return TTableKind::Dohod;
    case Dolg:
        return TTableKind::Dolg;
    case Plan:
        return m_parts.planTabs->currentIndex() == 0 ? TTableKind::PlanRashod : TTableKind::PlanDohod;
    default:
        return TTableKind::Rashod;
    }
}

void TQuorvaneForm::OnPickerRequested(TTableKind kind, const TEditRequest& request) {
    int id = gridid::VidRashod;
    if (kind == TTableKind::Dohod)
        id = gridid::VidDohod;
    else if (kind == TTableKind::PlanRashod)
        id = gridid::VidPlan;
    else if (kind == TTableKind::PlanDohod)
        id = gridid::VidPlanDohod;
    TKindsPicker* picker = Picker(id);
    if (!picker) return;
    picker->setFocus();
    picker->SelectFor(request);
}

void TQuorvaneForm::SetUserCaption(const QString& userName) {
    m_captionUser = userName;
    UpdateCaption();
}

void TQuorvaneForm::UpdateCaption() {
    const TMyType& state = m_context.state;
    setWindowTitle(MainWindowCaption(BaseCaption(), m_captionUser, BaseStateMarks(state)));
    const QString status = ReadOnlyStatus(state);
    if (status.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(status);
}

void TQuorvaneForm::ShowSaveState() {
    const TMyType& state = m_context.state;
    m_parts.lower->ShowSaveFailure(state.saveFailed ? SaveFailureDetails(state.saveError).join(u'\n')
                                                    : QString());
    UpdateCaption();
}

void TQuorvaneForm::ShowFirstSection() {
    SwitchSection(Rashod);
}

void TQuorvaneForm::ShowUserChanged() {
    SetUserCaption(m_context.state.userName);
    RefreshCommands();
}

void TQuorvaneForm::DiscardSearch() {
    if (m_moneyViews && m_moneyViews->Search()) m_moneyViews->Search()->Discard();
}

void TQuorvaneForm::SetPageTitles() {
    m_parts.title->SetTitle(QString::fromUtf8(kTableTitles[m_section]));
    m_parts.lower->SetTotalsTitle(QString::fromUtf8(kTotalsTitles[m_section]));
}

void TQuorvaneForm::SwitchSection(int index) {
    if (index < 0 || index > Base) return;
    m_context.edit.tabSwitching = true;
    m_context.editors.CloseAndCommit();
    m_context.edit.tabSwitching = false;
    if (m_section == Base && m_parts.baseTabs && m_parts.baseTabs->currentIndex() <= 1 && m_baseOpen &&
        index != Base)
        SaveAndReloadKinds();
    m_section = index;
    m_sections->SetChosen(index);
    m_notebook->setCurrentIndex(index);
    m_parts.toolbar->setVisible(index != Analis);
    SetPageTitles();
    if (index <= Plan) {
        m_parts.lower->setVisible(true);
        m_parts.lower->SetLayoutKind(index == Dolg ? TLowerPanel::TLayoutKind::Debts
                                                   : TLowerPanel::TLayoutKind::Ledger);
        const TTableKind kind = CurrentLedgerKind();
        m_context.state.current = &m_context.state.Grid(kind);
        if (Grid(kind)) Grid(kind)->setFocus();
    } else if (index == Analis) {
        m_parts.lower->setVisible(true);
        m_parts.lower->SetLayoutKind(TLowerPanel::TLayoutKind::Analysis);
    } else {
        const bool lists = m_parts.baseTabs->currentIndex() <= 1;
        m_parts.lower->setVisible(lists);
        m_parts.lower->SetLayoutKind(lists ? TLowerPanel::TLayoutKind::Bases
                                           : TLowerPanel::TLayoutKind::Hidden);
    }
    m_parts.title->AutoSizeButton()->setVisible(index != Base);
    LayOutRegions();
    RefreshCommands();
    SizePendingViews();
    if (index == Analis) m_analysisPage->Run();
    Q_EMIT SectionShown();
}

void TQuorvaneForm::LayOutToolBar() {
    m_parts.toolbar->SetAcceptMode(m_context.edit.editMode == 2);
    m_parts.toolbar->LayOut(centralWidget()->width() - m_sections->width());
}

void TQuorvaneForm::LayOutRegions() {
    QWidget* c = centralWidget();
    const int W = c->width();
    const int H = c->height();
    const int left = 100;
    m_sections->setGeometry(0, 0, left, H);
    int top = 0;
    if (m_parts.toolbar->isVisible()) {
        m_parts.toolbar->setGeometry(left, 0, W - left, 50);
        top = 50;
    }
    m_parts.title->setGeometry(left, top, W - left, 29);
    top += 29;
    // As high as set, or as the totals need to show every row whole, while the page keeps its room.
    const int wanted = std::max(m_lowerHeight, m_parts.lower->HeightForNeeds());
    const int lowerH = m_parts.lower->isVisible() ? std::min(wanted, std::max(120, H - top - 120)) : 0;
    m_notebook->setGeometry(left, top, W - left, std::max(0, H - top - lowerH));
    if (m_parts.lower->isVisible()) m_parts.lower->setGeometry(left, H - lowerH, W - left, lowerH);
}

void TQuorvaneForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayOutRegions();
    LayOutToolBar();
    SizePendingViews();
    // A grid whose columns no longer fit after the window shrank shares its width out again.
    if (!m_baseOpen) return;
    QList<QTableView*> views;
    for (TGridController* c : m_parts.controllers)
        views << c->View();
    for (TKindsPicker* p : m_parts.pickers)
        views << p;
    for (QTableView* view : views) {
        if (!view->isVisible() || !view->model() || view->viewport()->width() < 50) continue;
        int total = 0;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            total += view->columnWidth(c);
        if (total <= view->viewport()->width()) continue;
        if (auto* grid = qobject_cast<TLedgerGrid*>(view); grid && qobject_cast<TGridModel*>(grid->model()))
            AutoSize(grid);
        else
            AutoSizeKinds(view);
    }
}

void TQuorvaneForm::AutoSize(TLedgerGrid* grid) {
    if (!grid || !grid->model()) return;
    const TGridModel* model = qobject_cast<const TGridModel*>(grid->model());
    if (!model) return;
    const int sb = grid->verticalScrollBar()->isVisible() ? grid->verticalScrollBar()->width() : 0;
    const std::vector<int> widths = ProportionalWidths(grid->viewport()->width() + sb, sb,
                                                       model->Grid().SizeClasses, model->columnCount());
    for (int i = 0; i < int(widths.size()); ++i)
        grid->setColumnWidth(i, widths[size_t(i)]);
}

void TQuorvaneForm::AutoSizeKinds(QWidget* view) {
    auto* table = qobject_cast<QTableView*>(view);
    if (!table || !table->model()) return;
    const int sb = table->verticalScrollBar()->isVisible() ? table->verticalScrollBar()->width() : 0;
    const std::vector<int> widths =
        EqualWidths(table->viewport()->width() + sb, sb, table->model()->columnCount());
    for (int i = 0; i < int(widths.size()); ++i)
        table->setColumnWidth(i, widths[size_t(i)]);
}

void TQuorvaneForm::OpenBase() {
    m_context.session.OpenBase();
    ShowOpenedBase();
}

void TQuorvaneForm::RefreshViews() {
    for (TGridController* c : m_parts.controllers) {
        TDataGrid& g = c->Grid();
        g.row = std::clamp(g.row, 1, std::max(1, g.GridRowCount() - 1));
        g.col = std::clamp(g.col, 0, std::max(0, g.ColumnCount() - 1));
        c->Refresh();
    }
    for (TKindsPicker* p : m_parts.pickers)
        p->Reload();
    for (TKindsListView* l : m_parts.lists)
        l->Reload();
    if (m_baseOpen) Q_EMIT BaseOpened(); // the money views show the reloaded tables too
}

void TQuorvaneForm::ShowOpenedBase() {
    TMyType& state = m_context.state;
    // Every kind of both lists starts sorted by its names.
    for (TDataVidGrid* list : {&state.vidRashodGrid, &state.vidDohodGrid}) {
        for (int k = 0; k < list->Table->RowCount(); ++k)
            SortKindNames(*list->Table, k, true);
        list->SortColumn = 0;
        list->SortAscending = true;
    }
    for (TGridController* c : m_parts.controllers) {
        c->Grid().col = 0;
        c->Grid().row = 1;
    }
    RefreshViews();
    m_baseOpen = true;
    UpdateCaption();
    m_autoSave->Start();
    ApplySettings();
    Q_EMIT BaseOpened();
    SwitchSection(Rashod);
    Grid(TTableKind::Rashod)->setFocus();
}

void TQuorvaneForm::ApplySettings() {
    const TBaseSettings& s = m_context.state.settings;
    m_lowerHeight = std::max(250, s.lowerPanelHeight);
    QList<int> counts;
    for (const TWidthSection& w : kWidthSections) {
        if (w.tableKind >= 0)
            counts << TableDef(TTableKind(w.tableKind)).ColumnCount();
        else
            counts << 0;
    }
    for (const TWidthSection& w : kWidthSections) {
        QTableView* view = w.tableKind >= 0
                               ? static_cast<QTableView*>(Grid(TTableKind(w.tableKind)))
                               : (Picker(w.gridId) ? static_cast<QTableView*>(Picker(w.gridId))
                                                   : static_cast<QTableView*>(KindsList(w.gridId)));
        if (!view) continue;
        const TColumnWidths* stored = nullptr;
        for (const TColumnWidths& cw : s.columns)
            if (cw.section == QLatin1String(w.section)) stored = &cw;
        if (!stored) {
            m_pendingSizing.append(view);
            continue;
        }
        const int columns = view->model() ? view->model()->columnCount() : 0;
        for (int c = 0; c < columns; ++c) {
            int width = c < stored->widths.size() ? stored->widths[c] : (w.tableKind >= 0 ? 50 : -1);
            if (width < 0) width = std::max(20, (view->width() - 30) / std::max(1, columns));
            view->setColumnWidth(c, width);
        }
    }
    const TTableKind pageKinds[] = {TTableKind::Rashod, TTableKind::Dohod, TTableKind::PlanRashod,
                                    TTableKind::PlanDohod};
    for (int p = 0; p < 4; ++p) {
        QSplitter* sp = m_pageSplitters.value(int(pageKinds[p]));
        const TPageSettings& ps = s.pages[size_t(p)];
        if (!sp || !ps.vidGridTop || !ps.vidGridHeight || *ps.vidGridTop <= 0 || *ps.vidGridHeight <= 0)
            continue;
        sp->setSizes({*ps.vidGridTop, *ps.vidGridHeight});
    }
    m_analysisPage->RestoreSettings(s);
    QList<int> analysisWidths;
    for (const TColumnWidths& cw : s.columns)
        if (cw.section == QLatin1String("AnalisGridWidthCol")) analysisWidths = cw.widths;
    m_analysisPage->SetColumnWidths(analysisWidths);
    if (s.maximized) {
        showMaximized();
    } else if (s.width && s.height) {
        showNormal();
        resize(*s.width, *s.height);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        move(s.left.value_or((screen.width() - *s.width) / 2),
             s.top.value_or((screen.height() - *s.height) / 2));
    }
    LayOutRegions();
    SizePendingViews();
}

void TQuorvaneForm::SizePendingViews() {
    for (int i = m_pendingSizing.size() - 1; i >= 0; --i) {
        QTableView* view = m_pendingSizing[i];
        if (!view->isVisible() || view->viewport()->width() < 50) continue;
        if (auto* grid = qobject_cast<TLedgerGrid*>(view))
            AutoSize(grid);
        else
            AutoSizeKinds(view);
        m_pendingSizing.removeAt(i);
    }
}

void TQuorvaneForm::StoreSettings() {
    TBaseSettings& s = m_context.state.settings;
    s.maximized = isMaximized();
    if (!s.maximized) {
        s.width = width();
        s.height = height();
        s.left = x();
        s.top = y();
    }
    const TTableKind pageKinds[] = {TTableKind::Rashod, TTableKind::Dohod, TTableKind::PlanRashod,
                                    TTableKind::PlanDohod};
    for (int p = 0; p < 4; ++p) {
        QSplitter* sp = m_pageSplitters.value(int(pageKinds[p]));
        if (!sp) continue;
        const QList<int> sizes = sp->sizes();
        if (sizes.value(0) <= 0 || sizes.value(1) <= 0)
            continue; // a page never shown keeps what the settings said
        s.pages[size_t(p)].gridHeight = sizes.value(0);
        s.pages[size_t(p)].vidGridTop = sizes.value(0);
        s.pages[size_t(p)].vidGridHeight = sizes.value(1);
    }
    const std::vector<TColumnWidths> previous = s.columns;
    s.columns.clear();
    for (const TWidthSection& w : kWidthSections) {
        QTableView* view = w.tableKind >= 0
                               ? static_cast<QTableView*>(Grid(TTableKind(w.tableKind)))
                               : (Picker(w.gridId) ? static_cast<QTableView*>(Picker(w.gridId))
                                                   : static_cast<QTableView*>(KindsList(w.gridId)));
        if (!view || !view->model()) continue;
        if (m_pendingSizing.contains(view)) {
            // Never on show, so never sized: keep the widths read at the start, or none.
            for (const TColumnWidths& old : previous)
                if (old.section == QLatin1String(w.section)) s.columns.push_back(old);
            continue;
        }
        TColumnWidths cw{QString::fromLatin1(w.section), {}};
        for (int c = 0; c < view->model()->columnCount(); ++c)
            cw.widths << view->columnWidth(c);
        s.columns.push_back(cw);
    }
    if (!m_analysisPage->SizePending()) {
        s.columns.push_back({QStringLiteral("AnalisGridWidthCol"), m_analysisPage->ColumnWidths()});
    } else {
        for (const TColumnWidths& old : previous)
            if (old.section == QLatin1String("AnalisGridWidthCol")) s.columns.push_back(old);
    }
    m_analysisPage->StoreSettings(s);
    s.lowerPanelHeight = m_lowerHeight;
    s.lowerPanelTop = m_parts.lower->y();
    m_context.filters.StoreInSettings(s);
}

bool TQuorvaneForm::SaveAll() {
    m_context.editors.CloseAndCommit();
    TMyType& state = m_context.state;
    bool saved = true;
    if (m_baseOpen) {
        StoreSettings();
        saved = TBaseLoader::SaveAndTell(state);
    }
    if (!state.userName.isEmpty()) SaveLastUser(state.BaseRoot(), state.userName);
    return saved;
}

void TQuorvaneForm::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    if (!Messages().AskYesNo({QStringLiteral("Выйти из программы?")}, TMsgButton::Yes)) {
        event->ignore();
        return;
    }
    m_closing = true;
    // A save that failed was told; the family may free space or mend the folder and close again.
    if (!SaveAll() && !Messages().AskYesNo({QStringLiteral("Выйти без сохранения?")}, TMsgButton::No)) {
        m_closing = false;
        event->ignore();
        return;
    }
    m_autoSave->Stop();
    event->accept();
    // The family does not wait for the daily copy: the window is gone before it is made.
    hide();
    if (onClosed) onClosed();
}

void TQuorvaneForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && m_baseOpen) {
        // Once the focus has settled: another program took it, not a dialog of this one.
        QTimer::singleShot(0, this, [this] {
            if (!QApplication::activeWindow()) m_autoSave->FocusLost();
        });
    }
}

bool TQuorvaneForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !isActiveWindow() || QApplication::activeModalWidget())
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    if (k >= Qt::Key_F2 && k <= Qt::Key_F7 && key->modifiers() == Qt::NoModifier) {
        if (k == Qt::Key_F4 && m_context.editors.Kind() == TEditorKind::Date)
            return false; // the date editor opens its calendar
        const int section = k - Qt::Key_F2;
        if (section != m_section) SwitchSection(section);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

TLedgerGrid* TMainWindowParts::Grid(TTableKind kind) const {
    TGridController* c = Controller(kind);
    return c ? c->View() : nullptr;
}

const TMainWindowParts& TQuorvaneForm::Parts() const {
    return m_parts;
}
