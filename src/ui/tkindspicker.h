#pragma once

#include "ledger/tgeneralclass.h"

#include <QTableView>

#include <functional>

class TDataGrid;
class TDataVidGrid;
class TEditClass;
class TKindsModel;
class TMyType;

// A kinds picker under a ledger: a read-only view of a kinds list from which the kind and name of
// a record are taken by Enter or a double-click.
class TKindsPicker : public QTableView {
    Q_OBJECT
public:
    TKindsPicker(TMyType& state, TGeneralClass& general, TEditClass& edit, TDataVidGrid& list, int gridId,
                 QWidget* parent = nullptr);

    int GridId() const { return m_gridId; }
    TKindsModel* Model() const { return m_model; }
    // The ledger the picker writes into: the current view of the page.
    std::function<TDataGrid*()> currentLedger;
    // Selects the kind and name a ledger cell asked for (-1 leaves the selection).
    void SelectFor(const TEditRequest& request);
    void Reload();

Q_SIGNALS:
    // A pick was applied: the ledger opens this editor on the row's sum.
    void Picked(const TEditRequest& request);
    void EscapePressed();
    void FocusEntered();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void Pick(int trigger);

    TMyType& m_state;
    TGeneralClass& m_general;
    TEditClass& m_edit;
    TDataVidGrid& m_list;
    int m_gridId;
    TKindsModel* m_model;
};

// A kinds list on the Bases page, where its names are edited.
class TKindsListView : public QTableView {
    Q_OBJECT
public:
    TKindsListView(TMyType& state, TDataVidGrid& list, int gridId, QWidget* parent = nullptr);
    TKindsModel* Model() const { return m_model; }
    void Reload();

private:
    TMyType& m_state;
    TDataVidGrid& m_list;
    int m_gridId;
    TKindsModel* m_model;
};
