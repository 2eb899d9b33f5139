#include "ui/twidgetpresenter.h"

#include "ui/thintpanel.h"
#include "ui/tmessagedialog.h"

#include <QAbstractItemView>
#include <QApplication>

TWidgetPresenter::TWidgetPresenter() = default;

TWidgetPresenter::~TWidgetPresenter() {
    delete m_hint;
}

TMsgButton TWidgetPresenter::Present(const TMessage& message, bool* optionTicked) {
    TMessageDialog box(message, QApplication::activeWindow());
    box.PlaceOnScreen();
    box.exec();
    if (optionTicked) *optionTicked = box.OptionTicked();
    return box.Clicked();
}

void TWidgetPresenter::Beep() {
    QApplication::beep();
}

void TWidgetPresenter::ShowCellHint(int gridId, int col, int row, const QString& text) {
    QAbstractItemView* view = m_grids.value(gridId);
    if (view) HintPanel()->ShowCellHint(view, col, row, text);
}

THintPanel* TWidgetPresenter::HintPanel() {
    if (!m_hint) m_hint = new THintPanel;
    return m_hint;
}

void TWidgetPresenter::RegisterGrid(int gridId, QAbstractItemView* view) {
    m_grids.insert(gridId, view);
}
