#include "ui/tarhivecommands.h"

#include "backup/leftscratch.h"
#include "ledger/basechanges.h"
#include "session/requirelink.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "ui/iarhivewindow.h"
#include "ui/tappcontext.h"
#include "ui/tarhivenameform.h"
#include "ui/tmenuclass.h"
#include "ui/tuserform.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>

namespace {

const QString kFilter = QStringLiteral("Archive files (*.zip)");

} // namespace

TArhiveCommands::TArhiveCommands(TAppContext& context, IArhiveWindow& window, TMenuClass& menu)
    : QObject(&window.Window()), m_context(context), m_window(window), m_restore(context.state),
      m_daily(context.state), m_nameForm(new TArhiveNameForm(&window.Window())),
      m_wait(new QLabel(&window.Window())) {
    setObjectName(QStringLiteral("ArhiveCommands"));
    m_wait->setObjectName(QStringLiteral("RestoreWaitPanel"));
    m_wait->setText(QStringLiteral("Идет восстановление архивной копии. Подождите..."));
    m_wait->setAlignment(Qt::AlignCenter);
    m_wait->setFrameShape(QFrame::Panel);
    m_wait->setFrameShadow(QFrame::Raised);
    m_wait->setAutoFillBackground(true);
    m_wait->setMargin(16);
    m_wait->hide();
    m_restore.SetHooks(Hooks());
    // Made once as the program starts, after the log-in dialog settled the folders: what a killed run
    // left of its restores and daily copies goes before anything can be restored or copied again.
    RemoveLeftScratch(context.state.paths);

    connect(menu.Item(QStringLiteral("CreateArhivMenu")), &QAction::triggered, this,
            &TArhiveCommands::CreateArhive);
    connect(menu.Item(QStringLiteral("OpenArhivMenu")), &QAction::triggered, this,
            [this] { RestoreArhive(false); });
    connect(menu.Item(QStringLiteral("OpenDailyArhivMenu")), &QAction::triggered, this,
            [this] { RestoreArhive(true); });
}

TArhiveCommands::~TArhiveCommands() = default;

TArhiveHooks TArhiveCommands::Hooks() {
    TArhiveHooks hooks;
    hooks.saveAll = [this] { return m_window.SaveAll(); };
    hooks.busy = [this](bool busy) { SetBusy(busy); };
    hooks.askNewBaseName = [this] { return m_nameForm->Ask(); };
    hooks.reloadBase = [this] { m_window.OpenBase(); };
    hooks.optimise = [this] { m_window.RunDateOptimisation(); };
    hooks.showFirstPage = [this] { m_window.ShowFirstSection(); };
    hooks.userChanged = [this] { m_window.ShowUserChanged(); };
    hooks.switchLogin = [this](const QString& name) {
        if (m_userForm) m_userForm->ShowForSwitch(name);
    };
    hooks.firstRun = [this] {
        if (m_userForm) m_userForm->ShowFirstRunWithoutBase();
    };
    RequireLink(hooks.saveAll && hooks.busy && hooks.askNewBaseName && hooks.reloadBase && hooks.optimise &&
                    hooks.showFirstPage && hooks.userChanged && hooks.switchLogin && hooks.firstRun,
                "archive restore -> windows");
    return hooks;
}

QString TArhiveCommands::ChooseFile(const TFileChoice& choice) {
    if (chooseFile) return chooseFile(choice);
    QFileDialog dialog(&m_window.Window(), choice.title, choice.folder, kFilter);
    dialog.setObjectName(choice.save ? QStringLiteral("SaveArhiveDialog")
                                     : QStringLiteral("OpenArhiveDialog"));
    dialog.setAcceptMode(choice.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Replacing an archive is asked in the program's own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFileMode(choice.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (choice.save) dialog.setDefaultSuffix(QStringLiteral("zip"));
    if (!choice.fileName.isEmpty()) dialog.selectFile(choice.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

void TArhiveCommands::SetBusy(bool busy) {
    QWidget& window = m_window.Window();
    window.setEnabled(!busy);
    if (busy) {
        m_wait->adjustSize();
        m_wait->move((window.width() - m_wait->width()) / 2, (window.height() - m_wait->height()) / 2);
        m_wait->show();
        m_wait->raise();
        // The panel is drawn before the unpacking holds the thread.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else {
        m_wait->hide();
    }
}

void TArhiveCommands::CreateArhive() {
    TMyType& state = m_context.state;
    if (!m_window.BaseOpen() || RefuseChange(state)) return;
    // An archive of older books than the ones on screen would mislead: the failure was told.
    if (!m_window.SaveAll()) return;
    TFileChoice choice;
    choice.title =
        QStringLiteral("Резервное копирование данных базы \"") + state.baseName + QStringLiteral("\"");
    choice.folder = QDir::homePath();
    choice.fileName = arhive::DayFileName(QDate::currentDate());
    choice.save = true;
    const QString path = ChooseFile(choice);
    if (!path.isEmpty()) arhive::MakeArchive(state, path);
}

void TArhiveCommands::PrepareForRestore() {
    m_context.editors.CloseAndCommit();
    for (TTableKind kind : LedgerKinds())
        m_context.filters.ReapplyFilter(kind);
    m_window.DiscardSearch();
}

void TArhiveCommands::RestoreArhive(bool daily) {
    if (!m_window.BaseOpen()) return;
    PrepareForRestore();
    TMyType& state = m_context.state;
    TFileChoice choice;
    choice.title = QStringLiteral("Восстановить архивную копию");
    if (daily || state.damaged) {
        MakePrivateFolder(m_daily.Folder());
        choice.folder = m_daily.Folder();
        choice.fileName = JoinPath(m_daily.Folder(), QStringLiteral("*"));
    } else {
        choice.folder = QDir::homePath();
    }
    const QString path = ChooseFile(choice);
    if (path.isEmpty()) return;
    // The open base read again from the archive is judged by that reading alone.
    if (m_restore.Restore(path, state.damaged) == TArhiveRestore::TResult::Replaced) {
        m_daily.KeepDaysCopyFor(QString());
        // The books came from the archive whole: nothing before them can be taken back.
        m_context.session.ClearHistory(QStringLiteral("база восстановлена из архива"));
    }
}

void TArhiveCommands::OfferAfterDamage() {
    const TMyType& state = m_context.state;
    TFileChoice choice;
    choice.title = QStringLiteral("Восстановить архивную копию");
    MakePrivateFolder(m_daily.Folder());
    choice.folder = m_daily.Folder();
    if (!m_restore.OfferAfterDamage(ChooseFile(choice))) m_daily.KeepDaysCopyFor(state.baseFolder);
}

bool TArhiveCommands::WriteDaily(const QDate& today) {
    return m_daily.Write(today);
}
