#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

// Drives the real program the way a person does: a virtual display, keys typed with xdotool,
// windows found by their captions, and a private home with its own data folder. Nothing waits a fixed
// time: every wait polls for what it waits for and gives up after a timeout.
class TVirtualDisplay {
public:
    TVirtualDisplay();
    ~TVirtualDisplay();
    // Up once the server answers on its display.
    bool IsUp() const { return !m_display.isEmpty(); }
    const QString& Name() const { return m_display; }
    qint64 ServerPid() const { return m_xvfb.processId(); }

private:
    QProcess m_xvfb;
    QString m_display;
};

class TE2EProgram {
public:
    // home: the folder used as HOME; XDG_DATA_HOME is its "share".
    TE2EProgram(const TVirtualDisplay& display, const QString& home, const QString& program = QString());
    ~TE2EProgram();

    bool Start();
    // Waits for a visible window whose caption matches the regular expression; returns its id.
    QString WaitWindow(const QString& captionRegex, int timeoutMs = 30000);
    bool WaitGone(const QString& captionRegex, int timeoutMs = 30000);
    bool WaitExit(int timeoutMs = 30000);
    // The window's id gone from the visible windows of that caption (another of the same caption may
    // have come in its place).
    bool WaitClosed(const QString& windowId, const QString& captionRegex, int timeoutMs = 30000);
    // Waits until the program and the display server have been idle together for a moment: the input
    // sent before has been handled, and what it opened (a dialog, a popup list, a folder read by a
    // file dialog) is up and painted. A failure is added when that does not come within the timeout.
    bool WaitIdle(int timeoutMs = 20000);
    // Gives the window the keyboard and presses the keys (xdotool key names such as "Return", "F10"),
    // each handled before the next: a key may open the popup or the dialog that takes the next one.
    void Keys(const QString& windowId, const QStringList& keys);
    void Type(const QString& windowId, const QString& text);
    // The same to whatever has the keyboard now: a popup list, an editor, a dialog.
    void Press(const QStringList& keys);
    void TypeHere(const QString& text);
    // A left click at a point of the window (its own coordinates), handled before this returns.
    void Click(const QString& windowId, int x, int y);
    // The first start on an empty data folder: the new user's name typed into the log-in dialog, no
    // password. Returns the main window, or nothing when it did not come.
    QString LogInAsFirstUser(const QString& name);
    // A later start: the log-in dialog offers the last user, who has no password. Returns the main
    // window, or nothing when it did not come.
    QString LogInAsLastUser(const QString& name);
    // The same when the log-in meets one box before the main window (a question or a notice): the box
    // is answered with Return, screenshot first into shotPath when one is given. Returns the main window
    // whose caption matches, or nothing when it did not come.
    QString LogInAsLastUserPastABox(const QString& boxCaptionRegex, const QString& mainCaptionRegex,
                                    const QString& shotPath = QString());
    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
    int ExitCode() const { return m_process.exitCode(); }
    qint64 Pid() const { return m_process.processId(); }
    void Kill();
    QString Screenshot(const QString& path) const;
    QString DataFolder() const { return m_home + QStringLiteral("/share/Quorvane"); }
    // The program's temp folder (TMPDIR), private to the test.
    QString TempFolder() const { return m_home + QStringLiteral("/tmp"); }
    // The files the program or a program it started asked the desktop to open, oldest first.
    QStringList OpenedFiles() const;
    // The desktop has an application only for these types (as xdg-mime answers): files of any other
    // type it cannot open. Without a call the system's own associations hold.
    bool DesktopOpensOnly(const QStringList& mimeTypes) const;
    QString Output() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

    static QString ProgramPath();
    QString Xdotool(const QStringList& args, int* exitCode = nullptr) const;

private:
    QString MainWindowOf(const QString& name);
    QString MainWindowAt(const QString& captionRegex);
    QString NotLoggedIn(const char* what);
    QProcessEnvironment Environment() const;

    QString m_display;
    qint64 m_serverPid;
    QString m_home;
    QString m_program;
    QProcess m_process;
};

// The tools the end-to-end tests need; a test is skipped when they are missing.
bool HaveE2ETools();

// Polls until done() holds; false when the time ran out first.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000);
bool WaitFile(const QString& path, int timeoutMs = 30000);

// The rows of a table file the program wrote, each as its cells, read by the tests' own reader. A
// file that is missing or not whole gives its rows read so far and a last row that says why.
std::vector<QStringList> TableRows(const QString& path);

// The day's date as the program writes it, "dd.MM.yyyy".
QString Today(int plusDays = 0);
// The first expense of the open base from the kinds picker, with a sum.
void TypeExpense(TE2EProgram& program, const QString& window, const QString& sum);
// Two expenses of the first kind, its first two names from the kinds picker: 120 and 30.
void TypeTwoExpenses(TE2EProgram& program, const QString& window);
// F10 and "Выйти из программы?" answered; true when the program then ended.
bool Quit(TE2EProgram& program, const QString& window);
// A screenshot kept where VELLUMORA_KEEP_SCREENSHOTS points, when it is set.
void KeepScreenshot(const QString& from, const QString& name);
// A table file written as the program would find it, its folders made.
void WriteTable(const QString& path, const std::vector<QStringList>& rows);

// A test of its own virtual display and private home; skipped where the tools are missing.
class TE2ETest : public ::testing::Test {
protected:
    void SetUp() override;
    // The program started and its log-in passed: the first user typed into an empty data folder, or
    // the last user offered by a later start. The main window, or nothing.
    QString FirstStart(TE2EProgram& program, const QString& name = QStringLiteral("Мама"));
    QString NextStart(TE2EProgram& program, const QString& name = QStringLiteral("Мама"));
    // A later start of the last user past one box (LogInAsLastUserPastABox); the box's screenshot is kept
    // as shotName when one is given.
    QString NextStartPastABox(TE2EProgram& program, const QString& boxCaptionRegex,
                              const QString& mainCaptionRegex, const QString& shotName = QString());
    // The first start with one expense typed (TypeExpense): the main window, or nothing.
    QString FirstStartWithAnExpense(TE2EProgram& program, const QString& sum);
    // A whole first run: the start, one expense of this sum, and the end of the program.
    void RunOnceWithAnExpense(const QString& sum);
    // The row that expense is stored as: typed today by the first user, from the first purse.
    static QStringList ExpenseRow(const QString& sum);
    // The data root's BASE folder.
    QString Bases() const { return home.path() + QStringLiteral("/share/Quorvane/BASE"); }

    TVirtualDisplay display;
    QTemporaryDir home;
};
