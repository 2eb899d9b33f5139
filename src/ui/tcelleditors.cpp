#include "ui/tcelleditors.h"

#include "ui/tcelldateedit.h"
#include "ui/tledgergrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

TCellEditors::TCellEditors(QObject* parent)
    : QObject(parent), m_line(new QLineEdit), m_choice(new QComboBox), m_date(new TCellDateEdit) {
    m_line->setFrame(false);
    m_choice->setEditable(false);
    m_choice->setFrame(false);
    m_date->setFrame(false);
    // Grown past its cell, the picker covers the next cell's text rather than showing it through.
    m_date->setAutoFillBackground(true);
    m_date->setBackgroundRole(QPalette::Base);
    m_date->setToolTip(QStringLiteral("Alt+Down - открытие ComboBox"));
    for (QWidget* w :
         {static_cast<QWidget*>(m_line), static_cast<QWidget*>(m_choice), static_cast<QWidget*>(m_date)}) {
        w->hide();
        w->installEventFilter(this);
    }
    m_choice->view()->installEventFilter(this);
    // A click on an entry, or a key the list's own popup took first. Carried out once the event is
    // done with, and only if the same list is still open: the Return that chose the entry also reaches
    // the key filter below, and the list it opens next must not be closed by that same key.
    connect(m_choice, qOverload<int>(&QComboBox::activated), this, [this] {
        const int session = m_session;
        QTimer::singleShot(0, this, [this, session] {
            if (m_kind == TEditorKind::Choice && m_session == session) Finish(TEditorExit::Enter);
        });
    });
}

TCellEditors::~TCellEditors() {
    for (QWidget* w :
         {static_cast<QWidget*>(m_line), static_cast<QWidget*>(m_choice), static_cast<QWidget*>(m_date)})
        if (w && !w->parent()) delete w;
}

QWidget* TCellEditors::Current() const {
    switch (m_kind) {
    case TEditorKind::Text:
    case TEditorKind::Number:
        return m_line;
    case TEditorKind::Choice:
        return m_choice;
    case TEditorKind::Date:
        return m_date;
    default:
        return nullptr;
    }
}

QString TCellEditors::Text() const {
    if (m_kind == TEditorKind::Choice) return m_choice->currentText();
    if (m_kind == TEditorKind::Date) return m_date->text();
    return m_line->text();
}

QDate TCellEditors::Date() const {
    return m_date->date();
}

void TCellEditors::Open(TLedgerGrid* view, const TEditRequest& request, const QString& storedText) {
    CloseAndCommit();
    QWidget* editor = nullptr;
    switch (request.kind) {
    case TEditorKind::Text:
    case TEditorKind::Number:
        editor = m_line;
        m_line->setText(request.text);
        if (request.selectAll)
            m_line->selectAll();
        else
            m_line->setCursorPosition(request.caretAtEnd ? int(request.text.size()) : 0);
        m_numbers.Reset();
        break;
    case TEditorKind::Choice:
        editor = m_choice;
        m_choice->clear();
        m_choice->addItems(request.choices);
        m_choice->setCurrentIndex(request.choiceIndex);
        break;
    case TEditorKind::Date:
        editor = m_date;
        m_date->setDate(request.date);
        break;
    default:
        return;
    }
    m_kind = request.kind;
    ++m_session;
    m_view = view;
    m_col = request.col;
    m_row = request.row;
    m_stored = storedText;
    editor->setParent(view->viewport());
    editor->setFont(view->font());
    QRect cell = view->visualRect(view->model()->index(request.row - 1, request.col));
    if (request.kind == TEditorKind::Choice || request.kind == TEditorKind::Date)
        cell.setHeight(std::max(cell.height(), 18));
    editor->setGeometry(cell);
    view->editorActive = request.kind == TEditorKind::Text || request.kind == TEditorKind::Number;
    editor->show();
    if (request.kind == TEditorKind::Date) FitDateWidth(view->viewport()->width());
    editor->setFocus();
    if (request.kind == TEditorKind::Choice) m_choice->showPopup();
    // Set once it has the focus, which gives the picker its date's text and a selected day.
    if (request.kind == TEditorKind::Date) {
        if (request.text.isEmpty())
            m_date->SelectWhole();
        else
            m_date->ShowTyped(request.text);
    }
    Q_EMIT Opened();
}

void TCellEditors::FitDateWidth(int viewportWidth) {
    // A narrow date column (the debts') would cut the year short: the picker grows until its field
    // holds the whole date beside the button, and moves left rather than past the grid's right edge.
    constexpr int kTextRoom = 8; // the field's own margins and the caret
    const auto* field = m_date->findChild<QLineEdit*>();
    if (!field) return;
    const int lack =
        QFontMetrics(m_date->font()).horizontalAdvance(m_date->text()) + kTextRoom - field->width();
    if (lack <= 0) return;
    QRect place = m_date->geometry();
    place.setWidth(place.width() + lack);
    const int overhang = place.right() - viewportWidth + 1;
    if (overhang > 0) place.moveLeft(std::max(0, place.left() - overhang));
    m_date->setGeometry(place);
}

void TCellEditors::Detach() {
    m_kind = TEditorKind::None;
    for (QWidget* w :
         {static_cast<QWidget*>(m_line), static_cast<QWidget*>(m_choice), static_cast<QWidget*>(m_date)}) {
        if (!w) continue;
        w->hide();
        w->setParent(nullptr);
    }
    m_view = nullptr;
}

void TCellEditors::CloseAndCommit() {
    if (IsOpen()) Finish(TEditorExit::FocusOut);
}

void TCellEditors::Finish(TEditorExit exit) {
    if (m_closing || m_kind == TEditorKind::None) return;
    m_closing = true;
    const TEditorKind kind = m_kind;
    if (exit == TEditorExit::Escape && (kind == TEditorKind::Text || kind == TEditorKind::Number))
        m_line->setText(m_stored);
    QString text = Text();
    if (exit == TEditorExit::Escape && kind == TEditorKind::Choice) text = m_stored;
    const QDate date = Date();
    if (kind == TEditorKind::Choice) m_choice->hidePopup();
    QWidget* editor = Current();
    m_kind = TEditorKind::None;
    if (m_view) {
        m_view->editorActive = false;
        if (editor && editor->hasFocus()) m_view->setFocus();
    }
    if (editor) editor->hide();
    m_closing = false;
    Q_EMIT Done(kind, text, date, exit);
}

bool TCellEditors::FilterFocusOut(QObject* watched) {
    if (watched == Current()) {
        // The choice list's own popup and the calendar take the focus without leaving the editor.
        QWidget* now = QApplication::focusWidget();
        const bool inside = now && (now == Current() || Current()->isAncestorOf(now) ||
                                    (m_kind == TEditorKind::Choice && m_choice->view()->isVisible()));
        if (!inside && !(m_kind == TEditorKind::Date && QApplication::activePopupWidget()))
            Finish(TEditorExit::FocusOut);
    }
    return false;
}

// Enter, Escape and the arrows that leave the editor. `taken` tells whether the key was one of them.
bool TCellEditors::FilterMoveKey(QObject* watched, QKeyEvent* key, bool& taken) {
    taken = true;
    const bool lineKind = m_kind == TEditorKind::Text || m_kind == TEditorKind::Number;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_kind == TEditorKind::Choice && watched == m_choice->view())
            m_choice->setCurrentIndex(m_choice->view()->currentIndex().row());
        Finish(TEditorExit::Enter);
        return true;
    case Qt::Key_Escape:
        Finish(TEditorExit::Escape);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (lineKind) {
            Finish(key->key() == Qt::Key_Up ? TEditorExit::Up : TEditorExit::Down);
            return true;
        }
        if (m_kind == TEditorKind::Date && key->key() == Qt::Key_Down &&
            !(key->modifiers() & Qt::AltModifier)) {
            QKeyEvent open(QEvent::KeyPress, Qt::Key_Down, Qt::AltModifier);
            QApplication::sendEvent(m_date, &open);
            return true;
        }
        return false;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (lineKind && m_line->text().trimmed().isEmpty()) {
            Finish(key->key() == Qt::Key_Left ? TEditorExit::Left : TEditorExit::Right);
            return true;
        }
        return false;
    default:
        taken = false;
        return false;
    }
}

// A character typed into the number editor goes through the number rule first.
bool TCellEditors::FilterNumberKey(QObject* watched, QEvent* event, QKeyEvent* key, bool& taken) {
    taken = false;
    const QString t = key->text();
    const bool ctrl = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (m_kind != TEditorKind::Number || watched != m_line || ctrl || t.size() != 1 ||
        !(t[0].unicode() >= 32 || t[0] == QChar(8)))
        return false;
    taken = true;
    QString text = m_line->text();
    int caret = m_line->cursorPosition();
    if (m_line->hasSelectedText()) {
        text.remove(m_line->selectionStart(), m_line->selectedText().size());
        caret = m_line->selectionStart();
    }
    const auto accepted = m_numbers.FilterKey(t[0], text, caret);
    if (!accepted) return true;
    if (*accepted == kBackspaceKey) {
        // The line edit removes the character itself.
        const bool handled = QObject::eventFilter(watched, event);
        Q_EMIT KeyTyped();
        return handled;
    }
    m_line->insert(QString(*accepted));
    Q_EMIT KeyTyped();
    return true;
}

bool TCellEditors::eventFilter(QObject* watched, QEvent* event) {
    if (m_kind == TEditorKind::None) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut)
        return watched == Current() ? FilterFocusOut(watched) : QObject::eventFilter(watched, event);
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    bool taken = false;
    const bool moved = FilterMoveKey(watched, key, taken);
    if (taken) return moved;
    const bool typed = FilterNumberKey(watched, event, key, taken);
    if (taken) return typed;
    if ((m_kind == TEditorKind::Text || m_kind == TEditorKind::Number) && watched == m_line) {
        const bool handled = QObject::eventFilter(watched, event);
        Q_EMIT KeyTyped();
        return handled;
    }
    return QObject::eventFilter(watched, event);
}
