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

// Notes, kinds and names are free text of any length; everything else is a short value.
bool IsTextColumn(TColumnKind kind) {
    return kind == TColumnKind::Text || kind == TColumnKind::Kind;
}

// The room split in proportion to the weights, each share held between its bounds. Whenever shares
// break their bounds, the side broken by more in total is held at its bounds and the rest is split
// again among the others; every division truncates, so the shares never add up to more than the room
// the bounds leave.
std::vector<int> Share(const std::vector<long long>& weights, const std::vector<int>& low,
                       const std::vector<int>& high, int room) {
    const size_t n = weights.size();
    std::vector<int> out(n, 0);
    std::vector<bool> held(n, false);
    std::vector<long long> proportional(n, 0);
    for (;;) {
        long long rest = room;
        long long weight = 0;
        bool anyFree = false;
        for (size_t i = 0; i < n; ++i) {
            if (held[i]) {
                rest -= out[i];
            } else {
                weight += weights[i];
                anyFree = true;
            }
        }
        if (!anyFree) break;
        long long broken = 0;
        for (size_t i = 0; i < n; ++i) {
            if (held[i]) continue;
            proportional[i] = weight > 0 ? weights[i] * rest / weight : 0;
            out[i] = int(std::clamp<long long>(proportional[i], low[i], high[i]));
            broken += out[i] - proportional[i];
        }
        // Positive: shares fell below their least; negative: shares went past their most.
        for (size_t i = 0; i < n; ++i) {
            if (held[i]) continue;
            const long long by = out[i] - proportional[i];
            if (broken == 0 || (broken > 0 && by > 0) || (broken < 0 && by < 0)) held[i] = true;
        }
    }
    return out;
}

// What each column's texts need in the given fonts: the widest text with half a space on either side.
std::vector<TPrintColumn> Measure(const TPrintContent& content, int columns, const std::vector<int>& screen,
                                  const QFontMetrics& plain, const QFontMetrics& bold) {
    const int s = plain.horizontalAdvance(QLatin1Char(' '));
    const int ellipsis = plain.horizontalAdvance(QChar(0x2026));
    std::vector<TPrintColumn> out(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        TPrintColumn& column = out[size_t(c)];
        column.screen = screen[size_t(c)];
        const int caption = bold.horizontalAdvance(content.rows.front().value(c));
        int widest = caption;
        for (size_t r = 1; r < content.rows.size(); ++r)
            widest = std::max(widest, plain.horizontalAdvance(content.rows[r].value(c)));
        column.whole = widest + s;
        const bool text = size_t(c) < content.textColumns.size() && content.textColumns[size_t(c)];
        column.least = text ? std::min(column.whole, std::max(caption, ellipsis) + s) : column.whole;
    }
    return out;
}

// The font by a factor smaller; false when it cannot get any smaller.
bool Shrink(QFont& font, double factor) {
    if (font.pointSizeF() > 0) {
        const double size = std::max(1.0, font.pointSizeF() * factor);
        if (size >= font.pointSizeF()) return false;
        font.setPointSizeF(size);
        return true;
    }
    const int size = std::max(1, int(font.pixelSize() * factor));
    if (size >= font.pixelSize()) return false;
    font.setPixelSize(size);
    return true;
}

QString PageLine(int page) {
    return QStringLiteral("Страница %1").arg(page);
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
    for (int c = 0; c < columns; ++c) {
        captions << view.Captions.value(c);
        out.textColumns.push_back(IsTextColumn(view.Column(c)));
    }
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
    // Only the group's name is free text; numbers, amounts and shares are not.
    for (int c = 0; c < captions.size(); ++c)
        out.textColumns.push_back(c == 1);
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
    out.textColumns.assign(size_t(table.RowCount()), true);
    for (int r = 0; r <= last; ++r) {
        QStringList cells;
        for (int k = 0; k < table.RowCount(); ++k)
            cells << table.Row(k)->Cell(r);
        out.rows.push_back(std::move(cells));
    }
    return out;
}

std::optional<std::vector<int>> TPrintClass::ColumnWidths(const std::vector<TPrintColumn>& columns,
                                                          int room) {
    std::vector<long long> weights;
    std::vector<int> whole;
    std::vector<int> least;
    long long wholeSum = 0;
    long long leastSum = 0;
    long long screenSum = 0;
    for (const TPrintColumn& c : columns) {
        weights.push_back(std::max(c.screen, 0));
        whole.push_back(std::max(c.whole, 0));
        least.push_back(std::clamp(c.least, 0, whole.back()));
        wholeSum += whole.back();
        leastSum += least.back();
        screenSum += weights.back();
    }
    // Columns of no width on screen say nothing of proportions.
    if (screenSum <= 0) weights.assign(columns.size(), 1);
    if (wholeSum <= room) {
        std::vector<int> unbounded(columns.size(), room);
        for (size_t i = 0; i < whole.size(); ++i)
            unbounded[i] = std::max(unbounded[i], whole[i]);
        return Share(weights, whole, unbounded, room);
    }
    if (leastSum <= room) return Share(weights, least, whole, room);
    return std::nullopt;
}

TPrintLayout TPrintClass::Layout(QPaintDevice& device, const TPrintContent& content,
                                 const std::vector<int>& screenWidths, const QFont& tableFont,
                                 const QFont& titleFont) {
    TPrintLayout out;
    out.width = device.width();
    out.height = device.height();
    out.mx = (out.width / 100) * 5;
    out.my = (out.height / 100) * 3;
    const int room = out.width - 2 * out.mx;
    const int columns = content.rows.empty() ? 0 : int(content.rows.front().size());
    std::vector<int> screen = screenWidths;
    if (int(screen.size()) != columns) screen.assign(size_t(columns), 1);

    // Fonts measured and drawn in the device's own units. When the dates, sums and captions do not fit
    // across the page, the whole table gets smaller until they do: a smaller table can still be read,
    // a cut date or sum cannot.
    out.titleFont = QFont(titleFont, &device);
    QFont plain(tableFont, &device);
    QFont bold(plain);
    std::vector<TPrintColumn> measured;
    std::optional<std::vector<int>> widths;
    for (int attempt = 0;; ++attempt) {
        bold = plain;
        bold.setBold(true);
        measured =
            Measure(content, columns, screen, QFontMetrics(plain, &device), QFontMetrics(bold, &device));
        widths = ColumnWidths(measured, room);
        if (widths || room <= 0 || attempt == 10) break;
        long long least = 0;
        for (const TPrintColumn& c : measured)
            least += c.least;
        // Text widths do not shrink exactly with the font: after the first try aim a little lower.
        if (!Shrink(plain, double(room) / double(least) * (attempt == 0 ? 1.0 : 0.98))) break;
    }
    if (!widths) {
        // Past the smallest font the table runs over the right margin rather than cut a text.
        widths.emplace();
        for (const TPrintColumn& c : measured)
            widths->push_back(c.least);
    }
    out.tableFont = plain;
    out.captionFont = bold;
    out.widths = *widths;
    int x = out.mx;
    for (int c = 0; c < columns; ++c) {
        out.left.push_back(x);
        x += out.widths[size_t(c)];
        out.mayCut.push_back(out.widths[size_t(c)] < measured[size_t(c)].whole);
    }

    const QFontMetrics titleMetrics(out.titleFont, &device);
    const QFontMetrics plainMetrics(plain, &device);
    out.titleLeft = (out.width - (out.mx + titleMetrics.horizontalAdvance(content.title))) / 2;
    out.h = plainMetrics.height();
    out.s = plainMetrics.horizontalAdvance(QLatin1Char(' '));

    // A page ends after the row that takes the line past the bottom margin, when another row follows;
    // its number stands a text line further down, and the last page's number where the page before
    // had its own.
    const int rows = int(content.rows.size());
    int y = out.my + 4 * titleMetrics.height();
    TPrintLayout::TPage page{0, 0, y, -1};
    for (int r = 0; r < rows; ++r) {
        y += 2 * out.h;
        if (y > out.height - 2 * out.my && r + 1 < rows) {
            page.endRow = r + 1;
            page.footerLine = y + out.h;
            out.pages.push_back(page);
            page = {r + 1, 0, out.my, -1};
            y = out.my;
        }
    }
    page.endRow = rows;
    if (!out.pages.empty()) page.footerLine = out.pages.back().footerLine;
    out.pages.push_back(page);
    return out;
}

bool TPrintClass::Paint(QPagedPaintDevice& device, const TPrintContent& content, const TPrintLayout& layout) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QFontMetrics titleMetrics(layout.titleFont, &device);
    const QFontMetrics plainMetrics(layout.tableFont, &device);
    const QFontMetrics captionMetrics(layout.captionFont, &device);
    const int h = layout.h;
    const int s = layout.s;
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    for (size_t p = 0; p < layout.pages.size(); ++p) {
        const TPrintLayout::TPage& page = layout.pages[p];
        if (p > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        if (p == 0) {
            painter.setFont(layout.titleFont);
            painter.drawText(QPoint(layout.titleLeft, layout.my + titleMetrics.ascent()), content.title);
        }
        int y = page.firstLine;
        for (int r = page.firstRow; r < page.endRow; ++r) {
            const bool caption = r == 0;
            const QFontMetrics& metrics = caption ? captionMetrics : plainMetrics;
            painter.setFont(caption ? layout.captionFont : layout.tableFont);
            for (size_t c = 0; c < layout.widths.size(); ++c) {
                const int x = layout.left[c];
                const int w = layout.widths[c];
                painter.drawRect(QRect(x, y - h, w, 2 * h));
                QString text = content.rows[size_t(r)].value(int(c));
                if (!caption && layout.mayCut[c] && metrics.horizontalAdvance(text) > w - s)
                    text = metrics.elidedText(text, Qt::ElideRight, w - s);
                painter.drawText(QPoint(x + s / 2, y - h / 2 + metrics.ascent()), text);
            }
            y += 2 * h;
        }
        if (page.footerLine >= 0) {
            painter.setFont(layout.tableFont);
            painter.drawText(QPoint(layout.mx, page.footerLine + plainMetrics.ascent()),
                             PageLine(int(p) + 1));
        }
    }
    return painter.end();
}

bool TPrintClass::Print(QPagedPaintDevice& device, const TPrintContent& content,
                        const std::vector<int>& screenWidths, const QFont& tableFont,
                        const QFont& titleFont) {
    return Paint(device, content, Layout(device, content, screenWidths, tableFont, titleFont));
}
