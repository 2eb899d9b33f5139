#pragma once

#include <QDateTime>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>

class QFileSystemWatcher;
class QTimer;
class TAnalysis;
class TDataGrid;
class TDataVidGrid;
class TMyType;
struct TAnalysisSettings;
struct TExportTable;

// How one export command ended.
enum class TExportOutcome {
    Empty, // the grid has no table: "Выгрузка не выполнена. Таблица пуста"
    NoJobFolder, // the job folder cannot be used: its path and the reason are told
    Refused,     // the tool's lock is held or cannot be opened: "Отказано в доступе."
    NotWritten, // the row file or the job file could not be written: "Выгрузка не выполнена"
    ToolStarted,        // the tool runs; the watch waits for its success note
    FallbackOpened,     // no tool: the program wrote the spreadsheet itself and opened it
    FallbackNotOpened,  // written, but nothing opens it: where it went is told
    FallbackNotWritten, // "Ошибка выгрузки"
};

// The command "Выгрузить в электронную таблицу": writes the table on show for the export tool, starts
// the tool and watches for its success note; fills a spreadsheet itself when the tool is missing or
// does not start. A spreadsheet that nothing on the desktop opens is told with its path and a button
// that opens its folder, whichever of the two wrote it. One object for the whole run.
class TSpreadsheetExport : public QObject {
    Q_OBJECT
public:
    static constexpr int kWatchInterval = 100000; // milliseconds

    explicit TSpreadsheetExport(TMyType& state, int watchIntervalMs = kWatchInterval,
                                QObject* parent = nullptr);
    ~TSpreadsheetExport() override;

    // `window` is the main window's place and size, handed to the tool.
    TExportOutcome ExportGrid(const TDataGrid& grid, const QRect& window);
    TExportOutcome ExportAnalysis(const TAnalysis& analysis, const TAnalysisSettings& settings,
                                  const QRect& window);
    TExportOutcome ExportKinds(const TDataVidGrid& list, const QRect& window);

    // The next export saves its spreadsheet under this name (".ods" is added) instead of a new one in
    // the temp folder.
    void SaveNextAs(const QString& fileName);

    bool WatchArmed() const;
    // Opens a file or a folder with the desktop's application; tests answer it here. Empty: the
    // desktop's own.
    std::function<bool(const QString& path)> open;
    // The tool in the program folder, and the folder holding it and its lock.
    QString ToolPath() const;
    QString ToolFolder() const;

signals:
    // The window is disabled and shows the panel text while the program fills a spreadsheet itself.
    void busyStarted(const QString& panelText);
    void busyEnded();

private:
    TExportOutcome Run(const TExportTable& table, bool probeLock, const QRect& window);
    TExportOutcome Fallback(const TExportTable& table, const QString& saveFileName);
    void WatchFired();
    // The tool's note, read as soon as it changes: a success ends the watch.
    void NoteChanged();
    bool FreshSuccess() const;
    void Disarm();
    bool Open(const QString& path) const;
    void TellNotOpened(const QString& sheet);

    TMyType& m_state;
    QTimer* m_watch = nullptr;
    QFileSystemWatcher* m_noteWatch = nullptr;
    // The spreadsheet the running tool saves.
    QString m_sheet;
    int m_watchInterval;
    // The success note as it was when the running export started: a note not newer than this
    // belongs to an earlier export.
    QDateTime m_oldNoteStamp;
    QString m_saveAs;
};
