// What main() settles before the first window: the character type the captions are sent in, and Qt's
// own dialogs in Russian.
#include "app/startup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <clocale>
#include <langinfo.h>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace {

// The session's locale variables for one case; the previous ones come back afterwards.
class TLocaleSetting {
public:
    TLocaleSetting(const std::optional<QByteArray>& lcAll, const std::optional<QByteArray>& lang) {
        Set("LC_ALL", lcAll);
        Set("LC_CTYPE", std::nullopt);
        Set("LANG", lang);
        // As a process of that session starts.
        std::setlocale(LC_ALL, "");
    }
    ~TLocaleSetting() {
        for (const auto& [name, value] : m_previous)
            value ? qputenv(name, *value) : qunsetenv(name);
        std::setlocale(LC_ALL, "");
    }

private:
    void Set(const char* name, const std::optional<QByteArray>& value) {
        std::optional<QByteArray> previous;
        if (qEnvironmentVariableIsSet(name)) previous = qgetenv(name);
        m_previous.emplace_back(name, previous);
        value ? qputenv(name, *value) : qunsetenv(name);
    }
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_previous;
};

} // namespace

TEST(Startup, CaptionsGoOutInUtf8WhateverTheSessionsLocale) {
    struct Case {
        const char* what;
        std::optional<QByteArray> lcAll, lang;
        const char* characterType; // nullptr: any UTF-8 one
    } const cases[] = {
        {"a login without any locale", std::nullopt, std::nullopt, "C.UTF-8"},
        {"LANG=C", std::nullopt, "C", "C.UTF-8"},
        {"LANG=POSIX", std::nullopt, "POSIX", "C.UTF-8"},
        {"LC_ALL=C over a UTF-8 LANG", "C", "C.UTF-8", "C.UTF-8"},
        {"a UTF-8 LANG", std::nullopt, "C.UTF-8", "C.UTF-8"},
        {"a Russian locale, generated or not", std::nullopt, "ru_RU.UTF-8", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TLocaleSetting session(c.lcAll, c.lang);
        UseUtf8CharacterType();
        EXPECT_STREQ(nl_langinfo(CODESET), "UTF-8");
        if (c.characterType) {
            EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), c.characterType);
        }
    }
}

class QtDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { loaded = LoadQtTranslations(*QCoreApplication::instance()); }
    void SetUp() override { ASSERT_TRUE(loaded) << "Qt's translations (qt6-translations-l10n) are missing"; }
    static bool loaded;
};
bool QtDialogs::loaded = false;

TEST_F(QtDialogs, StandardButtonsSpeakRussian) {
    const struct {
        QDialogButtonBox::StandardButton button;
        const char* text;
    } cases[] = {
        {QDialogButtonBox::Ok, "OK"},         {QDialogButtonBox::Cancel, "Отмена"},
        {QDialogButtonBox::Yes, "&Да"},       {QDialogButtonBox::No, "&Нет"},
        {QDialogButtonBox::Open, "Открыть"},  {QDialogButtonBox::Save, "Сохранить"},
        {QDialogButtonBox::Close, "Закрыть"},
    };
    for (const auto& c : cases) {
        QDialogButtonBox box(c.button);
        ASSERT_NE(box.button(c.button), nullptr);
        EXPECT_EQ(box.button(c.button)->text(), QString::fromUtf8(c.text));
    }
}

// The dialogs the program opens for archives and folders are Qt's own on a desktop without a
// platform dialog, as on the virtual display of the end-to-end tests.
TEST_F(QtDialogs, FileAndFolderDialogsSpeakRussian) {
    const struct {
        QFileDialog::FileMode mode;
        const char* label;
        const char* text;
    } cases[] = {
        {QFileDialog::ExistingFile, "lookInLabel", "Перейти к:"},
        {QFileDialog::ExistingFile, "fileNameLabel", "&Имя файла:"},
        {QFileDialog::ExistingFile, "fileTypeLabel", "Типы файлов:"},
        {QFileDialog::Directory, "fileNameLabel", "Каталог:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QFileDialog dialog(nullptr, QStringLiteral("Восстановить архивную копию"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(c.mode);
        const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(c.label));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(c.text));
        const auto* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    }
}

// Qt's own file dialog over a folder of a sub-folder and an archive, as the program opens it for
// archives: its columns, the types and the dates in Russian, whatever locale the session had (the
// tests run with the program's locale settled as main() settles it, on a session without LANG too).
TEST_F(QtDialogs, TheFileDialogListsItsFilesInRussian) {
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Копии")));
    QFile archive(folder.filePath(QStringLiteral("2026-05-15.zip")));
    ASSERT_TRUE(archive.open(QIODevice::WriteOnly));
    archive.write("PK\x05\x06" + QByteArray(18, '\0'));
    ASSERT_TRUE(archive.flush());
    // A May afternoon: an English list would say "May" and "PM".
    const QDateTime modified(QDate(2026, 5, 15), QTime(14, 30));
    ASSERT_TRUE(archive.setFileTime(modified, QFileDevice::FileModificationTime));
    archive.close();

    QFileDialog dialog(nullptr, QStringLiteral("Восстановить архивную копию"), folder.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.show();
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(view, nullptr);
    const QAbstractItemModel* model = view->model();
    // The folder is read on a thread of the dialog's own.
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(view->rootIndex()) == 2; }, 10000));
    QStringList headers;
    for (int c = 0; c < model->columnCount(); ++c)
        headers << model->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers, QStringList({"Имя", "Размер", "Тип", "Дата изменения"}));
    std::map<QString, QStringList> rows;
    for (int r = 0; r < 2; ++r) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << model->index(r, c, view->rootIndex()).data().toString();
        rows[cells[0]] = cells;
    }
    ASSERT_EQ(rows.count("Копии"), 1u);
    ASSERT_EQ(rows.count("2026-05-15.zip"), 1u);
    EXPECT_EQ(rows["Копии"][2], "Папка");
    EXPECT_EQ(rows["2026-05-15.zip"][2], "Архив ZIP");
    EXPECT_EQ(rows["2026-05-15.zip"][3], "15.05.2026 14:30");
    EXPECT_EQ(rows["2026-05-15.zip"][1], "22 байты");
    // No English month, unit or sign of the time of day in the sizes and dates, the folder's included.
    for (const auto& [name, cells] : rows)
        for (int c : {1, 3})
            EXPECT_FALSE(cells[c].contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
                << cells[c].toStdString();
}

TEST_F(QtDialogs, PrintDialogSpeaksRussian) {
    QPrinter printer;
    QPrintDialog dialog(&printer);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Печать"));
}
