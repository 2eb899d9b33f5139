#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSplitter;
class TLedgerGrid;
class TMyType;
class TPurseClass;
class TSession;
class TTitleStrip;

// The "Кошельки" tab of the Bases page: the purse grid in the upper third with the base purse
// selector, the total money and the check box "Вставлять базовый кошелек в таблицы по умолчанию"
// above it, and the transfer grid under its title. The grids are driven by the window's grid
// controllers; this page keeps its own controls in step with the purse rules.
class TPursePage : public QWidget {
    Q_OBJECT
public:
    // The base purse chosen here is a change through the session's door.
    TPursePage(TSession& session, const QString& programFolder, QWidget* parent = nullptr);

    TLedgerGrid* PurseGrid() const { return m_purseGrid; }
    TLedgerGrid* TransferGrid() const { return m_transferGrid; }
    TTitleStrip* TransferStrip() const { return m_transferStrip; }
    QComboBox* BasePurseSelector() const { return m_selector; }
    QLabel* TotalMoneyLabel() const { return m_total; }
    QCheckBox* PurseDefaultCheckBox() const { return m_default; }
    QSplitter* Splitter() const { return m_splitter; }

    // The selector's entries are the purse list with the base purse selected.
    void RefreshSelector();
    // "Общая сумма в кошельке : " with the rounded total and the base purse.
    void RefreshTotal();
    // The check box as the open base keeps it.
    void RefreshCheckBox();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void LayOutBand();
    void ShareHeight();

    TSession& m_session;
    TMyType& m_state;
    TPurseClass& m_purse;
    QSplitter* m_splitter;
    QWidget* m_band;
    QLabel* m_selectorLabel;
    QComboBox* m_selector;
    QLabel* m_total;
    QCheckBox* m_default;
    TLedgerGrid* m_purseGrid;
    TLedgerGrid* m_transferGrid;
    TTitleStrip* m_transferStrip;
    bool m_userSized = false;
};
