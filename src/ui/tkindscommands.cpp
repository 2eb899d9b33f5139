#include "ui/tkindscommands.h"

#include "ledger/basechanges.h"
#include "ledger/columnsizing.h"
#include "ledger/gridids.h"
#include "ledger/tkindslists.h"
#include "ledger/tkindsmodel.h"
#include "session/changenames.h"
#include "storage/tmessageboxclass.h"
#include "ui/tappcontext.h"
#include "ui/thelperform.h"
#include "ui/tkindslistcontroller.h"
#include "ui/tkindspicker.h"
#include "ui/tquorvaneform.h"

#include <QApplication>
#include <QTabWidget>

TKindsCommands::TKindsCommands(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts)
    : QObject(&form), m_form(form), m_context(context), m_parts(parts) {}

TKindsListController* TKindsCommands::ExpenseList() const {
    return m_parts.listControllers.value(gridid::BaseRashod);
}

bool TKindsCommands::Editing() const {
    return m_context.edit.editMode == 2;
}

void TKindsCommands::AddKind() {
    TKindsListController* list = ExpenseList();
    if (!list || RefuseChange(m_context.state)) return;
    m_context.editors.CloseAndCommit();
    m_context.kinds.kindColumn = -1;
    m_parts.helper()->AskKindName([this, list](const QString& name) {
        TKindNameResult result{};
        m_context.session.Change(changename::KindAdded(), [&] { result = m_context.kinds.AddKind(name); });
        if (result == TKindNameResult::NotUnique) return false;
        if (result == TKindNameResult::Done) {
            m_form.AutoSizeKinds(list->View());
            list->Select(list->View()->model()->columnCount() - 1, 1);
            list->View()->setFocus();
        }
        return true;
    });
}

void TKindsCommands::DeleteKind() {
    TKindsListController* list = ExpenseList();
    if (!list) return;
    m_context.editors.CloseAndCommit();
    const int column = m_context.kinds.KindColumn(list->List().col);
    m_context.kinds.kindColumn = -1;
    // Asked before the change, so that the step itself asks nothing.
    const QStringList question = m_context.kinds.KindDeletionQuestion(column);
    if (!question.isEmpty() && !Messages().AskYesNo(question, TMsgButton::Yes)) return;
    bool deleted = false;
    m_context.session.Change(changename::KindDeleted(),
                             [&] { deleted = m_context.kinds.DeleteKind(column, question.isEmpty()); });
    if (!deleted) return;
    TKindsListView* view = list->View();
    const int columns = std::max(1, view->model()->columnCount());
    for (int c = 0; c < columns; ++c)
        view->setColumnWidth(c, std::max(20, (view->width() - 30) / columns));
    list->Select(std::min(column, columns - 1), 1);
    view->setFocus();
}

void TKindsCommands::RenameKind(bool fromToolbar) {
    TKindsListController* list = ExpenseList();
    if (!list) return;
    QWidget* focus = QApplication::focusWidget();
    if (fromToolbar && !(focus && (focus == list->View() || list->View()->isAncestorOf(focus)))) return;
    if (RefuseChange(m_context.state)) return;
    m_context.editors.CloseAndCommit();
    const int column = m_context.kinds.KindColumn(list->List().col);
    m_context.kinds.kindColumn = -1;
    m_parts.helper()->AskKindName([this, list, column](const QString& name) {
        TKindNameResult result{};
        m_context.session.Change(changename::KindRenamed(),
                                 [&] { result = m_context.kinds.RenameKind(column, name); });
        if (result == TKindNameResult::NotUnique) return false;
        list->View()->setFocus();
        return true;
    });
}

void TKindsCommands::EditFromPicker(TKindsPicker* picker, bool addName) {
    if (!picker || RefuseChange(m_context.state)) return;
    TDataVidGrid& list = picker->List();
    m_returnSection = m_form.Section();
    m_returnPlanTab = m_parts.planTabs->currentIndex();
    m_returnPicker = picker->GridId();
    m_returnCol = picker->SelectedColumn();
    m_returnRow = std::max(1, picker->SelectedRow());
    const QString kind = picker->SelectedKind();
    const QString name = addName ? QString() : picker->SelectedName();

    m_form.SwitchSection(TQuorvaneForm::Base);
    m_parts.baseTabs->setCurrentIndex(list.listNumber == 0 ? 0 : 1);
    TKindsListController* target =
        m_parts.listControllers.value(list.listNumber == 0 ? gridid::BaseRashod : gridid::BaseDohod);
    if (!target) return;
    m_target = TKindsLists::EditTarget(list, kind, name);
    m_targetList = list.listNumber;
    m_context.edit.editMode = 2;
    target->OpenEditor(m_target.x(), m_target.y(), QChar(), TEditStart::Enter);
    m_form.LayOutToolBar();
}

void TKindsCommands::Accept() {
    // The name typed so far is stored first: leaving the page would only hide the editor.
    m_context.editors.CloseAndCommit();
    if (!Editing())
        return; // the name was refused and another cell selected: the edit is over, the page stays
    EndEditMode();
    if (m_returnSection == TQuorvaneForm::Plan && m_parts.planTabs->currentIndex() != m_returnPlanTab)
        m_parts.planTabs->setCurrentIndex(m_returnPlanTab);
    m_form.SwitchSection(m_returnSection);
    if (TKindsPicker* picker = m_parts.pickers.value(m_returnPicker)) {
        picker->SelectCell(m_returnCol, m_returnRow);
        picker->setFocus();
    }
    m_form.LayOutToolBar();
}

void TKindsCommands::EndEditMode() {
    m_context.edit.editMode = 0;
    m_target = QPoint(-1, -1);
    m_targetList = -1;
}

void TKindsCommands::ListSelectionMoved(int listNumber, int col, int gridRow) {
    if (!Editing() || (listNumber == m_targetList && QPoint(col, gridRow) == m_target)) return;
    EndEditMode();
    m_form.LayOutToolBar();
}
