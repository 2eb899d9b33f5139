#include "ui/tpursepage.h"

#include "ledger/tmytype.h"
#include "money/tpurseclass.h"
#include "session/changenames.h"
#include "session/tsession.h"
#include "ui/tledgergrid.h"
#include "ui/ttitlestrip.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int kMargin = 20;
constexpr int kSelectorWidth = 200;
constexpr int kTotalGap = 50;

QWidget* Column(QWidget* top, QWidget* bottom) {
    auto* w = new QWidget;
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(top);
    l->addWidget(bottom, 1);
    return w;
}

} // namespace

TPursePage::TPursePage(TSession& session, const QString& programFolder, QWidget* parent)
    : QWidget(parent), m_session(session), m_state(session.state), m_purse(session.money.purse),
      m_splitter(new QSplitter(Qt::Vertical)), m_band(new QWidget),
      m_selectorLabel(new QLabel(QStringLiteral("Базовый кошелек : "), m_band)),
      m_selector(new QComboBox(m_band)), m_total(new QLabel(m_band)),
      m_default(new QCheckBox(QStringLiteral("Вставлять базовый кошелек в таблицы по умолчанию"), m_band)),
      m_purseGrid(new TLedgerGrid), m_transferGrid(new TLedgerGrid),
      m_transferStrip(
          new TTitleStrip(QStringLiteral("Таблица переноса денег между кошельками"), programFolder)) {
    setObjectName(QStringLiteral("PurseTab"));
    m_splitter->setObjectName(QStringLiteral("PursePage"));
    m_selector->setObjectName(QStringLiteral("BasePurseBox"));
    m_total->setObjectName(QStringLiteral("TotalMoneyLabel"));
    m_default->setObjectName(QStringLiteral("PurseDefaultCheckBox"));
    m_transferStrip->setObjectName(QStringLiteral("TransferPanel"));
    m_selector->setEditable(false);
    m_selector->setFocusPolicy(Qt::StrongFocus);
    for (QLabel* bold : {m_selectorLabel, m_total}) {
        QFont f = bold->font();
        f.setBold(true);
        bold->setFont(f);
    }

    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(Column(m_band, m_purseGrid));
    m_splitter->addWidget(Column(m_transferStrip, m_transferGrid));
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    connect(m_selector, &QComboBox::activated, this, [this](int index) {
        const QString name = m_selector->itemText(index);
        // A refused change (a purse with rate 0) leaves the base purse where it was, and the list too.
        bool changed = false;
        m_session.Change(changename::BasePurseChosen(), [&] { changed = m_purse.ChangeBasePurse(name); });
        if (!changed) RefreshSelector();
        RefreshTotal();
    });
    connect(m_default, &QCheckBox::toggled, this, [this](bool on) { m_state.purseDefault = on; });
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { m_userSized = true; });
    LayOutBand();
}

void TPursePage::RefreshSelector() {
    const QSignalBlocker block(m_selector);
    m_selector->clear();
    m_selector->addItems(m_purse.PurseList());
    m_selector->setCurrentIndex(std::max(0, m_selector->findText(m_state.basePurse, Qt::MatchExactly)));
    RefreshTotal();
}

void TPursePage::RefreshTotal() {
    m_total->setText(m_purse.TotalMoneyLabel());
    LayOutBand();
}

void TPursePage::RefreshCheckBox() {
    const QSignalBlocker block(m_default);
    m_default->setChecked(m_state.purseDefault);
}

void TPursePage::LayOutBand() {
    const QSize label = m_selectorLabel->sizeHint();
    const int rowH = std::max(label.height(), m_selector->sizeHint().height());
    m_selectorLabel->setGeometry(kMargin, kMargin, label.width(), rowH);
    const int selectorLeft = kMargin + label.width() + kMargin;
    m_selector->setGeometry(selectorLeft, kMargin, kSelectorWidth, rowH);
    const int totalLeft = selectorLeft + kSelectorWidth + kTotalGap;
    m_total->setGeometry(totalLeft, kMargin,
                         std::max(m_total->sizeHint().width(), m_band->width() - totalLeft - kMargin), rowH);
    const int boxTop = kMargin + rowH + 8;
    m_default->setGeometry(kMargin, boxTop, m_default->sizeHint().width(), m_default->sizeHint().height());
    m_band->setFixedHeight(boxTop + m_default->sizeHint().height() + 10);
}

void TPursePage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutBand();
    ShareHeight();
}

void TPursePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ShareHeight();
}

void TPursePage::ShareHeight() {
    // The purse grid takes the upper third of the tab under the band of its controls, until the user
    // moves the splitter himself.
    if (m_userSized || !isVisible() || height() < 100) return;
    const int grid = height() / 3;
    m_splitter->setSizes({m_band->height() + grid, std::max(0, height() - m_band->height() - grid)});
}
