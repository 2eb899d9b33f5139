#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Drives the real program the way a person does: a virtual display, keys typed with xdotool,
// windows found by their captions, and a private home with its own data folder.
class TVirtualDisplay {
public:
    TVirtualDisplay();
    ~TVirtualDisplay();
    bool IsUp() const { return !m_display.isEmpty(); }
    const QString& Name() const { return m_display; }

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
    // Gives the window the keyboard and presses the keys (xdotool key names such as "Return", "F10").
    void Keys(const QString& windowId, const QStringList& keys);
    void Type(const QString& windowId, const QString& text);
    // The first start on an empty data folder: the new user's name typed into the log-in dialog, no
    // password. Returns the main window, or nothing when it did not come.
    QString LogInAsFirstUser(const QString& name);
    // A later start: the log-in dialog offers the last user, who has no password. Returns the main
    // window, or nothing when it did not come.
    QString LogInAsLastUser(const QString& name);
    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
    int ExitCode() const { return m_process.exitCode(); }
    qint64 Pid() const { return m_process.processId(); }
    void Kill();
    QString Screenshot(const QString& path) const;
    QString DataFolder() const { return m_home + QStringLiteral("/share/Quorvane"); }
    QString Output() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

    static QString ProgramPath();
    QString Xdotool(const QStringList& args, int* exitCode = nullptr) const;

private:
    QProcessEnvironment Environment() const;

    QString m_display;
    QString m_home;
    QString m_program;
    QProcess m_process;
};

// The tools the end-to-end tests need; a test is skipped when they are missing.
bool HaveE2ETools();

// The rows of a table file the program wrote, each as its cells.
std::vector<QStringList> TableRows(const QString& path);
void Pause(int ms);

// The day's date as the program writes it, "dd.MM.yyyy".
QString Today(int plusDays = 0);
// One key at a time with room between them: a choice list opens its popup after the key before.
void SlowKeys(TE2EProgram& program, const QString& window, const QStringList& keys);
// The first expense of the open base from the kinds picker, with a sum.
void TypeExpense(TE2EProgram& program, const QString& window, const QString& sum);
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
    // The data root's BASE folder.
    QString Bases() const { return home.path() + QStringLiteral("/share/Quorvane/BASE"); }

    TVirtualDisplay display;
    QTemporaryDir home;
};
