#include "e2edriver.h"

#include "storage/atomicfile.h"
#include "storage/tmemtable.h"
#include "tablefilereader.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <optional>
#include <utility>

namespace {

constexpr int kPollMs = 50;
// How long the program and the server must have done nothing for the input before to count as handled.
constexpr int kQuietMs = 100;

QString RunXdotool(const QString& display, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    // Captions and typed texts are UTF-8; a login without a locale would have xdotool read them as ASCII.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(10000);
    if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

constexpr qint64 kEnded = -1;

// What the threads of a process have done so far, as their context switches; nothing when one of
// them is running or waiting for the disk, kEnded when the process has ended (if not yet reaped).
std::optional<qint64> Activity(qint64 pid) {
    const QString proc = QStringLiteral("/proc/%1/task").arg(pid);
    const QStringList tasks = QDir(proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (tasks.isEmpty()) return kEnded;
    qint64 switches = 0;
    for (const QString& task : tasks) {
        QFile status(proc + QLatin1Char('/') + task + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly)) continue; // a thread that ended meanwhile
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("State:") && (line.contains("(zombie)") || line.contains("(dead)")))
                return kEnded;
            if (line.startsWith("State:") && !line.contains("(sleeping)") && !line.contains("(idle)"))
                return std::nullopt;
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return switches;
}

// Puts the Russian letters on spare keys of the server's keyboard map, before any program reads it.
// xdotool types a letter missing from the map by changing the map for that one key and back, and a
// program that reads the map a moment late reads it back without the letter and drops it.
void AddRussianLetters(const QString& display) {
    static const char* const letters[] = {
        "a",  "be",  "ve",  "ghe", "de",    "ie",       "io",   "zhe",      "ze", "i",  "shorti",
        "ka", "el",  "em",  "en",  "o",     "pe",       "er",   "es",       "te", "u",  "ef",
        "ha", "tse", "che", "sha", "shcha", "hardsign", "yeru", "softsign", "e",  "yu", "ya"};
    QProcess dump;
    dump.start(QStringLiteral("xkbcomp"),
               {QStringLiteral("-xkb"), display, QStringLiteral("-o"), QStringLiteral("-")});
    if (!dump.waitForFinished(10000) || dump.exitCode() != 0) return;
    QByteArray keymap = dump.readAllStandardOutput();
    const qsizetype symbols = keymap.indexOf("xkb_symbols");
    const qsizetype end = symbols < 0 ? -1 : keymap.indexOf("\n};", symbols);
    if (end < 0) return;
    QByteArray keys;
    int code = 208; // multimedia keys nobody presses here
    for (const char* letter : letters) {
        const QByteArray lower(letter);
        keys += "\n    key <I" + QByteArray::number(code++) + "> { [ Cyrillic_" + lower + ", Cyrillic_" +
                lower.toUpper() + " ] };";
    }
    keymap.insert(end, keys);
    QProcess load;
    load.start(QStringLiteral("xkbcomp"),
               {QStringLiteral("-w"), QStringLiteral("0"), QStringLiteral("-"), display});
    load.write(keymap);
    load.closeWriteChannel();
    load.waitForFinished(10000);
}

} // namespace

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QThread::msleep(kPollMs);
    }
    return true;
}

bool WaitFile(const QString& path, int timeoutMs) {
    return WaitUntil([&] { return QFileInfo(path).isFile(); }, timeoutMs);
}

QString Today(int plusDays) {
    return QDate::currentDate().addDays(plusDays).toString(QStringLiteral("dd.MM.yyyy"));
}

void TypeExpense(TE2EProgram& program, const QString& window, const QString& sum) {
    program.Keys(window, {QStringLiteral("Right"), QStringLiteral("Return"), QStringLiteral("Return")});
    program.Type(window, sum);
    program.Keys(window, {QStringLiteral("Return"), QStringLiteral("Return"), QStringLiteral("Escape")});
}

void TypeTwoExpenses(TE2EProgram& program, const QString& window) {
    program.Keys(window, {QStringLiteral("Right"), QStringLiteral("Return"), QStringLiteral("Return")});
    program.Type(window, QStringLiteral("120"));
    program.Keys(window, {QStringLiteral("Return"), QStringLiteral("Return")});
    program.Keys(window, {QStringLiteral("Down"), QStringLiteral("Return")});
    program.Type(window, QStringLiteral("30"));
    program.Keys(window, {QStringLiteral("Return"), QStringLiteral("Return"), QStringLiteral("Escape")});
    ASSERT_TRUE(program.WaitIdle());
}

bool Quit(TE2EProgram& program, const QString& window) {
    program.Keys(window, {QStringLiteral("F10")});
    const QString question = program.WaitWindow(QStringLiteral("^   Подтвердите$"));
    if (question.isEmpty()) return false;
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
    if (!HaveE2ETools()) GTEST_SKIP() << "Xvfb and xdotool are needed";
    ASSERT_TRUE(display.IsUp());
}

QString TE2ETest::FirstStart(TE2EProgram& program, const QString& name) {
    if (!program.Start()) return QString();
    const QString main = program.LogInAsFirstUser(name);
    EXPECT_FALSE(main.isEmpty()) << program.Output().toStdString();
    return main;
}

QString TE2ETest::NextStart(TE2EProgram& program, const QString& name) {
    if (!program.Start()) return QString();
    const QString main = program.LogInAsLastUser(name);
    EXPECT_FALSE(main.isEmpty()) << program.Output().toStdString();
    return main;
}

QString TE2ETest::NextStartPastABox(TE2EProgram& program, const QString& boxCaptionRegex,
                                    const QString& mainCaptionRegex, const QString& shotName) {
    if (!program.Start()) return QString();
    const QString shot = shotName.isEmpty() ? QString() : home.path() + QLatin1Char('/') + shotName;
    const QString main = program.LogInAsLastUserPastABox(boxCaptionRegex, mainCaptionRegex, shot);
    EXPECT_FALSE(main.isEmpty()) << program.Output().toStdString();
    if (!shot.isEmpty()) KeepScreenshot(shot, shotName);
    return main;
}

QString TE2ETest::FirstStartWithAnExpense(TE2EProgram& program, const QString& sum) {
    const QString main = FirstStart(program);
    if (!main.isEmpty()) TypeExpense(program, main, sum);
    return main;
}

void TE2ETest::RunOnceWithAnExpense(const QString& sum) {
    TE2EProgram program(display, home.path());
    const QString main = FirstStartWithAnExpense(program, sum);
    ASSERT_FALSE(main.isEmpty());
    ASSERT_TRUE(Quit(program, main));
}

QStringList TE2ETest::ExpenseRow(const QString& sum) {
    return {Today(),   QStringLiteral("Продукты"), QStringLiteral("Крупы"), sum, QStringLiteral("рубль"),
            QString(), QStringLiteral("Мама")};
}

std::vector<QStringList> TableRows(const QString& path) {
    TTableFile file = ReadTableFile(path);
    if (!file.error.isEmpty())
        file.rows.push_back(
            {QStringLiteral("(%1 cannot be read: %2)").arg(QFileInfo(path).fileName(), file.error)});
    return file.rows;
}

bool HaveE2ETools() {
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

// The server runs with -noreset: a reset when its last client goes (a killed program, say) can
// bring the virtual server down.
TVirtualDisplay::TVirtualDisplay() {
    for (int n = 150; n < 250; ++n) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
            QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        const QString name = QStringLiteral(":%1").arg(n);
        m_xvfb.start(QStringLiteral("Xvfb"),
                     {name, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1366x768x24"),
                      QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!m_xvfb.waitForStarted(5000)) return;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && m_xvfb.state() == QProcess::Running) {
            int exitCode = -1;
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                RunXdotool(name, {QStringLiteral("getdisplaygeometry")}, &exitCode);
                if (exitCode == 0) {
                    m_display = name;
                    AddRussianLetters(name);
                    return;
                }
            }
            // Returns at once when the server gave up (the display is taken by a server this folder
            // cannot see, say).
            m_xvfb.waitForFinished(kPollMs);
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
    : m_display(display.Name()), m_serverPid(display.ServerPid()), m_home(home),
      m_program(program.isEmpty() ? ProgramPath() : program) {}

TE2EProgram::~TE2EProgram() {
    Kill();
}

QString TE2EProgram::ProgramPath() {
    return qEnvironmentVariable("VELLUMORA_PROGRAM_DIR") + QStringLiteral("/vellumora");
}

QProcessEnvironment TE2EProgram::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("HOME"), m_home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home + QStringLiteral("/share"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home);
    env.insert(QStringLiteral("TMPDIR"), TempFolder());
    // The desktop's "open with the default application" reaches our own xdg-open, which only notes
    // what it was asked to open.
    env.insert(QStringLiteral("PATH"), m_home + QStringLiteral("/bin:") + env.value(QStringLiteral("PATH")));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

bool TE2EProgram::Start() {
    QDir().mkpath(m_home + QStringLiteral("/share"));
    QDir().mkpath(TempFolder());
    QDir().mkpath(m_home + QStringLiteral("/bin"));
    QFile opener(m_home + QStringLiteral("/bin/xdg-open"));
    if (opener.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        opener.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$HOME/opened.txt\"\n");
        opener.close();
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    m_process.setProcessEnvironment(Environment());
    m_process.start(m_program, {});
    return m_process.waitForStarted(10000);
}

QStringList TE2EProgram::OpenedFiles() const {
    QFile file(m_home + QStringLiteral("/opened.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList opened;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        opened << (line.startsWith(QStringLiteral("file://")) ? QUrl(line).toLocalFile() : line);
    return opened;
}

bool TE2EProgram::DesktopOpensOnly(const QStringList& mimeTypes) const {
    QDir().mkpath(m_home + QStringLiteral("/bin"));
    QFile mime(m_home + QStringLiteral("/bin/xdg-mime"));
    if (!mime.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    // "xdg-mime query default <type>" names the type's application, or nothing.
    QByteArray script = "#!/bin/sh\n[ \"$1 $2\" = \"query default\" ] || exit 1\ncase \"$3\" in\n";
    for (const QString& type : mimeTypes)
        script += "  '" + type.toUtf8() + "') echo opener.desktop ;;\n";
    script += "esac\n";
    mime.write(script);
    mime.close();
    return mime.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString TE2EProgram::Xdotool(const QStringList& args, int* exitCode) const {
    return RunXdotool(m_display, args, exitCode);
}

QString TE2EProgram::WaitWindow(const QString& captionRegex, int timeoutMs) {
    QString found;
    WaitUntil(
        [&] {
            const QString ids = Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), captionRegex});
            if (!ids.isEmpty()) found = ids.split(QLatin1Char('\n')).last();
            return !found.isEmpty();
        },
        timeoutMs);
    return found;
}

bool TE2EProgram::WaitGone(const QString& captionRegex, int timeoutMs) {
    return WaitUntil(
        [&] {
            return Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                            QStringLiteral("--name"), captionRegex})
                .isEmpty();
        },
        timeoutMs);
}

bool TE2EProgram::WaitClosed(const QString& windowId, const QString& captionRegex, int timeoutMs) {
    return WaitUntil(
        [&] {
            const QString ids = Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), captionRegex});
            return !ids.split(QLatin1Char('\n')).contains(windowId);
        },
        timeoutMs);
}

bool TE2EProgram::WaitExit(int timeoutMs) {
    return m_process.waitForFinished(timeoutMs);
}

// A quiet spell of both processes: their threads all asleep, and not one woken between two looks. The
// cursor's blinking and the program's own timers wake it now and then, so a spell is looked for again
// until one comes.
bool TE2EProgram::WaitIdle(int timeoutMs) {
    const auto both = [this]() -> std::optional<std::pair<qint64, qint64>> {
        const std::optional<qint64> program = Activity(Pid());
        const std::optional<qint64> server = Activity(m_serverPid);
        if (!program || !server) return std::nullopt;
        return std::make_pair(*program, *server);
    };
    QElapsedTimer t;
    t.start();
    auto before = both();
    while (t.elapsed() < timeoutMs) {
        if (!IsRunning() || Activity(Pid()) == kEnded) return true; // nothing more will be handled
        QThread::msleep(kQuietMs);
        const auto now = both();
        if (before && now && *before == *now) return true;
        before = now;
    }
    const auto show = [](const std::optional<std::pair<qint64, qint64>>& a) {
        return a ? QStringLiteral("%1/%2").arg(a->first).arg(a->second).toStdString()
                 : std::string("running");
    };
    ADD_FAILURE() << "the program was still busy after " << timeoutMs
                  << " ms (switches of the program/the server: " << show(before) << ")";
    return false;
}

void TE2EProgram::Press(const QStringList& keys) {
    for (const QString& k : keys) {
        Xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), k});
        WaitIdle();
    }
}

// One character at a time, each handled before the next: the first may open the editor that takes the
// others, and xdotool types a letter missing from the keyboard map by changing the map, which a program
// still busy with the letter before can read wrongly.
void TE2EProgram::TypeHere(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
        Xdotool({QStringLiteral("type"), QStringLiteral("--"), text.mid(i, n)});
        WaitIdle();
        i += n - 1;
    }
}

void TE2EProgram::Keys(const QString& windowId, const QStringList& keys) {
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    Press(keys);
}

void TE2EProgram::Type(const QString& windowId, const QString& text) {
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    TypeHere(text);
}

void TE2EProgram::Click(const QString& windowId, int x, int y) {
    Xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), windowId, QString::number(x),
             QString::number(y)});
    WaitIdle();
    Xdotool({QStringLiteral("click"), QStringLiteral("1")});
    WaitIdle();
}

QString TE2EProgram::LogInAsFirstUser(const QString& name) {
    const QString login = WaitWindow(QStringLiteral("^Войти$"));
    if (login.isEmpty()) return NotLoggedIn("no «Войти» window");
    // No users yet: the name field takes the new name; the password stays empty.
    Keys(login, {QStringLiteral("shift+Tab")});
    Type(login, name);
    Keys(login, {QStringLiteral("Tab"), QStringLiteral("Return")});
    return MainWindowOf(name);
}

QString TE2EProgram::LogInAsLastUser(const QString& name) {
    const QString login = WaitWindow(QStringLiteral("^Войти$"));
    if (login.isEmpty()) return NotLoggedIn("no «Войти» window");
    Keys(login, {QStringLiteral("Return")});
    return MainWindowOf(name);
}

QString TE2EProgram::LogInAsLastUserPastABox(const QString& boxCaptionRegex, const QString& mainCaptionRegex,
                                             const QString& shotPath) {
    const QString login = WaitWindow(QStringLiteral("^Войти$"));
    if (login.isEmpty()) return NotLoggedIn("no «Войти» window");
    Keys(login, {QStringLiteral("Return")});
    const QString box = WaitWindow(boxCaptionRegex);
    if (box.isEmpty()) return NotLoggedIn("no box after the log-in");
    if (!shotPath.isEmpty()) Screenshot(shotPath);
    Keys(box, {QStringLiteral("Return")});
    return MainWindowAt(mainCaptionRegex);
}

QString TE2EProgram::MainWindowOf(const QString& name) {
    return MainWindowAt(QStringLiteral("Пользователь: ") + name + QStringLiteral("$"));
}

QString TE2EProgram::MainWindowAt(const QString& captionRegex) {
    const QString main = WaitWindow(captionRegex);
    if (main.isEmpty()) return NotLoggedIn("no main window of the user");
    // The base opens as the window first shows: keys wait for that.
    WaitIdle();
    return main;
}

// A log-in that did not end in the main window says what was on the screen instead.
QString TE2EProgram::NotLoggedIn(const char* what) {
    QStringList shown;
    for (const QString& id : Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                      QStringLiteral("--name"), QStringLiteral(".")})
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        shown << QLatin1Char('"') + Xdotool({QStringLiteral("getwindowname"), id}) + QLatin1Char('"');
    ADD_FAILURE() << what << "; windows on the screen: " << shown.join(QStringLiteral(", ")).toStdString()
                  << "; the program " << (IsRunning() ? "runs" : "has ended");
    return QString();
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
