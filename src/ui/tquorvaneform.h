#pragma once

#include "storage/tabledefs.h"
#include "ui/iarhivewindow.h"
#include "ui/tmainwindowparts.h"

#include <QMainWindow>
#include <QMap>

#include <functional>
#include <memory>

class QDialog;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableView;
class TAnalysisPage;
class TAppContext;
class TAutoSave;
class TDataVidGrid;
class TGridController;
class THelperForm;
class TKindsCommands;
class TKindsListController;
class TKindsListView;
class TKindsPicker;
class TLedgerGrid;
class TCalcForm;
class TFilterForm;
class TLowerPanel;
class TMenuClass;
class TMoneyViews;
class TPursePage;
class TSectionPanel;
class TTitleStrip;
class TToolBarPanel;
class TUsersPage;
class TUserForm;
struct TEditRequest;

// The main window: the section buttons, the toolbar, the title strip, the six pages and the lower
// panel. It shows the program-wide state and sends every key and click to the logic objects.
class TQuorvaneForm : public QMainWindow, public IArhiveWindow {
    Q_OBJECT
public:
    enum TSection { Rashod = 0, Dohod, Dolg, Plan, Analis, Base };

    explicit TQuorvaneForm(TAppContext& context, QWidget* parent = nullptr);
    ~TQuorvaneForm() override;

    static QString BaseCaption() { return QStringLiteral(" Vellumora"); }
    // The caption names the logged-in user after the marks of the open base's state (BaseStateMarks).
    void SetUserCaption(const QString& userName);
    // The caption made whole, in this one place: the marks of the open base's state, the program's
    // title, then the user. A base open read-only also says why in the status bar.
    void UpdateCaption();

    // Opens the base of the logged-in user into the window; the program does it once the window shows
    // after a log-in. Activating the window never reads the base again.
    void OpenBase() override;
    // A base already read into memory (another user's, after a switch) shown from the first page with
    // its own window settings and column widths.
    void ShowOpenedBase();
    // The views read the tables again (the open base was reloaded under them), keeping their places.
    void RefreshViews();
    void SwitchSection(int index);
    int Section() const { return m_section; }
    bool BaseOpen() const override { return m_baseOpen; }

    // The one widget the program reaches: it connects the settings and diagnostics windows and the
    // archive commands to their menu items.
    TMenuClass* Menu() const { return m_parts.menu; }
    // The small input dialog; the window makes its own when the program gave it none.
    void SetHelperForm(THelperForm* helper) { m_helper = helper; }
    void SetCalculator(TCalcForm* calc) { m_calc = calc; }
    // The dialog "Фильтровать..." made by the program; the window makes its own when given none.
    void SetFilterForm(TFilterForm* form);
    void SetNotice(QDialog* notice) { m_notice = notice; }
    // The log-in dialog, made before the window: the users commands open it in its switch and bases modes.
    void SetUserForm(TUserForm* form);

    // Every date cell written as "dd.MM.yyyy", with the small window that asks to wait.
    void RunDateOptimisation() override;
    // The "Сортировка" menu and the toolbar for the page and view on show.
    void RefreshCommands();

    // The window's layout and column widths into the base's settings (before the base is saved).
    void StoreSettings();
    // Saves the base, the kinds lists, the purses and the last user: what closing does after "Да".
    // False, told to the user, when the base could not be saved.
    bool SaveAll() override;

    // Called once the window has closed for good and is hidden (the program then ends).
    std::function<void()> onClosed;

    // Captions, widths and visibility of the toolbar buttons for the page, tab and edit mode on show.
    void LayOutToolBar();
    // Every column of a kinds view the same width.
    void AutoSizeKinds(QWidget* view);

Q_SIGNALS:
    // A section is on show, laid out and current.
    void SectionShown();
    // The base was read into the window's views.
    void BaseOpened();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The archive commands' side of the window.
    QWidget& Window() override { return *this; }
    void ShowFirstSection() override;
    void ShowUserChanged() override;
    void DiscardSearch() override;

    TLedgerGrid* Grid(TTableKind kind) const;
    TGridController* Controller(TTableKind kind) const;
    TKindsPicker* Picker(int gridId) const;
    TKindsListView* KindsList(int gridId) const;
    TKindsListController* KindsListController(int gridId) const;
    THelperForm* Helper();
    // What the pages and command classes work with, handed to them when they are made.
    const TMainWindowParts& Parts() const;
    QWidget* MakeLedgerPage(TTableKind kind, int pickerId, const QString& pickerTitle);
    void BuildPages();
    void ConnectCommands();
    QWidget* MakeDebtsPage();
    QWidget* MakeBasesPage();
    TGridController* AddController(TTableKind kind, TLedgerGrid* grid);
    void LayOutRegions();
    void ApplySettings();
    void AutoSize(TLedgerGrid* grid);
    void OnPickerRequested(TTableKind kind, const TEditRequest& request);
    TTableKind CurrentLedgerKind() const;
    void SetPageTitles();
    // Views whose columns share their width out once they are first on show (hidden ones have none).
    void SizePendingViews();
    void ReloadKindsViews(TDataVidGrid& list);
    // Leaving the list tabs of the Bases page: both lists are written and the views read them again.
    void SaveAndReloadKinds();
    void OnPravka();
    void OnDelete();
    // Whether the last save failed, and why, in the lower panel and the caption.
    void ShowSaveState();

    TAppContext& m_context;
    TSectionPanel* m_sections;
    // The widgets and grid controllers the pages and command classes are given.
    TMainWindowParts m_parts;
    QStackedWidget* m_notebook;
    TCalcForm* m_calc = nullptr;
    QDialog* m_notice = nullptr;
    TKindsCommands* m_kindsCommands = nullptr;
    TAutoSave* m_autoSave = nullptr;
    TUsersPage* m_usersPage = nullptr;
    THelperForm* m_helper = nullptr;
    std::unique_ptr<THelperForm> m_ownHelper;
    QMap<int, QSplitter*> m_pageSplitters; // ledger page splitters by table kind
    QSplitter* m_debtSplitter = nullptr;
    TMoneyViews* m_moneyViews = nullptr;
    TAnalysisPage* m_analysisPage = nullptr;
    int m_section = 0;
    bool m_baseOpen = false;
    bool m_closing = false;
    int m_lowerHeight = 250;
    QString m_captionUser;
    QList<QTableView*> m_pendingSizing;
};
