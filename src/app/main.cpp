#include "app/startup.h"
#include "session/requirelink.h"
#include "storage/datafolders.h"
#include "storage/tmessageboxclass.h"
#include "storage/tstartlocks.h"
#include "ui/tappcontext.h"
#include "ui/tarhivecommands.h"
#include "ui/tcalcform.h"
#include "ui/tfilterform.h"
#include "ui/tmenuclass.h"
#include "ui/thelperform.h"
#include "ui/tnoticeform.h"
#include "ui/tnotparolform.h"
#include "ui/tproblemsform.h"
#include "ui/tquorvaneform.h"
#include "ui/tsettingsform.h"
#include "ui/tuserform.h"
#include "ui/twidgetpresenter.h"
#include "users/tbaselocation.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QLocale>
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

} // namespace

int main(int argc, char** argv) {
    // Dates and numbers use the program's own Russian forms whatever the desktop's locale is.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    TStartLocks locks;
    if (!locks.TakeInstanceLock(ProgramFile(argv[0])))
        return 0;

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

    TFirstRunLogic& firstRunLogic = session.firstRun;
    TLoginLogic& loginLogic = session.login;

    // Every window is made once, in this order, and afterwards only shown and hidden.
    auto userForm = std::make_unique<TUserForm>(loginLogic);
    auto mainForm = std::make_unique<TQuorvaneForm>(context);
    auto helperForm = std::make_unique<THelperForm>();
    auto filterForm = std::make_unique<TFilterForm>();
    auto calcForm = std::make_unique<TCalcForm>();
    auto noticeForm = std::make_unique<TNoticeForm>(state.paths.programFolder);
    auto notParolForm = std::make_unique<TNotParolForm>(firstRunLogic);
    // After the bases of another folder were opened, the next log-in opens its base afresh.
    bool reopenBase = false;
    TBaseLocationHooks locationHooks;
    locationHooks.saveAll = [&] { return mainForm->SaveAll(); };
    locationHooks.filterToNone = [&context] { context.filters.ChooseFilter(filtertype::None); };
    locationHooks.showLoginForBases = [&] {
        reopenBase = true;
        userForm->ShowLockedForLogin();
    };
    locationHooks.showFirstSection = [&] { mainForm->SwitchSection(TQuorvaneForm::Rashod); };
    RequireLink(locationHooks.saveAll && locationHooks.filterToNone && locationHooks.showLoginForBases &&
                    locationHooks.showFirstSection,
                "base location -> windows");
    TBaseLocation location(state, context.filters, locationHooks);
    auto settingsForm = std::make_unique<TSettingsForm>(location, state.paths);
    auto problemsForm = std::make_unique<TProblemsForm>(
        [&] { return RunDiagnostics(session.attributes, state.paths.dataRoot, state.baseFolder); });
    userForm->SetFirstRunForm(notParolForm.get());
    userForm->SetBasesSession(&context.bases);
    mainForm->SetHelperForm(helperForm.get());
    mainForm->SetUserForm(userForm.get());
    auto* arhive = new TArhiveCommands(context, *mainForm, *mainForm->Menu());
    arhive->SetUserForm(userForm.get());
    // A table that could not be read is answered, once, by the offer of a daily copy.
    bool damageOffered = false;

    QObject::connect(userForm.get(), &TUserForm::LoggedIn, mainForm.get(), [&] {
        mainForm->SetUserCaption(state.userName);
        // Maximized; a desktop without a window manager does not do it by itself.
        mainForm->setGeometry(mainForm->screen()->availableGeometry());
        mainForm->showMaximized();
        mainForm->activateWindow();
        // The base opens here, once the window is up, and only here: the window's activation comes at no
        // fixed time (without a window manager only with the first key), and a base read again then
        // would drop what was not yet saved and tell of its damage a second time.
        QTimer::singleShot(0, mainForm.get(), [&] {
            if (!mainForm->BaseOpen() || reopenBase) {
                reopenBase = false;
                mainForm->OpenBase();
            }
            if (loginLogic.EarlierBasesPending())
                loginLogic.AfterMainWindowFirstShown();
            if (state.damaged && !damageOffered) {
                damageOffered = true;
                arhive->OfferAfterDamage();
            }
        });
    });
    mainForm->SetCalculator(calcForm.get());
    mainForm->SetFilterForm(filterForm.get());
    mainForm->SetNotice(noticeForm.get());
    QObject::connect(mainForm->Menu()->Item(QStringLiteral("SettingMenu")), &QAction::triggered, settingsForm.get(),
                     [&] { settingsForm->ShowOver(mainForm.get()); });
    QObject::connect(mainForm->Menu()->Item(QStringLiteral("ErrorAtributesBaseMenu")), &QAction::triggered,
                     problemsForm.get(), [&] { problemsForm->ShowOver(mainForm.get()); });
    mainForm->onClosed = [&] {
        arhive->WriteDaily(QDate::currentDate());
        userForm->done(QDialog::Accepted);
    };
    QObject::connect(userForm.get(), &QDialog::finished, &app, &QCoreApplication::quit);
    userForm->ShowForLogin();
    userForm->show();
    app.exec();

    Messages().SetPresenter(nullptr);
    locks.Release();
    return 0;
}
