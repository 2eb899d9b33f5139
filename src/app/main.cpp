#include "app/startup.h"
#include "bankimport/importpreview.h"
#include "ledger/basechanges.h"
#include "session/requirelink.h"
#include "storage/datafolders.h"
#include "storage/programlocale.h"
#include "storage/tmessageboxclass.h"
#include "storage/tstartlocks.h"
#include "ui/tappcontext.h"
#include "ui/tarhivecommands.h"
#include "ui/tcalcform.h"
#include "ui/tfilterform.h"
#include "ui/thelperform.h"
#include "ui/tmenuclass.h"
#include "ui/tnoticeform.h"
#include "ui/tnotparolform.h"
#include "ui/tproblemsform.h"
#include "ui/tquorvaneform.h"
#include "ui/tsettingsform.h"
#include "ui/tuserform.h"
#include "ui/twidgetpresenter.h"
#include "users/basehold.h"
#include "users/tbaselocation.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QScreen>
#include <QTimer>

#include <memory>

namespace {

// The program file, known before any Qt object exists so that a second start costs nothing.
QString ProgramFile(const char* argv0) {
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    return target.isEmpty() ? QFileInfo(QString::fromLocal8Bit(argv0)).absoluteFilePath() : target;
}

// Every window, made once in this order and afterwards only shown and hidden, and the links between them.
class TWindows {
public:
    TWindows(TSession& session, TAppContext& context);
    // The log-in window; the program ends when it closes for good.
    TUserForm& UserForm() { return *m_userForm; }

private:
    TBaseLocationHooks LocationHooks();
    void LinkMenuAndClose();
    void AfterLogIn();

    TSession& m_session;
    TAppContext& m_context;
    TMyType& m_state;
    std::unique_ptr<TUserForm> m_userForm;
    std::unique_ptr<TQuorvaneForm> m_mainForm;
    std::unique_ptr<THelperForm> m_helperForm;
    std::unique_ptr<TFilterForm> m_filterForm;
    std::unique_ptr<TCalcForm> m_calcForm;
    std::unique_ptr<TNoticeForm> m_noticeForm;
    std::unique_ptr<TNotParolForm> m_notParolForm;
    std::unique_ptr<TBaseLocation> m_location;
    std::unique_ptr<TSettingsForm> m_settingsForm;
    std::unique_ptr<TProblemsForm> m_problemsForm;
    TArhiveCommands* m_arhive = nullptr;
    // After the bases of another folder were opened, the next log-in opens its base afresh.
    bool m_reopenBase = false;
    // A table that could not be read is answered, once, by the offer of a daily copy.
    bool m_damageOffered = false;
};

TWindows::TWindows(TSession& session, TAppContext& context)
    : m_session(session), m_context(context), m_state(session.state),
      m_userForm(std::make_unique<TUserForm>(session.login)),
      m_mainForm(std::make_unique<TQuorvaneForm>(context)), m_helperForm(std::make_unique<THelperForm>()),
      m_filterForm(std::make_unique<TFilterForm>()), m_calcForm(std::make_unique<TCalcForm>()),
      m_noticeForm(std::make_unique<TNoticeForm>(session.state.paths.programFolder)),
      m_notParolForm(std::make_unique<TNotParolForm>(session.firstRun)) {
    m_location = std::make_unique<TBaseLocation>(m_state, m_context.filters, LocationHooks());
    m_settingsForm = std::make_unique<TSettingsForm>(*m_location, m_state.paths);
    m_problemsForm = std::make_unique<TProblemsForm>(
        [this] { return RunDiagnostics(m_session.attributes, m_state.paths.dataRoot, m_state.baseFolder); });
    m_userForm->SetFirstRunForm(m_notParolForm.get());
    m_userForm->SetBasesSession(&m_context.bases);
    m_mainForm->SetHelperForm(m_helperForm.get());
    m_mainForm->SetUserForm(m_userForm.get());
    m_arhive = new TArhiveCommands(m_context, *m_mainForm, *m_mainForm->Menu());
    m_arhive->SetUserForm(m_userForm.get());
    QObject::connect(m_userForm.get(), &TUserForm::LoggedIn, m_mainForm.get(), [this] { AfterLogIn(); });
    m_mainForm->SetCalculator(m_calcForm.get());
    m_mainForm->SetFilterForm(m_filterForm.get());
    m_mainForm->SetNotice(m_noticeForm.get());
    LinkMenuAndClose();
}

TBaseLocationHooks TWindows::LocationHooks() {
    TBaseLocationHooks hooks;
    hooks.saveAll = [this] { return m_mainForm->SaveAll(); };
    hooks.filterToNone = [this] { m_context.filters.ChooseFilter(filtertype::None); };
    hooks.showLoginForBases = [this] {
        m_reopenBase = true;
        m_userForm->ShowLockedForLogin();
    };
    hooks.showFirstSection = [this] { m_mainForm->SwitchSection(TQuorvaneForm::Rashod); };
    RequireLink(hooks.saveAll && hooks.filterToNone && hooks.showLoginForBases && hooks.showFirstSection,
                "base location -> windows");
    return hooks;
}

void TWindows::LinkMenuAndClose() {
    QObject::connect(m_mainForm->Menu()->Item(QStringLiteral("SettingMenu")), &QAction::triggered,
                     m_settingsForm.get(), [this] { m_settingsForm->ShowOver(m_mainForm.get()); });
    QObject::connect(m_mainForm->Menu()->Item(QStringLiteral("ErrorAtributesBaseMenu")), &QAction::triggered,
                     m_problemsForm.get(), [this] { m_problemsForm->ShowOver(m_mainForm.get()); });
    m_mainForm->onClosed = [this] {
        m_arhive->WriteDaily(QDate::currentDate());
        // Only now, with everything written, may another program have the base.
        LeaveOpenBase(m_state);
        m_userForm->done(QDialog::Accepted);
    };
}

void TWindows::AfterLogIn() {
    m_mainForm->SetUserCaption(m_state.userName);
    // Maximized; a desktop without a window manager does not do it by itself.
    m_mainForm->setGeometry(m_mainForm->screen()->availableGeometry());
    m_mainForm->showMaximized();
    m_mainForm->activateWindow();
    // The base opens here, once the window is up, and only here: the window's activation comes at no
    // fixed time (without a window manager only with the first key), and a base read again then would
    // drop what was not yet saved and tell of its damage a second time.
    QTimer::singleShot(0, m_mainForm.get(), [this] {
        if (!m_mainForm->BaseOpen() || m_reopenBase) {
            m_reopenBase = false;
            m_mainForm->OpenBase();
        }
        if (m_session.login.EarlierBasesPending()) m_session.login.AfterMainWindowFirstShown();
        // A base another program has open is that program's to restore.
        if (m_state.damaged && !m_damageOffered && MayChangeBase(m_state)) {
            m_damageOffered = true;
            m_arhive->OfferAfterDamage();
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    // A statement read for a script: no lock, no base, no window, no display.
    if (argc >= 2 && qstrcmp(argv[1], "--import-preview") == 0)
        return RunImportPreview(argc >= 3 ? QFile::decodeName(argv[2]) : QString(), stdout, stderr);

    // Dates and numbers use the program's own Russian forms whatever the desktop's locale is.
    UseRussianLocale();

    TStartLocks locks;
    if (!locks.TakeInstanceLock(ProgramFile(argv[0]))) return 0;

    QApplication app(argc, argv);
    UseUtf8CharacterType();
    LoadQtTranslations(app);
    app.setApplicationName(QStringLiteral("Vellumora"));
    app.setQuitOnLastWindowClosed(false);
    QFont font(QStringLiteral("DejaVu Sans"), 9);
    app.setFont(font);
    TWidgetPresenter presenter;
    Messages().SetPresenter(&presenter);

    // The logic objects, wired to each other before any window exists.
    TSession session;
    TAppContext context(session);
    TMyType& state = session.state;
    state.paths.programFolder = QCoreApplication::applicationDirPath();
    state.paths.programDataFolder = ProgramDataFolder();
    if (!locks.TakeAccessLock(state.paths.programDataFolder)) {
        locks.Release();
        return 0;
    }
    CheckProgramFolder(state.paths.programFolder, [](const QString& file) { return !QImage(file).isNull(); });

    TWindows windows(session, context);
    QObject::connect(&windows.UserForm(), &QDialog::finished, &app, &QCoreApplication::quit);
    windows.UserForm().ShowForLogin();
    windows.UserForm().show();
    app.exec();

    Messages().SetPresenter(nullptr);
    LeaveOpenBase(state);
    locks.Release();
    return 0;
}
