#include "messagerecorder.h"
#include "testfolders.h"
#include "ui/thelpcommand.h"

#include <gtest/gtest.h>

TEST(Help, TheBuildWritesTheHelpDocumentBesideTheProgram) {
    const QString program = qEnvironmentVariable("VELLUMORA_PROGRAM_DIR");
    if (program.isEmpty()) GTEST_SKIP() << "run through ctest";
    EXPECT_TRUE(ReadFileBytes(program + "/" + HelpFileName()).startsWith("%PDF"));
}

// Without the document or a viewer the message names the file, so that it can be found by hand.
TEST(Help, F1OpensTheDocumentOrSaysWhyNotNamingTheFile) {
    TTestDataHome home;
    const QString file = home.Path() + "/" + HelpFileName();
    TMessageRecorder boxes;
    QUrl opened;
    OpenHelp(home.Path(), [&](const QUrl& url) {
        opened = url;
        return true;
    });
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Файл помощи не найден", file})});
    WriteFileBytes(file, "%PDF-1.4");
    boxes.Reset();
    OpenHelp(home.Path(), [&](const QUrl& url) {
        opened = url;
        return true;
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(opened.toLocalFile(), home.Path() + "/Vellumora.pdf");
    OpenHelp(home.Path(), [](const QUrl&) { return false; });
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Ошибка при открытии pdf-файла", file})});
}
