// "Печать таблицы" from the main window: the print dialog answered with a PDF file, which pdftotext
// then reads back; the busy panel watched as it is drawn.
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "pdftestkit.h"
#include "qtprint.h"
#include "ui/tanalysispage.h"
#include "ui/tcelleditors.h"
#include "ui/tprintcommands.h"
#include "users/passwordcode.h"

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <optional>

namespace {

QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The printout's lines as pdftotext lays them out, blank ones dropped.
QStringList PdfLines(const QString& pdf) {
    QStringList lines;
    for (const QString& line : Run("pdftotext", {"-layout", pdf, "-"}).split('\n'))
        if (!line.trimmed().isEmpty()) lines << line.trimmed();
    return lines;
}

int PdfPages(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression("^Pages:\\s+(\\d+)", QRegularExpression::MultilineOption)
            .match(Run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The line holding every one of the texts, or nothing.
std::optional<QString> LineWith(const QStringList& lines, const QStringList& texts) {
    for (const QString& line : lines) {
        bool all = true;
        for (const QString& t : texts)
            all = all && line.contains(t);
        if (all) return line;
    }
    return std::nullopt;
}

std::string Dump(const QStringList& lines) {
    return lines.join('\n').toStdString();
}

// What the busy panel showed each time it was drawn.
struct TPanelSight {
    QString text;
    QRect geometry;
    bool visible;
};

class PanelWatch : public QObject {
public:
    PanelWatch() { qApp->installEventFilter(this); }
    ~PanelWatch() override { qApp->removeEventFilter(this); }
    std::vector<TPanelSight> seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->objectName() == "PrintBusyPanel") {
            const auto* label = qobject_cast<QLabel*>(watched);
            if (label) seen.push_back({label->text(), label->geometry(), label->isVisible()});
        }
        return false;
    }
};

// Three expenses, two of them today; a debt with one return; Мама with a password.
class Print : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}, {"копилка", "1", "0", "0"}});
        WriteTable("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                              {"01.12.2026", "Дом", "Посуда", "30", "рубль", "", "Мама"},
                              {"10.12.2026", "Еда", "Кофе", "40", "рубль", "к чаю", "Мама"}});
        WriteTable("dohod", {{"05.12.2026", "Зарплата", "", "5000", "рубль", "", "Мама"}});
        WriteTable("dolg",
                   {{"дано в долг", "01.12.2026", "", "Петя", "1000", "рубль", "", "отображать", "Мама"}});
        WriteTable("Debt/debt0", {{"05.12.2026", "300", "рубль"}});
        WriteTable("../user", {{"Мама", "Семья", "1", PasswordCode("секрет")}});
    }
    void SetUp() override {
        MainWindowFixture::SetUp();
        // The busy panel is drawn at once only on a window the platform shows.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        commands = form->findChild<TPrintCommands*>();
        ASSERT_NE(commands, nullptr);
        commands->choosePrinter = [this](QPrinter& printer) {
            ++asked;
            if (answer.isEmpty()) return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(answer);
            return true;
        };
        answer = home.Path() + "/printout.pdf";
    }
    void F11() { WindowKey(Qt::Key_F11); }
    TPanelSight ExpectedPanel() const {
        const QFontMetrics fm(form->font());
        const int w = fm.horizontalAdvance(TPrintCommands::BusyText()) + 100;
        const int h = fm.height() + 100;
        return {TPrintCommands::BusyText(),
                QRect((form->width() - w) / 2, (form->height() - h) / 2 - 100, w, h), true};
    }
    bool PanelGone() const { return form->findChildren<QLabel*>("PrintBusyPanel").isEmpty(); }

    TPrintCommands* commands = nullptr;
    int asked = 0;
    QString answer; // the PDF the dialog prints to; empty: the dialog is cancelled
};

void ExpectPanel(const std::vector<TPanelSight>& seen, const TPanelSight& expected) {
    ASSERT_FALSE(seen.empty()) << "the busy panel was never drawn";
    for (const TPanelSight& s : seen) {
        EXPECT_EQ(s.text, expected.text);
        EXPECT_EQ(s.geometry, expected.geometry);
        EXPECT_TRUE(s.visible);
    }
}

} // namespace

TEST_F(Print, F11OnFilteredExpensesPrintsTitleCaptionsAndTheRowsShownBehindTheBusyPanel) {
    TMessageRecorder boxes;
    PanelWatch panel;
    ui.Menu()->Item("FilterMoneyMenu")->trigger();
    TDataGrid& rashod = context.state.Grid(TTableKind::Rashod);
    ASSERT_TRUE(rashod.filterActive);
    // The sum of the first expense shown is being typed over when F11 comes.
    Rashod()->setFocus();
    rashod.col = 3;
    rashod.row = 1;
    Rashod()->ShowCell(3, 1);
    ASSERT_EQ(rashod.RowAt(1)->Cell(2), "Хлеб");
    Key(Qt::Key_Return);
    Type("25");
    ASSERT_TRUE(context.editors.IsOpen());
    F11();

    EXPECT_FALSE(context.editors.IsOpen());
    EXPECT_EQ(rashod.RowAt(1)->Cell(3), "25");
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    ExpectPanel(panel.seen, ExpectedPanel());
    EXPECT_TRUE(PanelGone());

    const QStringList lines = PdfLines(answer);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0], "Таблица расходов Фильтр - \"Сегодня\"");
    EXPECT_TRUE(LineWith(lines, rashod.Captions)) << Dump(lines);
    EXPECT_TRUE(LineWith(lines, {"10.12.2026", "Еда", "Хлеб", "25", "рубль", "Мама"})) << Dump(lines);
    EXPECT_TRUE(LineWith(lines, {"10.12.2026", "Еда", "Кофе", "40", "рубль", "к чаю", "Мама"}))
        << Dump(lines);
    EXPECT_FALSE(LineWith(lines, {"Посуда"})) << "filtered out:\n" << Dump(lines);
    // The caption row, two records and nothing for the empty new-record row.
    EXPECT_EQ(lines.size(), 4) << Dump(lines);
    EXPECT_EQ(PdfPages(answer), 1);
}

TEST_F(Print, EachPagePrintsItsOwnTableUnderItsTitle) {
    TMessageRecorder boxes;
    const auto section = [this](Qt::Key key) { return [this, key] { WindowKey(key); }; };
    const auto baseTab = [this](int tab, std::function<TLedgerGrid*()> focus = nullptr) {
        return [this, tab, focus] {
            WindowKey(Qt::Key_F7);
            ui.BaseTabs()->setCurrentIndex(tab);
            if (focus) focus()->setFocus();
        };
    };
    const struct {
        const char* what;
        std::function<void()> show;
        QString title;
        std::vector<QStringList> rows; // each a line of the printout holding these texts
        QStringList absent;            // texts found nowhere in the printout
    } cases[] = {
        {"expenses",
         section(Qt::Key_F2),
         "Таблица расходов",
         {{"Дата", "Сумма"}, {"01.12.2026", "Посуда"}},
         {}},
        {"incomes", section(Qt::Key_F3), "Таблица доходов", {{"05.12.2026", "Зарплата", "5000"}}, {"Хлеб"}},
        {"debts", section(Qt::Key_F4), "Таблица долгов", {{"Петя", "1000", "рубль"}}, {}},
        {"debt returns",
         [this] {
             WindowKey(Qt::Key_F4);
             ui.Grid(TTableKind::Returns)->setFocus();
         },
         "Таблица долгов",
         {{"05.12.2026", "300", "рубль"}},
         {"Петя"}},
        {"expense plans",
         [this] {
             WindowKey(Qt::Key_F5);
             ui.PlanTabs()->setCurrentIndex(0);
         },
         "Таблица планов",
         {{"Вид расхода"}},
         {"Хлеб"}},
        {"analysis", section(Qt::Key_F6), "Анализ", {{"Еда", "140"}, {"Дом", "30"}, {"Итого:", "170"}}, {}},
        {"expense kinds", baseTab(0), "Базы", {{"Еда", "Дом"}, {"Конфеты", "Посуда"}, {"Хлеб"}}, {"рубль"}},
        {"purses",
         baseTab(2, [this] { return ui.PursePage()->PurseGrid(); }),
         "Базы",
         {{"копилка"}},
         {"Хлеб"}},
        {"users", baseTab(3), "Базы", {{"Мама", "Семья"}}, {PasswordCode("секрет")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(answer);
        c.show();
        F11();
        const QStringList lines = PdfLines(answer);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines[0], c.title);
        for (const QStringList& row : c.rows)
            EXPECT_TRUE(LineWith(lines, row)) << row.join(", ").toStdString() << " in\n" << Dump(lines);
        for (const QString& text : c.absent)
            EXPECT_FALSE(LineWith(lines, {text})) << text.toStdString() << " in\n" << Dump(lines);
    }
    // The analysis ends with its total row.
    WindowKey(Qt::Key_F6);
    F11();
    EXPECT_TRUE(PdfLines(answer).constLast().contains("Итого:")) << Dump(PdfLines(answer));
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Dates and sums squeezed on screen print whole; the kind and the name columns, whose texts fit their
// shares, keep the screen's proportions between them.
TEST_F(Print, TheColumnsFollowTheScreenButNeverCutADateASumOrACaption) {
    QHeaderView* header = Rashod()->horizontalHeader();
    const int widths[] = {5, 200, 400, 5, 100, 100, 150};
    for (int c = 0; c < 7; ++c)
        header->resizeSection(c, widths[c]);
    F11();
    const std::vector<TPdfPage> pages = ReadPdf(answer);
    ASSERT_EQ(pages.size(), 1u);
    QStringList texts;
    for (const TPdfLine& line : pages[0].lines) {
        texts << line.Text();
        EXPECT_EQ(line.Crowded(), nullptr) << line.Text().toStdString();
        EXPECT_LE(line.words.back().right, pages[0].width * 0.95) << line.Text().toStdString();
    }
    EXPECT_EQ(texts,
              QStringList({"Таблица расходов", context.state.Grid(TTableKind::Rashod).Captions.join(' '),
                           "01.12.2026 Дом Посуда 30 рубль Мама", "10.12.2026 Еда Хлеб 100 рубль Мама",
                           "10.12.2026 Еда Кофе 40 рубль к чаю Мама"}));
    // A caption stands at its box's left edge plus half a space: the gaps between them are the boxes.
    const TPdfLine& captions = pages[0].lines[1];
    const auto left = [&](const QString& word) {
        for (const TPdfWord& w : captions.words)
            if (w.text == word) return w.left;
        ADD_FAILURE() << word.toStdString();
        return 0.0;
    };
    EXPECT_NEAR((left("Сумма") - left("Название")) / (left("Название") - left("Вид")), 2.0, 0.02);
}

TEST_F(Print, CancelPrintsNothingAndShowsNothing) {
    TMessageRecorder boxes;
    PanelWatch panel;
    answer.clear();
    F11();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(panel.seen.empty());
    EXPECT_TRUE(PanelGone());
    EXPECT_TRUE(QDir(home.Path()).entryList({"*.pdf"}).isEmpty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Print, AFailingPrinterIsToldAndTheBusyPanelGoes) {
    TMessageRecorder boxes;
    PanelWatch panel;
    answer = home.Path() + "/no such folder/printout.pdf";
    F11();
    ExpectPanel(panel.seen, ExpectedPanel());
    EXPECT_TRUE(PanelGone());
    EXPECT_FALSE(QFile::exists(answer));
    EXPECT_EQ(boxes.Boxes(),
              std::vector<TMessage>{Error({"Не удалось напечатать таблицу.",
                                           "Проверьте принтер или папку файла и повторите печать."})});
    EXPECT_TRUE(form->isEnabled());
}
