#include "ui/tsectionpanel.h"

#include "storage/datafolders.h"
#include "ui/uicolours.h"

#include <QCursor>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>

namespace {

const int kIconSizes[] = {40, 48, 55, 64, 70, 80, 96};

} // namespace

TSectionButton::TSectionButton(int index, const QString& text, const QString& iconStem,
                               const QString& programFolder, QWidget* parent)
    : QFrame(parent), m_index(index), m_icon(new QLabel(this)), m_text(new QLabel(text, this)) {
    setObjectName(QStringLiteral("SectionButton%1").arg(index));
    setAutoFillBackground(true);
    setFrameShape(QFrame::Panel);
    m_text->setAlignment(Qt::AlignCenter);
    m_icon->setAlignment(Qt::AlignCenter);
    for (QLabel* l : {m_icon, m_text})
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (int size : kIconSizes) {
        const QString file =
            JoinPath(programFolder, QStringLiteral("Icons/") + iconStem + QStringLiteral("_ico_") +
                                        QString::number(size) + QStringLiteral(".ico"));
        const QPixmap pm(file);
        if (!pm.isNull()) m_icons.append({size, pm});
    }
    Repaint();
}

QString TSectionButton::Text() const {
    return m_text->text();
}

void TSectionButton::SetChosen(bool chosen) {
    m_chosen = chosen;
    Repaint();
}

void TSectionButton::SetHighlighted(bool on) {
    if (m_highlighted == on) return;
    m_highlighted = on;
    Repaint();
}

void TSectionButton::Repaint() {
    QPalette p = palette();
    const QPalette base = parentWidget() ? parentWidget()->palette() : palette();
    if (m_highlighted) {
        p.setColor(QPalette::Window, base.color(QPalette::Highlight));
        p.setColor(QPalette::WindowText, base.color(QPalette::HighlightedText));
        setFrameShadow(QFrame::Plain);
        setLineWidth(0);
    } else {
        p.setColor(QPalette::Window, AccentColour(base));
        p.setColor(QPalette::WindowText, QColor(19, 0, 0));
        setFrameShadow(m_chosen ? QFrame::Sunken : QFrame::Raised);
        setLineWidth(m_chosen ? 2 : 0);
    }
    setPalette(p);
    m_text->setPalette(p);
}

int TSectionPanel::IconSizeFor(int h) {
    if (h < 80) return 40;
    if (h < 90) return 48;
    if (h < 100) return 55;
    if (h < 110) return 64;
    if (h <= 145) return 70;
    return 80;
}

QSize TSectionPanel::ButtonSize(int clientWidth, int clientHeight) {
    int b = clientWidth - 20;
    if (b < 0) b = 64;
    int h = b;
    if (6 * b + 27 >= clientHeight) {
        h = (clientHeight - 24) / 6;
        if (h <= 0) h = b;
    }
    return QSize(b, h);
}

void TSectionButton::LayOut() {
    m_iconSize = TSectionPanel::IconSizeFor(height());
    QPixmap pm;
    for (const auto& [size, p] : m_icons)
        if (size == m_iconSize) pm = p;
    m_icon->setPixmap(pm);
    const int textH = m_text->sizeHint().height();
    const int free = std::max(0, height() - m_iconSize - textH);
    const int top = free / 3;
    m_icon->setGeometry(0, top, width(), m_iconSize);
    m_text->setGeometry(0, top + m_iconSize, width(), textH);
}

void TSectionButton::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayOut();
}

void TSectionButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Q_EMIT Clicked(m_index);
}

void TSectionButton::enterEvent(QEnterEvent* event) {
    QFrame::enterEvent(event);
    Q_EMIT Hovered(m_index);
}

TSectionPanel::TSectionPanel(const QString& programFolder, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("MainBtnPanel"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, AccentColour(palette()));
    setPalette(p);
    const struct {
        const char* text;
        const char* stem;
    } sections[] = {{"Расходы F2", "Rashod/rashod"}, {"Доходы F3", "Dohod/dohod"},
                    {"Долги F4", "Dolg/dolg"},       {"Планы F5", "Plan/plan"},
                    {"Анализ F6", "Analis/analis"},  {"Базы F7", "Base/base"}};
    for (int i = 0; i < 6; ++i) {
        auto* b = new TSectionButton(i, QString::fromUtf8(sections[i].text),
                                     QString::fromLatin1(sections[i].stem), programFolder, this);
        connect(b, &TSectionButton::Clicked, this, &TSectionPanel::SectionClicked);
        connect(b, &TSectionButton::Hovered, this, [this](int index) {
            for (TSectionButton* other : m_buttons)
                other->SetHighlighted(other->Index() == index);
            m_hoverTimer.start();
        });
        m_buttons.append(b);
    }
    m_hoverTimer.setInterval(20);
    m_hoverTimer.setObjectName(QStringLiteral("MainBtnPanelTimer"));
    connect(&m_hoverTimer, &QTimer::timeout, this, &TSectionPanel::CheckHover);
}

void TSectionPanel::CheckHover() {
    bool any = false;
    for (TSectionButton* b : m_buttons) {
        const bool under = b->isVisible() && b->rect().contains(b->mapFromGlobal(QCursor::pos()));
        b->SetHighlighted(under);
        any = any || under;
    }
    if (!any) m_hoverTimer.stop();
}

void TSectionPanel::SetChosen(int index) {
    for (TSectionButton* b : m_buttons)
        b->SetChosen(b->Index() == index);
}

void TSectionPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const QSize s = ButtonSize(contentsRect().width(), contentsRect().height());
    const int left = (contentsRect().width() - s.width()) / 2;
    int top = 3;
    for (TSectionButton* b : m_buttons) {
        b->setGeometry(left, top, s.width(), s.height());
        top += s.height() + 3;
    }
}
