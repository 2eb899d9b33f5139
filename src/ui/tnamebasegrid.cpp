#include "ui/tnamebasegrid.h"

#include "ui/tbasenamehint.h"
#include "users/basefolders.h"

#include <QHeaderView>
#include <QKeyEvent>

TBaseNameEdit::TBaseNameEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("BaseNameEditor"));
    setFrame(false);
}

void TBaseNameEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Taken here: the dialog's default button must not see it.
        event->accept();
        Q_EMIT Finished(false);
        return;
    case Qt::Key_Escape:
        event->accept();
        Q_EMIT Finished(true);
        return;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void TBaseNameEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    Q_EMIT FocusLost();
}

TNameBaseGrid::TNameBaseGrid(QWidget* parent)
    : QTableWidget(0, 1, parent), m_editor(new TBaseNameEdit(viewport())),
      m_hint(new TBaseNameHint(m_editor, viewport(), true)) {
    setObjectName(QStringLiteral("NameBaseGrid"));
    setHorizontalHeaderLabels({QStringLiteral("Имя базы")});
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 5);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    m_editor->hide();
    connect(m_editor, &TBaseNameEdit::Finished, this, [this](bool revert) { Finish(revert, false); });
    connect(m_editor, &TBaseNameEdit::FocusLost, this, [this] {
        if (m_editor->isVisible()) Finish(false);
    });
}

void TNameBaseGrid::SetNames(const QStringList& names) {
    const int current = std::max(0, currentRow());
    setRowCount(int(names.size()));
    for (int r = 0; r < names.size(); ++r) {
        QTableWidgetItem* cell = item(r, 0);
        if (!cell) {
            cell = new QTableWidgetItem;
            setItem(r, 0, cell);
        }
        cell->setText(names[r]);
    }
    if (rowCount() > 0) setCurrentCell(std::min(current, rowCount() - 1), 0);
}

QStringList TNameBaseGrid::Names() const {
    QStringList names;
    for (int r = 0; r < rowCount(); ++r)
        names << (item(r, 0) ? item(r, 0)->text() : QString());
    return names;
}

bool TNameBaseGrid::Editing() const {
    return m_editRow >= 0;
}

void TNameBaseGrid::EditRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    Open(row, item(row, 0) ? item(row, 0)->text() : QString(), true);
}

void TNameBaseGrid::Open(int row, const QString& text, bool selectAll) {
    CloseEditor();
    m_editRow = row;
    m_stored = item(row, 0) ? item(row, 0)->text() : QString();
    setCurrentCell(row, 0);
    scrollTo(model()->index(row, 0));
    m_editor->setText(text);
    if (selectAll)
        m_editor->selectAll();
    else
        m_editor->setCursorPosition(int(text.size()));
    PlaceEditor();
    m_editor->show();
    m_editor->setFocus();
}

void TNameBaseGrid::PlaceEditor() {
    if (m_editRow >= 0) m_editor->setGeometry(visualRect(model()->index(m_editRow, 0)));
}

void TNameBaseGrid::CloseEditor() {
    if (Editing()) Finish(false);
}

void TNameBaseGrid::Finish(bool revert, bool leaving) {
    if (m_closing || m_editRow < 0) return;
    const int row = m_editRow;
    const QString text = revert ? m_stored : m_editor->text();
    if (!revert && !leaving && !m_hint->Accepts(text)) return;
    // A name no base can have is not handed on when the editor is left: the cell keeps its name.
    if (!revert && CheckBaseName(text) == TBaseNameCheck::BadCharacters) {
        m_hint->ShowUnder(visualRect(model()->index(row, 0)));
        revert = true;
    }
    // The editor is closed before the rule runs: a message it shows must not close it a second time.
    m_closing = true;
    m_editRow = -1;
    const bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    if (hadFocus) setFocus();
    m_closing = false;
    if (!revert && commitName && commitName(row, text) && item(row, 0)) item(row, 0)->setText(text);
    Q_EMIT EditFinished();
}

void TNameBaseGrid::keyPressEvent(QKeyEvent* event) {
    const int row = currentRow();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EditRow(row);
        return;
    case Qt::Key_Delete:
        if (row >= 0) Q_EMIT DeleteRequested(row);
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
    case Qt::Key_Space:
        // Nothing: these start no edit, and Esc is not the dialog's to take either.
        event->accept();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && text.size() == 1 &&
        text[0].unicode() > 32 && row >= 0) {
        Open(row, text, false);
        if (IsRefusedInBaseName(text[0])) m_hint->Show();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void TNameBaseGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && event->button() == Qt::LeftButton) EditRow(at.row());
}

void TNameBaseGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    PlaceEditor();
}
