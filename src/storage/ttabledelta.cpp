#include "storage/ttabledelta.h"

#include "storage/tmemtable.h"

#include <algorithm>

namespace {

// The row's place, looked for where it was put if it is still there.
std::vector<TTableRow*>::iterator Find(std::vector<TTableRow*>& rows, int index, TTableRow* row) {
    if (index >= 0 && size_t(index) < rows.size() && rows[size_t(index)] == row) return rows.begin() + index;
    return std::find(rows.begin(), rows.end(), row);
}

template <class... F> struct TOverload : F... { using F::operator()...; };

} // namespace

void TTableDelta::AddStep(std::function<void()> undo, std::function<void()> redo, qsizetype size) {
    m_steps.push_back(TOwn{std::move(undo), std::move(redo), size});
}

void TTableDelta::Undo() {
    for (auto it = m_steps.rbegin(); it != m_steps.rend(); ++it) {
        std::visit(TOverload{
                       [](TInserted& s) {
                           auto& rows = s.table->m_rows;
                           const auto at = Find(rows, s.index, s.row);
                           if (at != rows.end()) rows.erase(at);
                           ++s.table->m_version;
                       },
                       [](TDeleted& s) {
                           auto& rows = s.table->m_rows;
                           // Ascending, each back at the place it had before any of them went.
                           for (size_t k = 0; k < s.rows.size(); ++k)
                               rows.insert(rows.begin() +
                                               std::min<qsizetype>(s.indices[k], qsizetype(rows.size())),
                                           s.rows[k]);
                           ++s.table->m_version;
                       },
                       [](TMoved& s) {
                           auto& rows = s.table->m_rows;
                           const auto at = [&rows](int i) { return rows.begin() + i; };
                           if (s.to < s.from)
                               std::rotate(at(s.to), at(s.to + 1), at(s.from + 1));
                           else
                               std::rotate(at(s.from), at(s.to), at(s.to + 1));
                           ++s.table->m_version;
                       },
                       [](TListed& s) {
                           s.table->m_rows = s.before;
                           ++s.table->m_version;
                       },
                       [](TEncoded& s) { s.row->WriteEncoding(s.before); },
                       [](TOwn& s) {
                           if (s.undo) s.undo();
                       },
                   },
                   *it);
    }
}

void TTableDelta::Redo() {
    for (TStep& step : m_steps) {
        std::visit(TOverload{
                       [](TInserted& s) {
                           auto& rows = s.table->m_rows;
                           rows.insert(rows.begin() + std::min<qsizetype>(s.index, qsizetype(rows.size())),
                                       s.row);
                           ++s.table->m_version;
                       },
                       [](TDeleted& s) {
                           auto& rows = s.table->m_rows;
                           // Newest place first, so that the places before it still hold.
                           for (size_t k = s.rows.size(); k-- > 0;) {
                               const auto at = Find(rows, s.indices[k], s.rows[k]);
                               if (at != rows.end()) rows.erase(at);
                           }
                           ++s.table->m_version;
                       },
                       [](TMoved& s) {
                           auto& rows = s.table->m_rows;
                           const auto at = [&rows](int i) { return rows.begin() + i; };
                           if (s.from < s.to)
                               std::rotate(at(s.from), at(s.from + 1), at(s.to + 1));
                           else
                               std::rotate(at(s.to), at(s.from), at(s.from + 1));
                           ++s.table->m_version;
                       },
                       [](TListed& s) {
                           s.table->m_rows = s.after;
                           ++s.table->m_version;
                       },
                       [](TEncoded& s) { s.row->WriteEncoding(s.after); },
                       [](TOwn& s) {
                           if (s.redo) s.redo();
                       },
                   },
                   step);
    }
}

void TTableDelta::DropUnchanged() {
    std::erase_if(m_steps, [](const TStep& step) {
        const auto* encoded = std::get_if<TEncoded>(&step);
        return encoded && encoded->before == encoded->after;
    });
}

void TTableDelta::Prepend(TTableDelta&& earlier) {
    m_steps.insert(m_steps.begin(), std::make_move_iterator(earlier.m_steps.begin()),
                   std::make_move_iterator(earlier.m_steps.end()));
    earlier.m_steps.clear();
}

qsizetype TTableDelta::Size() const {
    qsizetype size = qsizetype(m_steps.capacity() * sizeof(TStep));
    for (const TStep& step : m_steps) {
        std::visit(TOverload{
                       [&](const TInserted&) {},
                       [&](const TDeleted& s) {
                           size += qsizetype(s.indices.capacity() * sizeof(int) +
                                             s.rows.capacity() * (sizeof(TTableRow*) + sizeof(TTableRow)));
                       },
                       [&](const TMoved&) {},
                       [&](const TListed& s) {
                           size += qsizetype((s.before.capacity() + s.after.capacity()) * sizeof(TTableRow*));
                       },
                       [&](const TEncoded& s) { size += s.before.capacity() + s.after.capacity(); },
                       [&](const TOwn& s) { size += s.size; },
                   },
                   step);
    }
    return size;
}
