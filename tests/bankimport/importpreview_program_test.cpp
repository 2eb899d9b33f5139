// The program reads a statement for a script: started with no display and no base, it prints the
// operations or says why it cannot.
#include "fixtures.h"

#include "qtprint.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

struct TRun {
    int exitCode = -1;
    QString out, err;
};

TRun Preview(const QStringList& arguments) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("VELLUMORA_PROGRAM_DIR") + QStringLiteral("/vellumora"),
            QStringList{QStringLiteral("--import-preview")} + arguments);
    EXPECT_TRUE(p.waitForFinished(60000));
    TRun run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

TEST(ImportPreviewProgram, PrintsOneLinePerOperationAndTheTotals) {
    const std::pair<const char*, QString> cases[] = {
        {"tbank.csv",
         QStringLiteral("31.01.2026\t-1234.56\tRUB\tПятёрочка\t\n"
                        "30.01.2026\t-500.00\tRUB\tЯндекс Такси\tFAILED\n"
                        "29.01.2026\t-925.50\tRUB\tSTEAM GAMES\t\n"
                        "28.01.2026\t50000.00\tRUB\tЗарплата \"ООО Ромашка\"\t\n"
                        "27.01.2026\t-89.90\tRUB\tПятёрочка\t\n"
                        "Итого: 5 операций, расходы 2249.96, доходы 50000.00, не проведено: 1\n")},
        {"two_accounts.ofx", QStringLiteral("15.01.2026\t-1234.56\tRUB\tПЯТЁРОЧКА 123, Москва\t\n"
                                            "20.01.2026\t50000.00\tRUB\tЗарплата & премия\t\n"
                                            "21.01.2026\t-1000.00\tRUB\tНа карту\t\n"
                                            "31.01.2026\t-10.10\tUSD\tShop\t\n"
                                            "30.01.2026\t-21.70\tUSD\tHotel\t\n"
                                            "Итого: 5 операций, расходы 2234.56 RUB + 31.80 USD, "
                                            "доходы 50000.00 RUB + 0.00 USD\n")},
        {"bank.qif", QStringLiteral("01.12.2026\t-1234.56\t\tАШАН, Продукты на неделю\t\n"
                                    "02.12.2026\t-2000.00\t\tМВидео, Наушники\t\n"
                                    "02.12.2026\t-1000.00\t\tМВидео\t\n"
                                    "31.12.2025\t15000.00\t\tЗарплата\t\n"
                                    "Итого: 4 операции, расходы 4234.56, доходы 15000.00, "
                                    "не распознаны строки: 26\n")},
    };
    for (const auto& [fixture, out] : cases) {
        const TRun run = Preview({FixturePath(QString::fromLatin1(fixture))});
        EXPECT_EQ(run.exitCode, 0) << fixture;
        EXPECT_EQ(run.out, out) << fixture;
        EXPECT_EQ(run.err, QString()) << fixture;
    }
}

TEST(ImportPreviewProgram, AFileItCannotReadExitsWithTwoAndSaysWhy) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("нет такой.csv"));
    const std::pair<QStringList, QString> cases[] = {
        {{FixturePath(QStringLiteral("truncated.ofx"))},
         QStringLiteral("Не удалось прочитать выписку «%1»: файл OFX обрывается, не дописан до конца\n")
             .arg(FixturePath(QStringLiteral("truncated.ofx")))},
        {{missing}, QStringLiteral("Не удалось прочитать выписку «%1»: файла нет\n").arg(missing)},
        {{}, QStringLiteral("Не указан файл выписки: vellumora --import-preview ФАЙЛ\n")},
    };
    for (const auto& [arguments, err] : cases) {
        const TRun run = Preview(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, QString());
        EXPECT_EQ(run.err, err);
    }
    // Nothing was written where a base would be.
    EXPECT_FALSE(QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Quorvane")).exists());
}

} // namespace
