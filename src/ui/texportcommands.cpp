#include "ui/texportcommands.h"

#include "output/tspreadsheetexport.h"
#include "ui/tanalysispage.h"
#include "ui/tappcontext.h"
#include "ui/tmenuclass.h"
#include "ui/tquorvaneform.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QTabWidget>

namespace {

// The tabs of the Bases page.
enum { kExpenseKindsTab = 0, kIncomeKindsTab = 1, kPursesTab = 2, kUsersTab = 3 };

} // namespace

TExportCommands::TExportCommands(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts,
                                 TAnalysisPage& analysis)
    : QObject(&form), m_form(form), m_context(context), m_parts(parts), m_analysis(analysis),
      m_export(new TSpreadsheetExport(context.state, TSpreadsheetExport::kWatchInterval, this)),
      m_wait(new QLabel(&form)) {
    setObjectName(QStringLiteral("ExportCommands"));
    m_wait->setObjectName(QStringLiteral("ExportWaitPanel"));
    m_wait->setAlignment(Qt::AlignCenter);
    m_wait->setFrameShape(QFrame::Panel);
    m_wait->setFrameShadow(QFrame::Raised);
    m_wait->setAutoFillBackground(true);
    m_wait->setMargin(16);
    m_wait->hide();
    connect(m_export, &TSpreadsheetExport::busyStarted, this, [this](const QString& text) {
        m_wait->setText(text);
        SetBusy(true);
    });
    connect(m_export, &TSpreadsheetExport::busyEnded, this, [this] { SetBusy(false); });

    TMenuClass& menu = *parts.menu;
    connect(menu.Item(QStringLiteral("NewExcelMenu")), &QAction::triggered, this, [this] { Export(true); });
    const QList<QAction*> items = menu.Items(QStringLiteral("ExcelMenu"));
    connect(items.value(0), &QAction::triggered, this, [this] { Export(false); });
    connect(items.value(1), &QAction::triggered, this, &TExportCommands::ExportAs);
}

TExportCommands::~TExportCommands() = default;

bool TExportCommands::HasTable(bool withBases) const {
    return m_form.Section() != TQuorvaneForm::Base || withBases;
}

void TExportCommands::Export(bool withBases) {
    if (!HasTable(withBases)) return;
    // What the open editor holds belongs to the table handed over.
    m_context.editors.CloseAndCommit();
    TMyType& state = m_context.state;
    const QRect window = m_form.geometry();
    switch (m_form.Section()) {
    case TQuorvaneForm::Rashod:
        m_export->ExportGrid(state.Grid(TTableKind::Rashod), window);
        break;
    case TQuorvaneForm::Dohod:
        m_export->ExportGrid(state.Grid(TTableKind::Dohod), window);
        break;
    case TQuorvaneForm::Dolg: {
        // The debts or the returns of the current debt, whichever grid was last at work.
        const bool returns = state.current && state.current->kind == TTableKind::Returns;
        m_export->ExportGrid(state.Grid(returns ? TTableKind::Returns : TTableKind::Dolg), window);
        break;
    }
    case TQuorvaneForm::Plan:
        m_export->ExportGrid(state.Grid(m_parts.planTabs->currentIndex() == 0 ? TTableKind::PlanRashod
                                                                              : TTableKind::PlanDohod),
                             window);
        break;
    case TQuorvaneForm::Analis:
        m_export->ExportAnalysis(m_analysis.Analysis(), m_analysis.Settings(), window);
        break;
    case TQuorvaneForm::Base:
        switch (m_parts.baseTabs->currentIndex()) {
        case kExpenseKindsTab:
            m_export->ExportKinds(state.vidRashodGrid, window);
            break;
        case kIncomeKindsTab:
            m_export->ExportKinds(state.vidDohodGrid, window);
            break;
        case kPursesTab: {
            // The purses or the transfers, whichever grid of the tab was last at work.
            const bool transfers = state.current && state.current->kind == TTableKind::Transfer;
            m_export->ExportGrid(state.Grid(transfers ? TTableKind::Transfer : TTableKind::Purse), window);
            break;
        }
        case kUsersTab:
            m_export->ExportGrid(state.Grid(TTableKind::User), window);
            break;
        }
        break;
    }
}

void TExportCommands::ExportAs() {
    if (!HasTable(false)) return;
    const QString file =
        chooseFile
            ? chooseFile()
            : QFileDialog::getSaveFileName(&m_form, QStringLiteral("Выгрузить в электронную таблицу как..."),
                                           QString(), QStringLiteral("Таблица OpenDocument (*.ods)"));
    if (file.isEmpty()) return;
    m_export->SaveNextAs(file);
    Export(false);
}

void TExportCommands::SetBusy(bool busy) {
    m_form.setEnabled(!busy);
    if (busy) {
        m_wait->adjustSize();
        m_wait->move((m_form.width() - m_wait->width()) / 2, (m_form.height() - m_wait->height()) / 2);
        m_wait->show();
        m_wait->raise();
        // The panel is drawn before the spreadsheet is filled on this thread.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else {
        m_wait->hide();
    }
}
