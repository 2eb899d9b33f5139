#pragma once

#include "storage/tmessageboxclass.h"

#include <QHash>
#include <QPointer>

class QAbstractItemView;
class THintPanel;

// Shows the program's message boxes as real dialogs and the cell hints over the registered grids.
class TWidgetPresenter final : public IMessagePresenter {
public:
    TWidgetPresenter();
    ~TWidgetPresenter() override;

    TMsgButton Present(const TMessage& message, bool* optionTicked) override;
    void Beep() override;
    void ShowCellHint(int gridId, int col, int row, const QString& text) override;

    void RegisterGrid(int gridId, QAbstractItemView* view);
    THintPanel* HintPanel();

private:
    QHash<int, QPointer<QAbstractItemView>> m_grids;
    QPointer<THintPanel> m_hint; // the panel lives in the grid it was last shown on
};
