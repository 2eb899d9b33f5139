#include "ui/tproblemsform.h"
#include "ui/tsettingsform.h"

#include "ledger/tmytype.h"
#include "messagerecorder.h"
#include "money/tfilters.h"
#include "testfolders.h"
#include "users/tbaselocation.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct TSettingsFixture {
    TTestDataHome home;
    TMyType state;
    TFilters filters{state};
    TBaseLocation location{state, filters};
    QMainWindow owner;
    std::unique_ptr<TSettingsForm> form;

    TSettingsFixture() {
        state.paths.programDataFolder = home.ProgramData();
        state.paths.dataRoot = home.ProgramData() + "/";
        state.paths.backupCopyFolder = home.Share() + "/QuorvaneCopy/";
        QDir().mkpath(state.BaseRoot());
        form = std::make_unique<TSettingsForm>(location, state.paths);
        owner.resize(800, 600);
        owner.show();
        form->ShowOver(&owner);
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
    }
};

} // namespace

TEST(SettingsForm, ShowsWhereTheBasesAreAndKeepsTheMainWindowDisabledWhileOpen) {
    TSettingsFixture f;
    TSettingsForm& form = *f.form;
    EXPECT_EQ(form.windowTitle(), "Настройки");
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.minimumSize(), QSize(400, 250));
    EXPECT_EQ(form.BasePathEdit()->objectName(), "BasePathEdit");
    EXPECT_EQ(form.BaseCopyPathEdit()->objectName(), "BaseCopyPathEdit");
    EXPECT_TRUE(form.SaveButton()->isDefault());
    EXPECT_EQ(form.SaveButton()->text(), "Сохранить");
    EXPECT_EQ(form.BaseButton()->text(), "Выбрать папку");

    EXPECT_FALSE(f.owner.isEnabled());
    EXPECT_EQ(form.BasePathEdit()->text(), f.state.paths.dataRoot);
    EXPECT_EQ(form.BaseCopyPathEdit()->toolTip(), f.state.paths.backupCopyFolder);
    EXPECT_EQ(form.BasePathEdit()->cursorPosition(), f.state.paths.dataRoot.size());
    for (int width : {400, 700, 1200}) {
        form.resize(width, 250);
        EXPECT_LE(form.BasePathEdit()->width(), 500);
        EXPECT_EQ(form.BaseButton()->x(), form.BasePathEdit()->geometry().right() + 1 + 15);
        EXPECT_LE(form.BaseButton()->geometry().right(), width);
    }

    // Typed text is forgotten when the dialog closes; the next showing starts from where things are.
    form.BasePathEdit()->setText("/elsewhere");
    EXPECT_EQ(form.BasePathEdit()->toolTip(), "/elsewhere");
    form.close();
    EXPECT_TRUE(f.owner.isEnabled());
    form.ShowOver(&f.owner);
    EXPECT_EQ(form.BasePathEdit()->text(), f.state.paths.dataRoot);
    EXPECT_FALSE(f.owner.isEnabled());
    form.reject();
    EXPECT_TRUE(f.owner.isEnabled());
}

// On Linux "/" and "." make a path and any other printable character may stand in a folder name: the
// fields take what is typed, and "Сохранить" judges the path.
TEST(SettingsForm, LinuxPathsAreTypedAsTheyAreAndJudgedOnSave) {
    TSettingsFixture f;
    TSettingsForm& form = *f.form;
    TMessageRecorder boxes;
    const QString typed = "/home/мама/Книги.2024, копия+1/*?:|<>\"\\";
    for (QLineEdit* field : {form.BasePathEdit(), form.BaseCopyPathEdit()}) {
        SCOPED_TRACE(field->objectName().toStdString());
        field->setFocus();
        field->clear();
        for (QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
        EXPECT_EQ(field->text(), typed);
    }
    EXPECT_EQ(boxes.Beeps(), 0);

    form.BasePathEdit()->setText("Книги");
    QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Укажите полный путь к папке",
                                                          "\"Папка для хранения баз программы\".",
                                                          "Полный путь начинается с символа \"/\"."})});
    EXPECT_TRUE(form.isVisible());
}

TEST(SettingsForm, TheFolderPickerFillsTheFieldAndSaveHandsBothFieldsOn) {
    TSettingsFixture f;
    TSettingsForm& form = *f.form;
    QStringList starts;
    QString answer = f.home.Path() + "/Книги";
    form.pickFolder = [&](QWidget*, const QString& start) {
        starts << start;
        return answer;
    };
    QTest::mouseClick(form.BaseButton(), Qt::LeftButton);
    EXPECT_EQ(form.BasePathEdit()->text(), answer);
    EXPECT_EQ(form.BasePathEdit()->selectedText(), answer);
    EXPECT_EQ(QApplication::focusWidget(), form.BasePathEdit());
    answer.clear(); // cancelled: the field keeps its text
    QTest::mouseClick(form.CopyButton(), Qt::LeftButton);
    EXPECT_EQ(form.BaseCopyPathEdit()->text(), f.state.paths.backupCopyFolder);
    EXPECT_EQ(starts, (QStringList{f.state.paths.dataRoot, f.state.paths.backupCopyFolder}));

    // A refused folder keeps the dialog open; an unchanged one closes it without a word.
    TMessageRecorder boxes;
    form.BaseCopyPathEdit()->setText(f.state.paths.dataRoot + "BASE/Копии");
    QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.Boxes().size(), 1u) << ::testing::PrintToString(boxes.Boxes());
    EXPECT_EQ(boxes.Boxes()[0].lines.value(0), "Папка для резервных копий не может быть вложена");
    EXPECT_TRUE(form.isVisible());
    boxes.Reset();
    form.BasePathEdit()->setText(f.state.paths.dataRoot);
    form.BaseCopyPathEdit()->setText(f.state.paths.backupCopyFolder);
    QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(f.owner.isEnabled());
}

TEST(ProblemsForm, ShowsAFreshReportEachTimeItShows) {
    int runs = 0;
    TProblemsForm form([&] {
        ++runs;
        return QStringList{"Неполадок не обнаружено.", QString::number(runs)};
    });
    EXPECT_EQ(form.windowTitle(), "Возможные неполадки");
    EXPECT_EQ(form.OkButton()->text(), "Ok");
    EXPECT_TRUE(form.ReportView()->isReadOnly());
    EXPECT_EQ(form.ReportView()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    form.show();
    EXPECT_EQ(form.ReportView()->toPlainText(), "Неполадок не обнаружено.\n1");
    QTest::mouseClick(form.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_EQ(form.ReportView()->toPlainText(), "Неполадок не обнаружено.\n2");
    form.hide();
}
