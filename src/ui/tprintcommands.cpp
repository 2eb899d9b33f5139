#include "ui/tprintcommands.h"

#include "ledger/tmytype.h"
#include "output/tprintclass.h"
#include "storage/tmessageboxclass.h"
#include "ui/tanalysispage.h"
#include "ui/tappcontext.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"
#include "ui/tmenuclass.h"
#include "ui/tquorvaneform.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

namespace {

// The tabs of the Bases page.
enum { kExpenseKindsTab = 0, kIncomeKindsTab = 1, kPursesTab = 2, kUsersTab = 3 };

// The on-screen widths of the columns the view shows, left to right.
std::vector<int> ShownWidths(const QTableView* view) {
    std::vector<int> widths;
    if (!view || !view->model()) return widths;
    const QHeaderView* header = view->horizontalHeader();
    for (int c = 0; c < view->model()->columnCount(); ++c)
        if (!header->isSectionHidden(c)) widths.push_back(header->sectionSize(c));
    return widths;
}

// The panel that asks to wait while the printout is produced, sized and placed on the window from the
// window's font; drawn at once, since the printout then keeps the event loop busy.
std::unique_ptr<QLabel> ShowBusyPanel(QWidget& window) {
    auto panel = std::make_unique<QLabel>(TPrintCommands::BusyText(), &window);
    panel->setObjectName(QStringLiteral("PrintBusyPanel"));
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setFont(window.font());
    const QFontMetrics fm(window.font());
    const int w = fm.horizontalAdvance(TPrintCommands::BusyText()) + 100;
    const int h = fm.height() + 100;
    panel->setGeometry((window.width() - w) / 2, (window.height() - h) / 2 - 100, w, h);
    panel->show();
    panel->raise();
    panel->repaint();
    return panel;
}

} // namespace

TPrintCommands::TPrintCommands(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts,
                               TAnalysisPage& analysis)
    : QObject(&form), m_form(form), m_context(context), m_parts(parts), m_analysis(analysis) {
    setObjectName(QStringLiteral("PrintCommands"));
    connect(parts.menu->Item(QStringLiteral("OldPrintMenu")), &QAction::triggered, this,
            &TPrintCommands::Print);
}

bool TPrintCommands::OpenDialog(QPrinter& printer) {
    if (choosePrinter) return choosePrinter(printer);
    // Printing to a PDF file stays offered: without a printer it is the way to a printout. Every page
    // is always sent, so no page range is offered.
    QPrintDialog dialog(&printer, &m_form);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

void TPrintCommands::Print() {
    // What the open editor holds belongs to the table printed.
    m_context.editors.CloseAndCommit();
    TMyType& state = m_context.state;
    TPrintContent content;
    const QTableView* view = nullptr;
    const auto ofGrid = [&](TTableKind kind, const QString& title) {
        const TDataGrid& grid = state.Grid(kind);
        content = TPrintClass::ViewContent(grid, title.isEmpty() ? TPrintClass::ViewTitle(grid) : title);
        view = m_parts.Grid(kind);
    };
    const auto ofList = [&](const TDataVidGrid& list) {
        content = TPrintClass::KindsListContent(list, QStringLiteral("Базы"));
        view = m_parts.lists.value(list.gridId);
    };
    switch (m_form.Section()) {
    case TQuorvaneForm::Rashod:
        ofGrid(TTableKind::Rashod, {});
        break;
    case TQuorvaneForm::Dohod:
        ofGrid(TTableKind::Dohod, {});
        break;
    case TQuorvaneForm::Dolg: {
        // The debts or the returns of the current debt, whichever grid was last at work.
        const bool returns = state.current && state.current->kind == TTableKind::Returns;
        ofGrid(returns ? TTableKind::Returns : TTableKind::Dolg, {});
        break;
    }
    case TQuorvaneForm::Plan:
        ofGrid(m_parts.planTabs->currentIndex() == 0 ? TTableKind::PlanRashod : TTableKind::PlanDohod, {});
        break;
    case TQuorvaneForm::Analis:
        content = TPrintClass::AnalysisContent(m_analysis.Analysis(), m_analysis.Settings().kind,
                                               QStringLiteral("Анализ"));
        view = m_analysis.Grid();
        break;
    case TQuorvaneForm::Base:
        switch (m_parts.baseTabs->currentIndex()) {
        case kExpenseKindsTab:
            ofList(state.vidRashodGrid);
            break;
        case kIncomeKindsTab:
            ofList(state.vidDohodGrid);
            break;
        case kPursesTab: {
            const bool transfers = state.current && state.current->kind == TTableKind::Transfer;
            ofGrid(transfers ? TTableKind::Transfer : TTableKind::Purse, QStringLiteral("Базы"));
            break;
        }
        default:
            ofGrid(TTableKind::User, QStringLiteral("Базы"));
            break;
        }
        break;
    }

    QPrinter printer(QPrinter::HighResolution);
    if (!OpenDialog(printer)) return;
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    bool printed = false;
    {
        const auto panel = ShowBusyPanel(m_form);
        printed = TPrintClass::Print(printer, content, ShownWidths(view), view ? view->font() : m_form.font(),
                                     titleFont);
    }
    if (!printed)
        Messages().ShowError({QStringLiteral("Не удалось напечатать таблицу."),
                              QStringLiteral("Проверьте принтер или папку файла и повторите печать.")});
}
