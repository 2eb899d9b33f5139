#include "e2edriver.h"

#include "storage/atomicfile.h"
#include "storage/tmemtable.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

void Pause(int ms) { QThread::msleep(ulong(ms)); }

QString Today(int plusDays) { return QDate::currentDate().addDays(plusDays).toString(QStringLiteral("dd.MM.yyyy")); }

void SlowKeys(TE2EProgram& program, const QString& window, const QStringList& keys) {
    for (const QString& k : keys) {
        program.Keys(window, {k});
        Pause(400);
    }
}

void TypeExpense(TE2EProgram& program, const QString& window, const QString& sum) {
    SlowKeys(program, window, {QStringLiteral("Right"), QStringLiteral("Return"), QStringLiteral("Return")});
    program.Type(window, sum);
    SlowKeys(program, window, {QStringLiteral("Return"), QStringLiteral("Return"), QStringLiteral("Escape")});
}

bool Quit(TE2EProgram& program, const QString& window) {
    program.Keys(window, {QStringLiteral("F10")});
    const QString question = program.WaitWindow(QStringLiteral("^   Подтвердите$"));
    if (question.isEmpty())
        return false;
    program.Keys(question, {QStringLiteral("Return")});
    return program.WaitExit(15000);
}

void KeepScreenshot(const QString& from, const QString& name) {
    if (!qEnvironmentVariableIsEmpty("VELLUMORA_KEEP_SCREENSHOTS"))
        QFile::copy(from, qEnvironmentVariable("VELLUMORA_KEEP_SCREENSHOTS") + QLatin1Char('/') + name);
}

void WriteTable(const QString& path, const std::vector<QStringList>& rows) {
    TMemTable t;
    for (const QStringList& r : rows)
        t.AddRow()->SetCells(r);
    MakePrivateFolder(path.left(path.lastIndexOf(QLatin1Char('/'))));
    ASSERT_TRUE(t.SaveToFile(path)) << path.toStdString();
}

void TE2ETest::SetUp() {
    if (!HaveE2ETools())
        GTEST_SKIP() << "Xvfb and xdotool are needed";
    ASSERT_TRUE(display.IsUp());
}

QString TE2ETest::FirstStart(TE2EProgram& program, const QString& name) {
    if (!program.Start())
        return QString();
    const QString main = program.LogInAsFirstUser(name);
    EXPECT_FALSE(main.isEmpty()) << program.Output().toStdString();
    return main;
}

QString TE2ETest::NextStart(TE2EProgram& program, const QString& name) {
    if (!program.Start())
        return QString();
    const QString main = program.LogInAsLastUser(name);
    EXPECT_FALSE(main.isEmpty()) << program.Output().toStdString();
    return main;
}

std::vector<QStringList> TableRows(const QString& path) {
    TMemTable t;
    std::vector<QStringList> out;
    if (!t.LoadFromFile(path))
        out.push_back({QStringLiteral("(the file cannot be read)")});
    for (int i = 0; i < t.RowCount(); ++i)
        out.push_back(t.Row(i)->Cells());
    return out;
}

bool HaveE2ETools() {
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

// The server runs with -noreset: a reset when its last client goes (a killed program, say) can
// bring the virtual server down.
TVirtualDisplay::TVirtualDisplay() {
    for (int n = 150; n < 250; ++n) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        const QString name = QStringLiteral(":%1").arg(n);
        m_xvfb.start(QStringLiteral("Xvfb"), {name, QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                              QStringLiteral("-noreset")});
        if (!m_xvfb.waitForStarted(5000))
            return;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000 && m_xvfb.state() == QProcess::Running) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                m_display = name;
                Pause(200);
                return;
            }
            // Returns at once when the server gave up (the display is taken by a server this folder
            // cannot see, say).
            m_xvfb.waitForFinished(50);
        }
        m_xvfb.kill();
        m_xvfb.waitForFinished();
    }
}

TVirtualDisplay::~TVirtualDisplay() {
    if (m_xvfb.state() != QProcess::NotRunning) {
        m_xvfb.terminate();
        if (!m_xvfb.waitForFinished(3000)) {
            m_xvfb.kill();
            m_xvfb.waitForFinished();
        }
    }
}

TE2EProgram::TE2EProgram(const TVirtualDisplay& display, const QString& home, const QString& program)
    : m_display(display.Name()), m_home(home), m_program(program.isEmpty() ? ProgramPath() : program) {}

TE2EProgram::~TE2EProgram() { Kill(); }

QString TE2EProgram::ProgramPath() {
    return qEnvironmentVariable("VELLUMORA_PROGRAM_DIR") + QStringLiteral("/vellumora");
}

QProcessEnvironment TE2EProgram::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("HOME"), m_home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home + QStringLiteral("/share"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

bool TE2EProgram::Start() {
    QDir().mkpath(m_home + QStringLiteral("/share"));
    m_process.setProcessEnvironment(Environment());
    m_process.start(m_program, {});
    return m_process.waitForStarted(10000);
}

QString TE2EProgram::Xdotool(const QStringList& args, int* exitCode) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    // Captions and typed texts are UTF-8; a login without a locale would have xdotool read them as ASCII.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(10000);
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QString TE2EProgram::WaitWindow(const QString& captionRegex, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        const QString ids = Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), captionRegex});
        if (!ids.isEmpty())
            return ids.split(QLatin1Char('\n')).last();
        Pause(100);
    }
    return QString();
}

bool TE2EProgram::WaitGone(const QString& captionRegex, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), captionRegex}).isEmpty())
            return true;
        Pause(100);
    }
    return false;
}

bool TE2EProgram::WaitExit(int timeoutMs) { return m_process.waitForFinished(timeoutMs); }

void TE2EProgram::Keys(const QString& windowId, const QStringList& keys) {
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    for (const QString& k : keys) {
        Xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), k});
        Pause(60);
    }
}

void TE2EProgram::Type(const QString& windowId, const QString& text) {
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    Pause(100);
}

QString TE2EProgram::LogInAsFirstUser(const QString& name) {
    const QString login = WaitWindow(QStringLiteral("^Войти$"));
    if (login.isEmpty())
        return QString();
    // No users yet: the name field takes the new name; the password stays empty.
    Keys(login, {QStringLiteral("shift+Tab")});
    Type(login, name);
    Keys(login, {QStringLiteral("Tab"), QStringLiteral("Return")});
    const QString main = WaitWindow(QStringLiteral("Пользователь: ") + name + QStringLiteral("$"));
    if (!main.isEmpty())
        Pause(500);
    return main;
}

QString TE2EProgram::LogInAsLastUser(const QString& name) {
    const QString login = WaitWindow(QStringLiteral("^Войти$"));
    if (login.isEmpty())
        return QString();
    Keys(login, {QStringLiteral("Return")});
    const QString main = WaitWindow(QStringLiteral("Пользователь: ") + name + QStringLiteral("$"));
    if (!main.isEmpty())
        Pause(500);
    return main;
}

void TE2EProgram::Kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString TE2EProgram::Screenshot(const QString& path) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
    p.waitForFinished(20000);
    return path;
}
