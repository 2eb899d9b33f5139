#include "ui/tanalysispage.h"

#include "analysis/graphcolours.h"
#include "analysis/tgraphimage.h"
#include "ledger/columnsizing.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsettingsfiles.h"
#include "ui/datefield.h"
#include "ui/tappcontext.h"
#include "ui/tnameselectform.h"
#include "ui/uicolours.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The result columns' weights for the auto-size button.
const std::vector<int> kWeights = {1, 5, 3, 2};
constexpr int kColumns = 5;

QComboBox* MakeList(const QString& objectName, const QStringList& entries) {
    auto* list = new QComboBox;
    list->setObjectName(objectName);
    list->addItems(entries);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

QWidget* Captioned(const QString& caption, QWidget* field) {
    auto* w = new QWidget;
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(new QLabel(caption));
    l->addWidget(field);
    return w;
}

} // namespace

// Shows the chart's bitmap at its own size and passes the mouse on for the point information.
class TChartView : public QWidget {
public:
    explicit TChartView(TGraphImage& graph) : m_graph(graph) {
        setObjectName(QStringLiteral("AnalisChart"));
        setMinimumSize(150, 150);
        connect(&graph, &TGraphImage::ImageChanged, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, m_graph.Image());
    }
    void resizeEvent(QResizeEvent*) override { m_graph.ResizeGraph(size()); }
    void mousePressEvent(QMouseEvent* e) override { m_graph.ShowMouseInfo(e->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons()) m_graph.ShowMouseInfo(e->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent*) override { m_graph.HideMouseInfo(); }

private:
    TGraphImage& m_graph;
};

TAnalysisPage::TAnalysisPage(TAppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_analysis(context.state),
      m_start(MakeDateField(QStringLiteral("AnalisDataS"))),
      m_end(MakeDateField(QStringLiteral("AnalisDataDo"))),
      m_kindList(MakeList(QStringLiteral("AnalisVid"), AnalysisKindNames())),
      m_formatList(MakeList(QStringLiteral("AnalisFormat"), AnalysisFormatNames())),
      m_chartList(MakeList(QStringLiteral("AnalisVidChart"), AnalysisChartNames())), m_title(new QLabel),
      m_noData(new QLabel), m_result(new QSplitter), m_grid(new QTableWidget), m_graph(new TGraphImage(this)),
      m_chart(new TChartView(*m_graph)) {
    setObjectName(QStringLiteral("AnalisPage"));
    const QDate today = Today();
    m_start->setDate(today.addDays(-30));
    m_end->setDate(today);

    m_fields = {Captioned(QStringLiteral("Начальная дата : "), m_start),
                Captioned(QStringLiteral("Конечная дата : "), m_end),
                Captioned(QStringLiteral("Анализ по : "), m_kindList),
                Captioned(QStringLiteral("Формат диаграммы"), m_formatList),
                Captioned(QStringLiteral("Вид диаграммы"), m_chartList)};
    auto* controls = new QVBoxLayout;
    for (QHBoxLayout*& row : m_fieldRows) {
        row = new QHBoxLayout;
        controls->addLayout(row);
    }
    PlaceFields(false);

    m_title->setObjectName(QStringLiteral("AnalisTitle"));
    m_noData->setObjectName(QStringLiteral("AnalisNoData"));
    m_noData->setAlignment(Qt::AlignCenter);
    m_noData->setWordWrap(true);

    m_grid->setObjectName(QStringLiteral("AnalisGrid"));
    m_grid->setColumnCount(kColumns);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setFocusPolicy(Qt::NoFocus);

    // One series, the grid's number column standing for the legend.
    m_graph->SetShowLegend(false);
    m_graph->SetWindowColor(palette().color(QPalette::Window));
    const int fontSize = m_grid->font().pointSize();
    if (fontSize > 0) m_graph->SetInfoFontSize(fontSize);

    auto* split = static_cast<QSplitter*>(m_result);
    split->setObjectName(QStringLiteral("AnalisResult"));
    split->addWidget(m_grid);
    split->addWidget(m_chart);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({500, 500});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_title);
    layout->addWidget(m_result, 1);
    layout->addWidget(m_noData, 1);
    m_noData->hide();

    connect(m_start, &QDateEdit::dateChanged, this, &TAnalysisPage::Run);
    connect(m_end, &QDateEdit::dateChanged, this, &TAnalysisPage::Run);
    connect(m_formatList, &QComboBox::currentIndexChanged, this, &TAnalysisPage::Run);
    connect(m_chartList, &QComboBox::currentIndexChanged, this, &TAnalysisPage::Run);
    connect(m_kindList, &QComboBox::currentIndexChanged, this, &TAnalysisPage::KindChosen);
}

TAnalysisPage::~TAnalysisPage() = default;

TAnalysisSettings TAnalysisPage::Settings() const {
    TAnalysisSettings s;
    s.start = m_start->date();
    s.end = m_end->date();
    s.kind = m_kindList->currentIndex();
    s.format = m_formatList->currentIndex();
    s.chart = m_chartList->currentIndex();
    return s;
}

void TAnalysisPage::RestoreSettings(const TBaseSettings& stored) {
    const TAnalysisSettings s = RestoreAnalysisSettings(stored, Settings(), Today());
    const QSignalBlocker b1(m_start), b2(m_end), b3(m_kindList), b4(m_formatList), b5(m_chartList);
    m_start->setDate(s.start);
    m_end->setDate(s.end);
    m_kindList->setCurrentIndex(s.kind);
    m_formatList->setCurrentIndex(s.format);
    m_chartList->setCurrentIndex(s.chart);
    m_kind = s.kind;
}

void TAnalysisPage::StoreSettings(TBaseSettings& stored) const {
    StoreAnalysisSettings(Settings(), stored);
}

void TAnalysisPage::KindChosen(int kind) {
    if (kind != KindRashodByName) {
        Run();
        return;
    }
    TNameSelectForm dialog(*m_context.state.vidRashodGrid.Table, m_context.state.paths.programFolder,
                           window());
    if (dialog.exec() == QDialog::Accepted) {
        m_selection = dialog.Selection();
        m_selection.applies = true;
        Run();
        return;
    }
    // The frame discards the boxes as well; either way the kind before stays and nothing runs.
    if (dialog.ClosedByFrame()) m_selection = TNameSelection();
    const QSignalBlocker block(m_kindList);
    m_kindList->setCurrentIndex(m_kind);
}

void TAnalysisPage::Run() {
    m_kind = m_kindList->currentIndex();
    m_analysis.Run(Settings(), m_selection);
    ShowResult();
}

void TAnalysisPage::ShowResult() {
    m_title->setText(m_analysis.Title());
    const bool shown = m_analysis.NoDataLine().isEmpty();
    m_noData->setText(m_analysis.NoDataLine());
    m_noData->setVisible(!shown);
    m_result->setVisible(shown);
    if (!shown) {
        m_grid->setRowCount(0);
        m_graph->ClearGraph();
        return;
    }
    m_graph->ClearGraph();
    for (const TChartPoint& p : m_analysis.ChartPoints()) {
        m_graph->SetValue(1, p.point, p.value);
        m_graph->SetPointLabel(p.point, p.label);
    }
    m_graph->PrepareGraph();
    bool pie = false;
    switch (m_chartList->currentIndex()) {
    case ChartPie:
        if (m_analysis.PieRefused()) {
            Messages().ShowInfo(PieRefusalLines());
            // The chart already shows the bars it drew when it took the values.
            const QSignalBlocker block(m_chartList);
            m_chartList->setCurrentIndex(ChartBars);
        } else {
            pie = m_graph->DrawPie();
        }
        break;
    case ChartLine:
        m_graph->DrawLine();
        break;
    default:
        m_graph->DrawBars();
        break;
    }
    FillGrid(pie);
    SizeIfPending();
    // Another result may hold longer texts than the columns were sized for.
    if (!m_sizePending && m_grid->isVisible() && !TextsFit()) AutoSizeColumns();
}

void TAnalysisPage::FillGrid(bool sliceColours) {
    const TMemTable& table = m_analysis.Table();
    const QStringList captions = TAnalysis::Captions(m_kindList->currentIndex());
    m_grid->setRowCount(table.RowCount() + 1);
    for (int c = 0; c < kColumns; ++c)
        m_grid->setColumnHidden(c, c >= captions.size());
    QFont bold = m_grid->font();
    bold.setBold(true);
    const QColor fixed = AccentColour(palette());
    auto put = [this](int row, int col, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        m_grid->setItem(row, col, item);
        return item;
    };
    for (int c = 0; c < captions.size(); ++c) {
        QTableWidgetItem* item = put(0, c, captions[c]);
        item->setFont(bold);
        item->setBackground(fixed);
        item->setForeground(CaptionTextColour());
    }
    for (int r = 0; r < table.RowCount(); ++r) {
        const bool total = m_analysis.IsTotalRow(r);
        for (int c = 0; c < captions.size(); ++c) {
            QTableWidgetItem* item = put(r + 1, c, m_analysis.ShownCell(r, c));
            if (total) {
                item->setFont(bold);
                item->setBackground(fixed);
            }
            if (m_analysis.CellInRed(r, c)) item->setForeground(Qt::red);
        }
        if (sliceColours && m_analysis.TakesSliceColour(r)) {
            const QColor slice = m_graph->KeptColour(r + 1);
            m_grid->item(r + 1, 0)->setBackground(slice);
            m_grid->item(r + 1, 0)->setForeground(TextColourOn(slice));
        }
    }
}

int TAnalysisPage::ShownColumns() const {
    int columns = 0;
    while (columns < kColumns && !m_grid->isColumnHidden(columns))
        ++columns;
    return columns;
}

std::vector<int> TAnalysisPage::TextWidths() const {
    // The item delegate leaves this margin on either side of a text, and the grid line takes a pixel
    // of the cell.
    const int margin = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 1) +
                       (m_grid->showGrid() ? 1 : 0);
    std::vector<int> widths(size_t(ShownColumns()), 0);
    for (int r = 0; r < m_grid->rowCount(); ++r)
        for (int c = 0; c < int(widths.size()); ++c)
            if (const QTableWidgetItem* item = m_grid->item(r, c)) {
                // Laid out in fractions of a pixel: a text rounded down to whole ones would wrap.
                const double text = QFontMetricsF(item->font()).horizontalAdvance(item->text());
                widths[size_t(c)] = std::max(widths[size_t(c)], int(std::ceil(text)) + margin);
            }
    return widths;
}

bool TAnalysisPage::TextsFit() const {
    const std::vector<int> texts = TextWidths();
    for (int c = 0; c < int(texts.size()); ++c)
        if (m_grid->columnWidth(c) < texts[size_t(c)]) return false;
    return true;
}

void TAnalysisPage::WidenGridForTexts() {
    const QScrollBar* bar = m_grid->verticalScrollBar();
    int need = 2 * m_grid->frameWidth() + (bar->isVisible() ? bar->width() : 0) + 5;
    for (int w : TextWidths())
        need += w;
    auto* split = static_cast<QSplitter*>(m_result);
    const QList<int> sizes = split->sizes();
    if (sizes.size() != 2 || need <= sizes[0]) return;
    // The chart keeps a third of the room at least.
    const int whole = sizes[0] + sizes[1];
    const int grid = std::min(need, whole - std::max(m_chart->minimumWidth(), whole / 3));
    if (grid > sizes[0]) split->setSizes({grid, whole - grid});
}

void TAnalysisPage::AutoSizeColumns() {
    WidenGridForTexts();
    const int columns = ShownColumns();
    const QScrollBar* bar = m_grid->verticalScrollBar();
    const int sb = bar->isVisible() ? bar->width() : 0;
    // Shared out by weight, then every column as wide as its widest text where the width allows it:
    // "Разница" weighs no more than the number column but holds sums as long as the others.
    std::vector<int> widths = ProportionalWidths(m_grid->viewport()->width() + sb, sb, kWeights, columns);
    const std::vector<int> texts = TextWidths();
    int used = 0;
    bool fit = true;
    for (size_t c = 0; c < widths.size(); ++c) {
        used += widths[c];
        fit = fit && widths[c] >= texts[c];
    }
    // The pixels the whole units leave over serve a text that needs them.
    if (!fit && !widths.empty()) widths.back() += std::max(0, m_grid->viewport()->width() - 5 - used);
    widths = FitToContents(widths, texts);
    for (int i = 0; i < int(widths.size()); ++i)
        m_grid->setColumnWidth(i, widths[size_t(i)]);
    m_sizePending = false;
}

void TAnalysisPage::SetColumnWidths(const QList<int>& widths) {
    m_sizePending = widths.isEmpty();
    for (int c = 0; c < kColumns; ++c)
        m_grid->setColumnWidth(c, widths.value(c, 50));
}

QList<int> TAnalysisPage::ColumnWidths() const {
    QList<int> widths;
    for (int c = 0; c < kColumns; ++c)
        widths << m_grid->columnWidth(c);
    return widths;
}

void TAnalysisPage::SizeIfPending() {
    if (m_sizePending && m_grid->isVisible() && m_grid->viewport()->width() >= 50) AutoSizeColumns();
}

void TAnalysisPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    SizeIfPending();
}

void TAnalysisPage::PlaceFields(bool twoRows) {
    for (QHBoxLayout* row : m_fieldRows)
        while (QLayoutItem* item = row->takeAt(0))
            delete item; // the fields themselves stay
    for (int i = 0; i < int(m_fields.size()); ++i)
        m_fieldRows[twoRows && i >= 3 ? 1 : 0]->addWidget(m_fields[size_t(i)]);
    for (QHBoxLayout* row : m_fieldRows)
        row->addStretch(1);
    m_twoRows = twoRows;
}

void TAnalysisPage::FitFields() {
    // All five fields on one line where they fit whole, else the chart's two on a line of their own.
    const QMargins margins = layout()->contentsMargins();
    int need = margins.left() + margins.right();
    for (const QWidget* field : m_fields)
        need += field->sizeHint().width() + m_fieldRows[0]->spacing();
    const bool twoRows = need > width();
    if (twoRows != m_twoRows) PlaceFields(twoRows);
}

void TAnalysisPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitFields();
    if (m_sizePending || !m_grid->isVisible() || m_grid->viewport()->width() < 50) {
        SizeIfPending();
        return;
    }
    // Columns that no longer fit after the window shrank share the width out again.
    int total = 0;
    for (int c = 0; c < ShownColumns(); ++c)
        total += m_grid->columnWidth(c);
    if (total > m_grid->viewport()->width()) AutoSizeColumns();
}
