// Damage found at start-up, at the log-in and at the open of a base is told with its own words and leaves
// the files as they should be. Each case runs the program's whole way headless: the log-in dialog's
// creation, its showing, the log-in, the open of the base and the save at the close.
#include "session/tsession.h"

#include "backup/tdailyarhive.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "messagerecorder.h"
#include "storage/datafolders.h"
#include "storage/tinistorage.h"
#include "tablefiles.h"
#include "testfolders.h"
#include "users/passwordcode.h"
#include "users/usertables.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using TRows = std::vector<QStringList>;

// What stands at a path, links not followed: its kind, its mode and its bytes.
QString Snapshot(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return "(none)";
    QString text = QString::number(st.st_mode, 8) + " ";
    if (S_ISLNK(st.st_mode)) return text + "-> " + QFileInfo(path).symLinkTarget();
    if (S_ISREG(st.st_mode)) return text + QString::fromLatin1(ReadFileBytes(path).toHex());
    return text;
}

// Every file and folder under a folder, with the moments in the names of kept copies made alike.
QStringList Tree(const QString& folder) {
    static const QRegularExpression stamp("-\\d{4}-\\d{2}-\\d{2}-\\d{6}");
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out << QDir(folder).relativeFilePath(path).replace(stamp, "-<дата>");
    }
    out.sort();
    return out;
}

// The differences of two listings: "+name" for what appeared, "-name" for what went.
QStringList Changes(const QStringList& before, const QStringList& after) {
    QStringList out;
    for (const QString& f : after)
        if (!before.contains(f)) out << "+" + f;
    for (const QString& f : before)
        if (!after.contains(f)) out << "-" + f;
    return out;
}

// While it lives, a process of root reads and writes as any user does: by the permission bits.
class TPermissionsHold {
public:
    TPermissionsHold() {
        if (::geteuid() != 0) return;
        if (::syscall(SYS_capget, &m_head, m_saved) != 0) return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_lowered = ::syscall(SYS_capset, &m_head, lowered) == 0;
    }
    ~TPermissionsHold() {
        if (m_lowered) ::syscall(SYS_capset, &m_head, m_saved);
    }
    bool Holds() const { return ::geteuid() != 0 || m_lowered; }

private:
    __user_cap_header_struct m_head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};

// A family's data in a private home: the father (administrator) and the mother keep "Семья", the son
// "Дача". Each base was opened and closed once, leaving its daily copy.
class TFamily {
public:
    TFamily() {
        WriteRows(Base() + "/user", {{"Папа", "Семья", "1", PasswordCode("п")},
                                     {"Мама", "Семья", "0", PasswordCode("м")},
                                     {"Сын", "Дача", "0", PasswordCode("с")}});
        WriteRows(Base() + "/baseuser", {{"Семья"}, {"Дача"}});
        WriteRows(Table("rashod"), {{"09.12.2026", "Еда", "Хлеб", "45", "рубль", "", "Папа"}});
        WriteRows(Table("dolg"), {{"дано в долг", "01.12.2026", "01.01.2027", "Сосед", "1000", "рубль", "",
                                   "отображать", "Папа", "0"}});
        WriteRows(Table("Debt/debt0"), {{"05.12.2026", "300", "рубль", "700"}});
        WriteRows(Base() + "/Дача/rashod", {{"07.12.2026", "Дом", "Краска", "300", "рубль", "", "Сын"}});
        EXPECT_TRUE(Run("Сын", "с", QDate(2026, 12, 7)).empty());
        EXPECT_TRUE(Run("Папа", "п", QDate(2026, 12, 9)).empty());
    }

    QString Data() const { return home.ProgramData(); }
    QString Base() const { return Data() + "/BASE"; }
    QString Table(const QString& name) const { return Base() + "/Семья/" + name; }
    QString Outside() const { return home.Path() + "/outside"; }
    QString DefaultCopies() const { return home.Share() + "/QuorvaneCopy/"; }

    // One start of the program: the log-in dialog made and shown, the log-in, the open and the close
    // (with the day's copy when a day is given). The boxes it showed.
    std::vector<TMessage> Run(const QString& user, const QString& password, QDate copyDay = QDate(),
                              std::function<void(TMessageRecorder&)> answers = nullptr) {
        TMessageRecorder boxes;
        if (answers) answers(boxes);
        TSession session;
        TMyType& state = session.state;
        state.paths.programFolder = home.Path() + "/program";
        state.paths.programDataFolder = Data();
        session.login.PrepareAtCreation();
        session.login.ShowLogin();
        if (session.login.AcceptLogin(user, password) == TLoginLogic::TOutcome::LoggedIn) {
            session.OpenBase();
            TBaseLoader::SaveAndTell(state);
            if (copyDay.isValid()) TDailyArhive(state).Write(copyDay);
        }
        return boxes.Boxes();
    }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
};

const QString kReadOnly = "База \"Семья\" открыта только для просмотра: изменения в ней не будут сохранены.";

// What the open could not read, told with the base shown read-only.
std::vector<TMessage> ToldReadOnly(const QString& line) {
    return {Error({line, kReadOnly})};
}

} // namespace

TEST(Damage, IsToldInItsOwnWordsAndLeavesTheFilesAsTheyShouldBe) {
    struct Case {
        const char* what;
        // Spoils the family's data; its paths are relative to the program data folder.
        std::function<void(TFamily&)> spoil;
        // The boxes of the first start after it; the next start tells them again, or nothing.
        std::function<std::vector<TMessage>(const TFamily&)> told;
        bool toldAgain;
        // What appeared and went under the program data folder (the moments in kept copies as "<дата>").
        QStringList changes;
        // Paths under the program data folder that stand exactly as they were spoiled.
        QStringList untouched;
        bool asAnyUser = false; // the case needs a process that reads by the permission bits
        std::function<void(const TFamily&)> check = nullptr;
    };
    const Case cases[] = {
        {"a table without read permission",
         [](TFamily& f) { ::chmod(QFile::encodeName(f.Table("rashod")).constData(), 0); },
         [](const TFamily& f) {
             return ToldReadOnly("Нет прав на чтение файла \"" + f.Table("rashod") + "\"");
         },
         true,
         {},
         {"BASE/Семья/rashod", "BASE/Семья/dolg", "BASE/Семья/vidrashod", "BASE/Семья/purse"},
         true},
        {"a table that is a link to a file outside the base",
         [](TFamily& f) {
             WriteFileBytes(f.Outside() + "/чужой", ReadFileBytes(f.Table("rashod")));
             QFile::remove(f.Table("rashod"));
             QFile::link(f.Outside() + "/чужой", f.Table("rashod"));
         },
         [](const TFamily& f) {
             return ToldReadOnly("На месте файла \"" + f.Table("rashod") + "\" находится ссылка");
         },
         true,
         {},
         {"BASE/Семья/rashod", "BASE/Семья/dolg"}},
        {"a folder where a table should be",
         [](TFamily& f) {
             QFile::remove(f.Table("planrashod"));
             QDir().mkpath(f.Table("planrashod") + "/что-то");
         },
         [](const TFamily& f) {
             return ToldReadOnly("На месте файла \"" + f.Table("planrashod") + "\" находится папка");
         },
         true,
         {},
         {"BASE/Семья/planrashod", "BASE/Семья/rashod"}},
        {"the returns folder is a link to a folder outside the base",
         [](TFamily& f) {
             QDir().mkpath(f.Outside() + "/Долги");
             WriteFileBytes(f.Outside() + "/Долги/debt0", ReadFileBytes(f.Table("Debt/debt0")));
             WriteFileBytes(f.Outside() + "/Долги/.debt0.tmp-abcdef", "чужой черновик");
             QDir(f.Table("Debt")).removeRecursively();
             QFile::link(f.Outside() + "/Долги", f.Table("Debt"));
         },
         [](const TFamily& f) {
             return ToldReadOnly("На месте папки \"" + f.Table("Debt") + "\" находится ссылка");
         },
         true,
         {},
         {"BASE/Семья/Debt", "BASE/Семья/dolg"}},
        {"the user table is a link to a file outside",
         [](TFamily& f) {
             WriteFileBytes(f.Outside() + "/люди", ReadFileBytes(f.Base() + "/user"));
             QFile::remove(f.Base() + "/user");
             QFile::link(f.Outside() + "/люди", f.Base() + "/user");
         },
         [](const TFamily& f) {
             return std::vector<TMessage>{
                 Error({"На месте файла \"" + f.Base() + "/user\" находится ссылка"}),
                 Error({"Нет доступа к базам программы.",
                        "Проверьте настройки безопасности для файла " + f.Base() + "/user"})};
         },
         true,
         {},
         {"BASE/user", "BASE/Семья/rashod"}},
        {"an empty user table while bases exist, its users back from the daily copies",
         [](TFamily& f) { WriteFileBytes(f.Base() + "/user", QByteArray()); },
         [](const TFamily&) {
             return std::vector<TMessage>{
                 Question({"База пользователей повреждена!",
                           "Файл пользователей пуст, хотя базы программы уже созданы.",
                           "Пользователи найдены в ежедневных резервных копиях:",
                           "база \"Семья\" — копия от 09.12.2026", "база \"Дача\" — копия от 07.12.2026",
                           "Восстановить пользователей из этих копий?"},
                          TMsgButton::Yes)};
         },
         false,
         {"+BASE/user.damaged-<дата>"},
         {},
         false,
         [](const TFamily& f) {
             EXPECT_EQ(RowsOfFile(f.Base() + "/user"),
                       TRows({{"Папа", "Семья", "Администратор", PasswordCode("п")},
                              {"Мама", "Семья", "Обычный пользователь", PasswordCode("м")},
                              {"Сын", "Дача", "Обычный пользователь", PasswordCode("с")}}));
             EXPECT_EQ(ReadFileBytes(f.Base() + "/" + QDir(f.Base()).entryList({"user.damaged-*"}).value(0)),
                       QByteArray());
         }},
        {"an empty user table while bases exist, and no daily copies",
         [](TFamily& f) {
             WriteFileBytes(f.Base() + "/user", QByteArray());
             QDir(f.DefaultCopies()).removeRecursively();
         },
         [](const TFamily&) {
             return std::vector<TMessage>{
                 Info({"База пользователей повреждена!",
                       "Файл пользователей пуст, хотя базы программы уже созданы.",
                       "В ежедневных резервных копиях пользователей не найдено.",
                       "Войти можно под любым именем: новый пользователь станет администратором базы "
                       "\"Base1\"."})};
         },
         false,
         {"+BASE/Base1", "+BASE/Base1/Debt", "+BASE/Base1/Tarnwell.ini", "+BASE/Base1/attr_quest.ini",
          "+BASE/Base1/dohod", "+BASE/Base1/dolg", "+BASE/Base1/plandohod", "+BASE/Base1/planrashod",
          "+BASE/Base1/purse", "+BASE/Base1/rashod", "+BASE/Base1/transfer_purse", "+BASE/Base1/viddohod",
          "+BASE/Base1/vidrashod", "+BASE/user.damaged-<дата>"},
         {"BASE/Семья/rashod"},
         false,
         [](const TFamily& f) {
             EXPECT_EQ(RowsOfFile(f.Base() + "/user"), TRows({{"Папа", "Base1", "1", PasswordCode("п")}}));
         }},
        {"returns files that no debt names",
         [](TFamily& f) {
             WriteRows(f.Table("Debt/debt3"), {{"06.12.2026", "50", "рубль", ""}});
             WriteFileBytes(f.Table("Debt/debt4"), QByteArray());
         },
         [](const TFamily& f) {
             return std::vector<TMessage>{
                 Info({"Найдены возвраты долгов, которые не относятся ни к одному долгу:", "debt3",
                       "Файлы сохранены с окончанием \".orphan-\" и датой в папке", f.Table("Debt")})};
         },
         false,
         {"+BASE/Семья/Debt/debt3.orphan-<дата>", "-BASE/Семья/Debt/debt3", "-BASE/Семья/Debt/debt4"},
         {"BASE/Семья/Debt/debt0"},
         false,
         [](const TFamily& f) {
             const QString kept = QDir(f.Table("Debt")).entryList({"debt3.orphan-*"}).value(0);
             EXPECT_EQ(RowsOfFile(f.Table("Debt/" + kept)), TRows({{"06.12.2026", "50", "рубль", ""}}));
         }},
        {"a daily-copy folder whose parent is not the user's",
         [](TFamily& f) {
             // Someone else's folder: root's for a user, a made-up owner's for root.
             QString parent = "/";
             if (::geteuid() == 0) {
                 parent = f.Outside() + "/чужая";
                 QDir().mkpath(parent);
                 EXPECT_EQ(::chown(QFile::encodeName(parent).constData(), 65534, 65534), 0);
             }
             TIniStorage ini;
             ini.WriteString("path base", "path", f.Data() + "/");
             ini.WriteString("path base", "copypath", JoinPath(parent, "Копии-Vellumora"));
             ini.SaveToFile(f.Data() + "/pathbase.ini");
         },
         [](const TFamily& f) {
             const QString parent = ::geteuid() == 0 ? f.Outside() + "/чужая" : QString("/");
             return std::vector<TMessage>{Info(
                 {"Папка ежедневных резервных копий по указанному пути", JoinPath(parent, "Копии-Vellumora"),
                  "недоступна.", "Копии будут храниться в папке по умолчанию", f.DefaultCopies()})};
         },
         false,
         {},
         {"BASE/Семья/rashod"},
         false,
         [](const TFamily& f) {
             TIniStorage ini;
             ASSERT_TRUE(ini.LoadFromFile(f.Data() + "/pathbase.ini"));
             EXPECT_EQ(ini.ReadString("path base", "copypath", "NO"), f.DefaultCopies());
             EXPECT_FALSE(QFileInfo::exists("/Копии-Vellumora"));
         }},
        {"a daily-copy folder that is not an absolute path",
         [](TFamily& f) {
             TIniStorage ini;
             ini.WriteString("path base", "path", f.Data() + "/");
             ini.WriteString("path base", "copypath", "Копии");
             ini.SaveToFile(f.Data() + "/pathbase.ini");
         },
         [](const TFamily& f) {
             return std::vector<TMessage>{
                 Info({"Папка ежедневных резервных копий по указанному пути", "Копии", "недоступна.",
                       "Копии будут храниться в папке по умолчанию", f.DefaultCopies()})};
         },
         false,
         {},
         {},
         false,
         [](const TFamily&) { EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath("Копии"))); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFamily f;
        QDir().mkpath(f.Outside());
        c.spoil(f);
        std::map<QString, QString> spoiled;
        for (const QString& path : c.untouched)
            spoiled[path] = Snapshot(f.Data() + "/" + path);
        const QStringList outside = Tree(f.Outside());
        std::map<QString, QString> outsideBytes;
        for (const QString& path : outside)
            outsideBytes[path] = Snapshot(f.Outside() + "/" + path);
        const QStringList before = Tree(f.Data());

        const auto start = [&] {
            TPermissionsHold permissions;
            if (c.asAnyUser && !permissions.Holds()) {
                ADD_FAILURE() << "this process reads files whatever their permission bits";
                return std::vector<TMessage>{};
            }
            return f.Run("Папа", "п");
        };
        EXPECT_EQ(start(), c.told(f));
        EXPECT_EQ(Changes(before, Tree(f.Data())), c.changes);
        EXPECT_EQ(start(), c.toldAgain ? c.told(f) : std::vector<TMessage>{}) << "the next start";
        EXPECT_EQ(Changes(before, Tree(f.Data())), c.changes) << "after the next start";
        for (const auto& [path, snapshot] : spoiled)
            EXPECT_EQ(Snapshot(f.Data() + "/" + path), snapshot) << path.toStdString();
        EXPECT_EQ(Tree(f.Outside()), outside);
        for (const auto& [path, snapshot] : outsideBytes)
            EXPECT_EQ(Snapshot(f.Outside() + "/" + path), snapshot) << path.toStdString();
        if (c.check) c.check(f);
    }
}
