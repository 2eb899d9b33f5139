// What main() settles before the first window: the character type the captions are sent in, and Qt's
// own dialogs in Russian.
#include "app/startup.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <gtest/gtest.h>

#include <clocale>
#include <langinfo.h>
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

TEST_F(QtDialogs, PrintDialogSpeaksRussian) {
    QPrinter printer;
    QPrintDialog dialog(&printer);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Печать"));
}
