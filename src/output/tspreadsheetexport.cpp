#include "output/tspreadsheetexport.h"

#include "ledger/basechanges.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "output/desktopopen.h"
#include "output/exporttable.h"
#include "output/odspackage.h"
#include "output/rowfile.h"
#include "output/templatelist.h"
#include "output/toolprocess.h"
#include "output/unloadjob.h"
#include "storage/scrambledtext.h"
#include "storage/tmemtable.h"
#include "storage/tmessageboxclass.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QTemporaryDir>
#include <QTime>
#include <QTimer>

#include <utility>

namespace {

// "NewUnloaded/vellumora-ods": the tool's place in the program folder.
QString ToolRelativePath() {
    return Unscramble({167, 251, 186, 1,  115, 92,  182, 153, 245, 211, 15, 191, 83,
                       191, 131, 238, 62, 19,  114, 84,  190, 79,  230, 46, 20});
}

// The process name is what follows the tool's folder.
QString ToolName() {
    const QString path = ToolRelativePath();
    return path.mid(path.indexOf(QLatin1Char('/')) + 1);
}

QString ToolFolderName() {
    const QString path = ToolRelativePath();
    return path.left(path.indexOf(QLatin1Char('/')));
}

const QString kNotDone = QStringLiteral("Выгрузка не выполнена");

// The spreadsheet's path without its extension, in a new folder of its own so that no earlier file
// stands in the way. Empty when the folder cannot be made.
QString NewSaveFileName(const QString& caption) {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/Quorvane-XXXXXX"));
    if (!dir.isValid()) return {};
    dir.setAutoRemove(false);
    // The time as the long time form "H:mm:ss" gives it, with the colons a file name cannot hold
    // on every system replaced.
    const QString time = QTime::currentTime().toString(QStringLiteral("H:mm:ss")).replace(u':', u'-');
    return dir.path() + QStringLiteral("/Quorvane_") + caption + u'_' +
           Today().toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral("_Time") + time;
}

// Only the part of each row the captions name goes into the spreadsheet.
std::vector<QStringList> Trimmed(const std::vector<QStringList>& rows, int columns) {
    std::vector<QStringList> out;
    out.reserve(rows.size());
    for (QStringList row : rows) {
        if (row.size() > columns) row.resize(columns);
        out.push_back(std::move(row));
    }
    return out;
}

} // namespace

TSpreadsheetExport::TSpreadsheetExport(TMyType& state, int watchIntervalMs, QObject* parent)
    : QObject(parent), m_state(state), m_watchInterval(watchIntervalMs) {}

TSpreadsheetExport::~TSpreadsheetExport() = default;

QString TSpreadsheetExport::ToolPath() const {
    return QDir(m_state.paths.programFolder).filePath(ToolRelativePath());
}

QString TSpreadsheetExport::ToolFolder() const {
    return QDir(m_state.paths.programFolder).filePath(ToolFolderName());
}

bool TSpreadsheetExport::WatchArmed() const {
    return m_watch && m_watch->isActive();
}

TExportOutcome TSpreadsheetExport::ExportGrid(const TDataGrid& grid, const QRect& window) {
    const std::optional<TExportTable> table = GridExport(m_state, grid);
    if (!table) {
        Messages().ShowInfo({QStringLiteral("Выгрузка не выполнена. Таблица пуста")});
        return TExportOutcome::Empty;
    }
    return Run(*table, true, window);
}

TExportOutcome TSpreadsheetExport::ExportAnalysis(const TAnalysis& analysis,
                                                  const TAnalysisSettings& settings, const QRect& window) {
    return Run(AnalysisExport(analysis, settings), true, window);
}

TExportOutcome TSpreadsheetExport::ExportKinds(const TDataVidGrid& list, const QRect& window) {
    const std::optional<TExportTable> table = KindsExport(list);
    if (!table) {
        Messages().ShowInfo({QStringLiteral("Выгрузка не выполнена. Таблица пуста")});
        return TExportOutcome::Empty;
    }
    return Run(*table, false, window);
}

void TSpreadsheetExport::SaveNextAs(const QString& fileName) {
    m_saveAs = fileName;
    if (m_saveAs.endsWith(QStringLiteral(".ods"), Qt::CaseInsensitive)) m_saveAs.chop(4);
}

TExportOutcome TSpreadsheetExport::Run(const TExportTable& table, bool probeLock, const QRect& window) {
    // A name chosen for this export only, whatever becomes of it.
    const QString saveAs = std::exchange(m_saveAs, QString());
    // Nothing is stopped or written while the files cannot be handed over at all.
    const TUnloadFolder jobFolder = ResolveUnloadFolder();
    if (!jobFolder.Usable()) {
        Messages().ShowError({QStringLiteral("Выгрузка не выполнена: папка для файлов выгрузки недоступна."),
                              QStringLiteral("Папка: ") + QDir::toNativeSeparators(jobFolder.path),
                              QStringLiteral("Причина: ") + jobFolder.reason});
        return TExportOutcome::NoJobFolder;
    }
    const QString folder = ToolFolder();
    if (probeLock) {
        QDir().mkpath(folder);
        if (!LockFileFree(QDir(folder).filePath(ToolLockName()))) {
            Messages().ShowError(
                {QStringLiteral("Отказано в доступе."),
                 QStringLiteral(
                     "Возможно существует незавершенная выгрузка или программа выгрузки недоступна."),
                 QStringLiteral("проверьте настройки безопасности для папки \"") +
                     QDir::toNativeSeparators(folder) + QStringLiteral("\" у текущего пользователя.")});
            return TExportOutcome::Refused;
        }
    }
    TerminateProcesses(ToolPath(), ToolName());

    // A base open read-only keeps its folder as it is.
    if (!m_state.baseFolder.isEmpty() && MayChangeBase(m_state)) {
        TMemTable copy;
        for (const QStringList& row : table.rows)
            copy.AddRow()->SetCells(row);
        // Like every table file but the base's own, a copy that cannot be written is not reported.
        copy.SaveToFile(QDir(m_state.baseFolder).filePath(QStringLiteral("path_excel")));
    }

    // A job the tool cannot read whole would give a wrong spreadsheet or none: the tool is not
    // started on it.
    TUnloadJob job;
    job.saveFileName = saveAs.isEmpty() ? NewSaveFileName(table.fileCaption) : saveAs;
    job.rowFilePath = RowFilePath();
    job.columnNames = table.captions;
    job.sumColumn = table.sumColumn;
    job.percent = table.percent;
    job.totalSum = table.totalSum;
    job.number = table.number;
    job.window = window;
    if (job.saveFileName.isEmpty() || job.rowFilePath.isEmpty() ||
        !WriteRowFile(job.rowFilePath, table.rows, int(table.captions.size())) ||
        !WriteJobFile(JobFilePath(), job)) {
        Messages().ShowInfo({kNotDone});
        return TExportOutcome::NotWritten;
    }

    // A note from an earlier export must not pass for this one's.
    m_oldNoteStamp = QFileInfo(SuccessNotePath()).lastModified();
    m_sheet = job.saveFileName + QStringLiteral(".ods");
    if (!m_watch) {
        m_watch = new QTimer(this);
        connect(m_watch, &QTimer::timeout, this, &TSpreadsheetExport::WatchFired);
        m_noteWatch = new QFileSystemWatcher(this);
        connect(m_noteWatch, &QFileSystemWatcher::directoryChanged, this, &TSpreadsheetExport::NoteChanged);
    }
    m_watch->start(m_watchInterval);
    // The note is written beside itself and renamed into place: its folder changes.
    if (!m_noteWatch->directories().contains(jobFolder.path)) m_noteWatch->addPath(jobFolder.path);

    const QString tool = ToolPath();
    if (QFileInfo(tool).isFile() && QProcess::startDetached(tool, {}, folder))
        return TExportOutcome::ToolStarted;
    Disarm();
    return Fallback(table, job.saveFileName);
}

void TSpreadsheetExport::Disarm() {
    TerminateProcesses(ToolPath(), ToolName());
    if (m_watch) m_watch->stop();
}

bool TSpreadsheetExport::FreshSuccess() const {
    const QFileInfo note(SuccessNotePath());
    const bool fresh = note.exists() && (!m_oldNoteStamp.isValid() || note.lastModified() > m_oldNoteStamp);
    return fresh && ReadSuccessNote(note.filePath());
}

void TSpreadsheetExport::NoteChanged() {
    if (!WatchArmed() || !FreshSuccess()) return;
    m_watch->stop();
    if (!ReadOpenedNote(SuccessNotePath())) TellNotOpened(m_sheet);
}

void TSpreadsheetExport::WatchFired() {
    if (FreshSuccess()) {
        m_watch->stop();
        if (!ReadOpenedNote(SuccessNotePath())) TellNotOpened(m_sheet);
        return;
    }
    const int stopped = TerminateProcesses(ToolPath(), ToolName());
    m_watch->stop();
    if (stopped > 0)
        Messages().ShowInfo({QStringLiteral("Истек период ожидания."),
                             QStringLiteral("Выгрузка не выполнена."),
                             QStringLiteral("Процесс остановлен.")});
}

bool TSpreadsheetExport::Open(const QString& path) const {
    return open ? open(path) : OpenWithDesktop(path);
}

// Saved, but nothing here shows it: the family must still find the file.
void TSpreadsheetExport::TellNotOpened(const QString& sheet) {
    const QString folder = QFileInfo(sheet).absolutePath();
    if (!Messages().ShowInfoWithAction(
            {QStringLiteral("Vellumora не нашла на данном компьютере"),
             QStringLiteral("программу обработки электронных таблиц"),
             QStringLiteral("Таблица сохранена: ") + QDir::toNativeSeparators(sheet)},
            QStringLiteral("Открыть папку")))
        return;
    if (!Open(folder))
        Messages().ShowInfo({QStringLiteral("Ошибка при открытии"), QDir::toNativeSeparators(folder)});
}

TExportOutcome TSpreadsheetExport::Fallback(const TExportTable& table, const QString& saveFileName) {
    emit busyStarted(QStringLiteral("Идет выгрузка данных. Это может занять некоторое время. Подождите..."));
    const QString path = saveFileName + QStringLiteral(".ods");
    QString error;
    TExportOutcome outcome = TExportOutcome::FallbackOpened;
    const int columns = int(table.captions.size());
    if (!WritePlainSpreadsheet(path, table.captions, Trimmed(table.rows, columns),
                               SheetColumns(table.number, table.sumColumn, columns), error))
        outcome = TExportOutcome::FallbackNotWritten;
    else if (!Open(path))
        outcome = TExportOutcome::FallbackNotOpened;
    emit busyEnded();
    if (outcome == TExportOutcome::FallbackNotWritten)
        Messages().ShowInfo({QStringLiteral("Ошибка выгрузки")});
    if (outcome == TExportOutcome::FallbackNotOpened) TellNotOpened(path);
    return outcome;
}
