#include "ui/tcalcform.h"

#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>

namespace {

constexpr int kKeyWidth = 35;
constexpr int kKeyHeight = 25;
constexpr int kColumnStep = 38;
constexpr int kRowStep = 28;
constexpr int kGapUnderDisplay = 3;
constexpr int kFramePadding = 6;
constexpr int kFlashMs = 100;

// Keys run down the columns: 1-4 in column 0 under the memory panel, then four to a column from
// row 1; "=" spans columns 4 and 5 of the last row.
QRect KeyCell(int key, int top) {
    const int column = key == CalcM ? 0 : (key - 1) / 4;
    const int row = key == CalcM ? 0 : 1 + (key - 1) % 4;
    const int width = key == CalcEquals ? kColumnStep + kKeyWidth : kKeyWidth;
    return {kFramePadding + column * kColumnStep, top + row * kRowStep, width, kKeyHeight};
}

bool IsNavigation(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        return !(event->modifiers() & Qt::AltModifier);
    default:
        return event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll);
    }
}

// The memory key of a Ctrl shortcut, Ctrl held alone; -1 for any other key.
int CtrlKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mods != Qt::ControlModifier || event->key() <= 0 || event->key() > 0xFFFF) return -1;
    return CalcKeyForCtrlLetter(QChar(event->key()));
}

} // namespace

TCalcForm::TCalcForm(QWidget* parent)
    : QDialog(parent), m_frame(new QFrame(this)), m_edit(new QLineEdit(m_frame)),
      m_panel(new QLabel(m_frame)) {
    setWindowTitle(QStringLiteral("Калькулятор"));
    setModal(true);
    m_pause = [this](int ms) {
        repaint();
        QThread::msleep(ms);
    };

    m_frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_edit->setObjectName(QStringLiteral("Edit"));
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_edit->setContextMenuPolicy(Qt::NoContextMenu);
    m_edit->setAcceptDrops(false);
    m_edit->installEventFilter(this);
    const int displayWidth = 5 * kColumnStep + kKeyWidth;
    m_edit->setGeometry(kFramePadding, kFramePadding, displayWidth, m_edit->sizeHint().height());

    m_panel->setObjectName(QStringLiteral("PanelM"));
    m_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panel->setAlignment(Qt::AlignCenter);
    QFont bold = m_panel->font();
    bold.setBold(true);
    m_panel->setFont(bold);

    BuildKeys();
    const int bottom = KeyCell(CalcMPlus, m_edit->geometry().bottom() + 1 + kGapUnderDisplay).bottom() + 1;
    m_frame->setGeometry(0, 0, displayWidth + 2 * kFramePadding, bottom + kFramePadding);
    setFixedSize(m_frame->size());
    ShowState();
}

void TCalcForm::BuildKeys() {
    const int top = m_edit->geometry().bottom() + 1 + kGapUnderDisplay;
    for (int key = 0; key < CalcKeyCount; ++key) {
        auto* button = new QPushButton(CalcKeyCaption(key), m_frame);
        button->setObjectName(QStringLiteral("Key%1").arg(key));
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
        // Keys never take the focus: typing always goes to the display.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setGeometry(KeyCell(key, top));
        // A key acts as the left button goes down on it.
        connect(button, &QPushButton::pressed, this, [this, key] { Act(key, CalcFlashCount(key, true)); });
        m_keys[key] = button;
    }
    m_keys[CalcM]->hide();
    m_panel->setGeometry(KeyCell(CalcM, top));
}

void TCalcForm::OpenOver(QWidget* over) {
    if (over) {
        QRect placed(QPoint(0, 0), size());
        placed.moveCenter(over->geometry().center());
        setGeometry(placed);
    }
    exec();
}

void TCalcForm::showEvent(QShowEvent* event) {
    m_engine.Reset();
    ShowState();
    m_edit->setFocus();
    QDialog::showEvent(event);
}

void TCalcForm::Act(int key, int flashes) {
    QPushButton* button = m_keys[key];
    for (int i = 0; i < flashes; ++i) {
        button->setDefault(true);
        m_pause(kFlashMs);
    }
    button->setDefault(false);

    const int caret = m_edit->hasSelectedText() ? m_edit->selectionStart() : m_edit->cursorPosition();
    const int selection = m_edit->hasSelectedText() ? int(m_edit->selectedText().size()) : 0;
    m_engine.SetCaret(caret, selection);
    m_engine.Press(key);
    // A key that changed nothing leaves the user's caret and selection alone.
    if (m_engine.Display() != m_edit->text() || m_engine.Caret() != caret) ShowState();
    m_panel->setText(m_engine.MemoryIndicator());
    m_edit->setFocus();
}

void TCalcForm::ShowState() {
    m_edit->setText(m_engine.Display());
    m_edit->setCursorPosition(m_engine.Caret());
    m_panel->setText(m_engine.MemoryIndicator());
}

bool TCalcForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_edit) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return HandleKey(static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod: {
        // Text from an input method counts as typed characters; nothing else of it reaches the display.
        const QString typed = static_cast<QInputMethodEvent*>(event)->commitString();
        for (QChar c : typed) {
            const int key = CalcKeyForChar(c);
            if (key >= 0) Act(key, CalcFlashCount(key, false));
        }
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        // The middle button would paste the X selection.
        return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
    default:
        return false;
    }
}

bool TCalcForm::HandleKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    if (IsNavigation(event)) return false;

    if (const int memoryKey = CtrlKey(event); memoryKey >= 0) {
        Act(memoryKey, 0);
        return true;
    }
    // Characters typed with Ctrl, Alt or Meta are no characters for the calculator.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return true;

    int key = -1;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        key = CalcEquals;
    else if (event->key() == Qt::Key_Backspace)
        key = CalcDel;
    else if (event->text().size() == 1)
        key = CalcKeyForChar(event->text().at(0));
    if (key >= 0) Act(key, CalcFlashCount(key, false));
    return true;
}

void OpenCalculator(TCalcForm& form, QWidget* mainWindow, const TProgramStarter& start) {
    if (!StartPlatformCalculator(start)) form.OpenOver(mainWindow);
}
