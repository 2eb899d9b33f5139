// Opening a working template and putting the default set back over the working one.
#include "messagerecorder.h"
#include "output/ttemplates.h"
#include "testfolders.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QStringList kRestoreQuestion = {"Восстановить все шаблоны по умолчанию?",
                                      "Все изменения в шаблонах будут сброшены.", "Продолжить?"};

class Templates : public ::testing::Test {
protected:
    QString Work(const QString& name) const { return home.ProgramData() + "/PageMaket/" + name; }
    QString Default(const QString& name) const { return home.ProgramData() + "/PageMaketDefault/" + name; }

    TTestDataHome home;
    TMessageRecorder boxes;
    std::vector<QUrl> opened;
    bool opens = true;
    TTemplates templates{home.ProgramData(), [this](const QUrl& url) {
                             opened.push_back(url);
                             return opens;
                         }};
};

} // namespace

TEST_F(Templates, AnItemOpensItsFileWithTheDesktopApplicationOrSaysItCouldNot) {
    WriteFileBytes(Work("Rashod.ods"), "PK");
    const struct {
        const char* what;
        const char* file;
        bool opens;
        bool called;
    } cases[] = {
        {"a template that is there", "Rashod.ods", true, true},
        {"the application does not start", "Rashod.ods", false, true},
        {"a template that is not there", "Dohod.ods", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Reset();
        opened.clear();
        opens = c.opens;
        EXPECT_EQ(templates.Open(c.file), c.opens && c.called);
        if (c.called)
            EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(Work(c.file))});
        else
            EXPECT_TRUE(opened.empty());
        if (c.opens && c.called)
            EXPECT_TRUE(boxes.Boxes().empty());
        else
            EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Info({"Ошибка при открытии", Work(c.file)})});
    }
}

TEST_F(Templates, RestoreCopiesEveryDefaultOverTheWorkingSetAndKeepsTheUsersOwnFiles) {
    WriteFileBytes(Default("Rashod.ods"), "default rashod");
    WriteFileBytes(Default("HelpShablon.odt"), "default help");
    WriteFileBytes(Default("Pictures/logo.png"), "default logo");
    WriteFileBytes(Work("Rashod.ods"), "edited by the user");
    WriteFileBytes(Work("Mine.ods"), "the user's own");

    boxes.AnswerNo();
    EXPECT_FALSE(templates.RestoreDefaults());
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Question(kRestoreQuestion, TMsgButton::Yes)});
    EXPECT_EQ(ReadFileBytes(Work("Rashod.ods")), "edited by the user");

    boxes.Reset();
    EXPECT_TRUE(templates.RestoreDefaults());
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Question(kRestoreQuestion, TMsgButton::Yes),
                                                    Info({"Шаблоны установлены по умолчанию"})}));
    EXPECT_EQ(ReadFileBytes(Work("Rashod.ods")), "default rashod");
    EXPECT_EQ(ReadFileBytes(Work("HelpShablon.odt")), "default help");
    EXPECT_EQ(ReadFileBytes(Work("Pictures/logo.png")), "default logo");
    EXPECT_EQ(ReadFileBytes(Work("Mine.ods")), "the user's own");
    // The restored copies stay the user's to edit.
    EXPECT_TRUE(QFileInfo(Work("Rashod.ods")).permissions() & QFile::WriteOwner);
}

TEST_F(Templates, RestoreMakesAWorkingFolderThatIsGone) {
    WriteFileBytes(Default("Dolg.ods"), "default dolg");
    EXPECT_TRUE(templates.RestoreDefaults());
    EXPECT_EQ(ReadFileBytes(Work("Dolg.ods")), "default dolg");
    EXPECT_EQ(boxes.Boxes().back(), Info({"Шаблоны установлены по умолчанию"}));
}

TEST_F(Templates, RestoreWithoutTheDefaultFolderStopsAndNamesIt) {
    WriteFileBytes(Work("Rashod.ods"), "edited by the user");
    EXPECT_FALSE(templates.RestoreDefaults());
    EXPECT_EQ(boxes.Boxes(),
              (std::vector<TMessage>{
                  Question(kRestoreQuestion, TMsgButton::Yes),
                  Info({"Восстановление прервано.", "Недоступна или отсутствует папка исходных шаблонов ",
                        home.ProgramData() + "/PageMaketDefault"})}));
    EXPECT_EQ(ReadFileBytes(Work("Rashod.ods")), "edited by the user");
}

TEST_F(Templates, ATemplateThatCannotBeReplacedIsToldAndTheOthersAreStillRestored) {
    WriteFileBytes(Default("Dohod.ods"), "default dohod");
    WriteFileBytes(Default("Rashod.ods"), "default rashod");
    WriteFileBytes(Default("Zakaz.ods"), "default zakaz");
    // A folder where the template should be: nothing can be written under its name.
    ASSERT_TRUE(QDir().mkpath(Work("Rashod.ods")));
    WriteFileBytes(Work("Rashod.ods/inside"), "kept");
    EXPECT_FALSE(templates.RestoreDefaults());
    EXPECT_EQ(boxes.Boxes().back(), Info({"Некоторые шаблоны не были восстановлены"}));
    EXPECT_EQ(ReadFileBytes(Work("Dohod.ods")), "default dohod");
    EXPECT_EQ(ReadFileBytes(Work("Zakaz.ods")), "default zakaz");
    EXPECT_EQ(ReadFileBytes(Work("Rashod.ods/inside")), "kept");
}
