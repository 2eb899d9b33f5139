#include "output/tprintclass.h"

#include "analysis/tanalysis.h"
#include "ledger/tdatagrid.h"
#include "money/tfilters.h"
#include "storage/tabledefs.h"
#include "storage/tmemtable.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

const QString kUnreadable = QStringLiteral("error");

// Column widths on paper: each column's share of the printable width as on screen, every division
// truncating. Widths that do not fit the columns give every column the same share.
std::vector<int> PaperWidths(std::vector<int> screen, int columns, int printable) {
    if (int(screen.size()) != columns) screen.assign(size_t(columns), 1);
    long long sum = 0;
    for (int w : screen)
        sum += std::max(w, 0);
    if (sum <= 0) {
        screen.assign(size_t(columns), 1);
        sum = columns;
    }
    std::vector<int> out;
    for (int w : screen)
        out.push_back(int((long long)std::max(w, 0) * printable / sum));
    return out;
}

} // namespace

QString TPrintClass::ViewTitle(const TDataGrid& view) {
    const TTableKind kind = view.kind == TTableKind::Returns ? TTableKind::Dolg : view.kind;
    QString title = TablePageTitle(kind);
    if (view.filterChoice > 0 && view.filterChoice < FilterRadioItems().size())
        title += QStringLiteral(" Фильтр - \"") + FilterRadioItems()[view.filterChoice] + u'"';
    return title;
}

TPrintContent TPrintClass::ViewContent(const TDataGrid& view, const QString& title) {
    TPrintContent out;
    out.title = title;
    const int columns = view.ColumnCount();
    QStringList captions;
    for (int c = 0; c < columns; ++c)
        captions << view.Captions.value(c);
    out.rows.push_back(captions);
    for (int r = 1; r < view.GridRowCount(); ++r) {
        const TTableRow* row = view.RowAt(r);
        if (!row) continue;
        QString key;
        // A row whose cell 1 cannot be read is printed all the same.
        if (row->TryCell(1, key) && key.isEmpty()) continue;
        QStringList cells;
        for (int c = 0; c < columns; ++c) {
            QString text;
            cells << (row->TryCell(c, text) ? text : kUnreadable);
        }
        out.rows.push_back(std::move(cells));
    }
    return out;
}

TPrintContent TPrintClass::AnalysisContent(const TAnalysis& analysis, int kind, const QString& title) {
    TPrintContent out;
    out.title = title;
    const QStringList captions = TAnalysis::Captions(kind);
    out.rows.push_back(captions);
    const TMemTable& table = analysis.Table();
    for (int r = 0; r < table.RowCount(); ++r) {
        if (table.Row(r)->Cell(1).isEmpty()) continue;
        QStringList cells;
        for (int c = 0; c < captions.size(); ++c)
            cells << analysis.ShownCell(r, c);
        out.rows.push_back(std::move(cells));
    }
    return out;
}

TPrintContent TPrintClass::KindsListContent(const TDataVidGrid& list, const QString& title) {
    TPrintContent out;
    out.title = title;
    if (!list.Table) return out;
    const TMemTable& table = *list.Table;
    int last = 0;
    for (int k = 0; k < table.RowCount(); ++k) {
        const TTableRow* kind = table.Row(k);
        int n = kind->CellCount() - 1;
        while (n > col::kinds::Kind && kind->Cell(n).isEmpty())
            --n;
        last = std::max(last, n);
    }
    for (int r = 0; r <= last; ++r) {
        QStringList cells;
        for (int k = 0; k < table.RowCount(); ++k)
            cells << table.Row(k)->Cell(r);
        out.rows.push_back(std::move(cells));
    }
    return out;
}

bool TPrintClass::Print(QPagedPaintDevice& device, const TPrintContent& content,
                        const std::vector<int>& screenWidths, const QFont& tableFont,
                        const QFont& titleFont) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const int W = device.width();
    const int H = device.height();
    const int mx = (W / 100) * 5;
    const int my = (H / 100) * 3;
    const int columns = content.rows.empty() ? 0 : int(content.rows.front().size());
    const std::vector<int> widths = PaperWidths(screenWidths, columns, W - 2 * mx);

    // Fonts measured and drawn in the device's own units.
    const QFont title(titleFont, &device);
    const QFont plain(tableFont, &device);
    QFont bold(plain);
    bold.setBold(true);
    const QFontMetrics titleMetrics(title, &device);
    const QFontMetrics plainMetrics(plain, &device);
    const QFontMetrics boldMetrics(bold, &device);
    const int h = plainMetrics.height();
    const int s = plainMetrics.horizontalAdvance(QLatin1Char(' '));

    int y = my;
    int page = 1;
    int footer = -1;
    painter.setFont(title);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawText(
        QPoint((W - (mx + titleMetrics.horizontalAdvance(content.title))) / 2, y + titleMetrics.ascent()),
        content.title);
    y += 4 * titleMetrics.height();

    painter.setBrush(Qt::white);
    for (size_t r = 0; r < content.rows.size(); ++r) {
        const bool caption = r == 0;
        painter.setFont(caption ? bold : plain);
        const QFontMetrics& metrics = caption ? boldMetrics : plainMetrics;
        int x = mx;
        for (int c = 0; c < columns; ++c) {
            painter.drawRect(QRect(x, y - h, widths[size_t(c)], 2 * h));
            painter.drawText(QPoint(x + s / 2, y - h / 2 + metrics.ascent()), content.rows[r].value(c));
            x += widths[size_t(c)];
        }
        y += 2 * h;
        if (y > H - 2 * my) {
            y += h;
            painter.setFont(plain);
            painter.drawText(QPoint(mx, y + plainMetrics.ascent()), QStringLiteral("Страница %1").arg(page));
            footer = y;
            ++page;
            y = my;
            if (!device.newPage()) {
                painter.end();
                return false;
            }
        }
    }
    if (footer >= 0) {
        painter.setFont(plain);
        painter.drawText(QPoint(mx, footer + plainMetrics.ascent()), QStringLiteral("Страница %1").arg(page));
    }
    return painter.end();
}
