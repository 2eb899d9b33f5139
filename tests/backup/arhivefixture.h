#pragma once

// A data root with two bases and three users, and a restore over it, for the tests of backup archives.
#include "backup/tarhiverestore.h"
#include "backup/tarhivetype.h"
#include "backup/tfileunzipper.h"
#include "ledger/tbaseloader.h"
#include "users/usertables.h"
#include "ziptestkit.h"

#include "../users/usersfixture.h"

#include <QDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

inline const QString kAdminRole = QStringLiteral("Администратор");
inline const QString kOrdinary = QStringLiteral("Обычный пользователь");
inline const TMessage kAskReplace = Question({"Заменить текущую базу архивной?"}, TMsgButton::No);
inline const TMessage kAskDestroy = Question(
    {"Текущая база будет уничтожена и заменена на архивную.", "Восстановление будет невозможно. Продолжить?"},
    TMsgButton::No);

// Every file of a folder with its bytes.
inline std::map<QString, QByteArray> Snapshot(const QString& folder) {
    std::map<QString, QByteArray> files;
    for (const QString& rel : FilesUnder(folder))
        files[rel] = ReadFileBytes(folder + "/" + rel);
    return files;
}

// The names of an archive's entries, in archive order.
inline QStringList EntryNames(const QString& archive) {
    std::vector<TZipItem> items;
    EXPECT_TRUE(TFileUnzipper().List(archive, items)) << qPrintable(archive);
    QStringList names;
    for (const TZipItem& item : items)
        names << item.Name;
    return names;
}

// A copy of an archive whose last big entry is spoilt: every entry before it would unpack.
inline QString SpoiltCopy(const QString& good, const QString& path) {
    QByteArray bytes = ReadFileBytes(good);
    std::vector<TZipItem> items;
    EXPECT_TRUE(TFileUnzipper().List(good, items));
    const TZipItem* last = &items.front();
    for (const TZipItem& item : items)
        if (item.CompressedSize > 8 && item.LocalOffset > last->LocalOffset) last = &item;
    const qsizetype data = qsizetype(last->LocalOffset) + 30 + Le16(bytes, last->LocalOffset + 26) +
                           Le16(bytes, last->LocalOffset + 28);
    bytes[data + last->CompressedSize / 2] = char(bytes[data + last->CompressedSize / 2] ^ 0x5a);
    WriteFileBytes(path, bytes);
    return path;
}

// Two bases and three users; Base1 holds an expense, an income and a debt with two returns. The
// restore's hooks reload the base and record the waiting panel and the log-in offers.
class ArhiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        books.SetBases({"Base1", "Base2"});
        books.SetUsers({{"Анна", "Base1", kAdminRole, "111"},
                        {"Борис", "Base2", kOrdinary, "222"},
                        {"Вера", "Base1", kOrdinary, "333"}});
        QDir().mkpath(books.Folder("Base1") + "/Debt");
        WriteRows(books.File("Base1", "rashod"),
                  {{"01.03.2024", "Еда", "Хлеб", "45", "рубль", "", "Анна"},
                   {"02.03.2024", "Еда", "Молоко", "80", "рубль", "", "Вера"}});
        WriteRows(books.File("Base1", "dohod"), {{"01.03.2024", "Зарплата", "50000", "рубль", "", "Анна"}});
        WriteRows(books.File("Base1", "dolg"), {{"дано в долг", "05.03.2024", "10.04.2024", "Иван", "1000",
                                                 "рубль", "", "", "Анна", "0"}});
        WriteRows(books.File("Base1", "Debt/debt0"),
                  {{"10.03.2024", "300", "рубль", "700"}, {"20.03.2024", "200", "рубль", "500"}});
        ReadBaseListFile(books.state);
        books.Open("Анна", "Base1");
        books.state.paths.backupCopyFolder = books.home.Path() + "/copies/";
        restore.SetHooks(hooks());
    }

    TArhiveHooks hooks() {
        TArhiveHooks h;
        h.reloadBase = [this] {
            ++reloads;
            TBaseLoader::OpenBase(books.state);
        };
        h.askNewBaseName = [this]() -> std::optional<QString> { return newName; };
        h.switchLogin = [this](const QString& name) { loginOffered << name; };
        h.busy = [this](bool on) { busy.push_back(on); };
        return h;
    }

    QString Pack(const QString& name = "a.zip") {
        const QString path = books.home.Path() + "/" + name;
        QString error;
        EXPECT_TRUE(arhive::PackBase(books.state, path, error)) << qPrintable(error);
        return path;
    }

    TBooks books;
    TArhiveRestore restore{books.state};
    std::optional<QString> newName;
    QStringList loginOffered;
    std::vector<bool> busy; // the waiting panel shows only while an archive is unpacked
    int reloads = 0;
};
