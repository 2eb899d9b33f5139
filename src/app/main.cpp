#include "storage/datafolders.h"
#include "storage/tmessageboxclass.h"
#include "storage/tprogrampaths.h"
#include "storage/tstartlocks.h"
#include "ui/tcalcform.h"
#include "ui/tfilterform.h"
#include "ui/thelperform.h"
#include "ui/tnoticeform.h"
#include "ui/tnotparolform.h"
#include "ui/tproblemsform.h"
#include "ui/tquorvaneform.h"
#include "ui/tsettingsform.h"
#include "ui/tuserform.h"
#include "ui/twidgetpresenter.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QLocale>

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
    app.setApplicationName(QStringLiteral("Vellumora"));
    app.setQuitOnLastWindowClosed(false);
    TWidgetPresenter presenter;
    Messages().SetPresenter(&presenter);

    TProgramPaths paths;
    paths.programFolder = QCoreApplication::applicationDirPath();
    paths.programDataFolder = ProgramDataFolder();
    if (!locks.TakeAccessLock(paths.programDataFolder)) {
        locks.Release();
        return 0;
    }
    CheckProgramFolder(paths.programFolder, [](const QString& file) { return !QImage(file).isNull(); });

    // Every window is made once, in this order, and afterwards only shown and hidden.
    auto userForm = std::make_unique<TUserForm>(paths);
    auto mainForm = std::make_unique<TQuorvaneForm>();
    auto helperForm = std::make_unique<THelperForm>();
    auto filterForm = std::make_unique<TFilterForm>();
    auto calcForm = std::make_unique<TCalcForm>();
    auto noticeForm = std::make_unique<TNoticeForm>();
    auto notParolForm = std::make_unique<TNotParolForm>();
    auto settingsForm = std::make_unique<TSettingsForm>();
    auto problemsForm = std::make_unique<TProblemsForm>();

    QObject::connect(userForm.get(), &QDialog::finished, &app, &QCoreApplication::quit);
    userForm->show();
    const int code = app.exec();

    Messages().SetPresenter(nullptr);
    locks.Release();
    Q_UNUSED(code);
    return 0;
}
