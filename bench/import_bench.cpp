// Recognising and parsing a bank statement of 100,000 operations, beside the floor under any reading of
// it: the file read and split into its lines.
#include "bankimport/statementfile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kOperations = 100000;

// A T-Bank export in Windows-1251 as the bank writes it: quoted cells, times, decimal commas, a purchase
// in dollars now and then, failed operations, descriptions of every length.
QString WriteStatement(const QTemporaryDir& dir) {
    static const char16_t* const shops[] = {u"Пятёрочка",          u"Перекрёсток", u"Яндекс Такси",
                                            u"АЗС Лукойл",         u"Аптека 36,6", u"STEAM GAMES",
                                            u"Кафе «Шоколадница»", u"ВкусВилл"};
    static const char16_t* const categories[] = {u"Супермаркеты", u"Транспорт", u"Аптеки", u"Развлечения"};
    QString text =
        QStringLiteral("\"Дата операции\";\"Дата платежа\";\"Номер карты\";\"Статус\";\"Сумма операции\";"
                       "\"Валюта операции\";\"Сумма платежа\";\"Валюта платежа\";\"Кэшбэк\";\"Категория\";"
                       "\"MCC\";\"Описание\";\"Бонусы (включая кэшбэк)\"\r\n");
    quint32 x = 2463534242u;
    for (int i = 0; i < kOperations; ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        const int day = int(x % 28) + 1, month = int(x / 28 % 12) + 1;
        const qint64 kopecks = qint64(x % 2000000) + 1;
        const bool income = x % 50 == 0, dollars = x % 40 == 1;
        const QString sum = QStringLiteral("%1%2,%3")
                                .arg(income ? "" : "-")
                                .arg(kopecks / 100)
                                .arg(kopecks % 100, 2, 10, QLatin1Char('0'));
        text +=
            QStringLiteral(
                "\"%1.%2.2026 %3:%4:05\";\"%1.%2.2026\";\"*%5\";\"%6\";\"%7\";\"%8\";\"%9\";\"RUB\";\"\";")
                .arg(day, 2, 10, QLatin1Char('0'))
                .arg(month, 2, 10, QLatin1Char('0'))
                .arg(int(x % 24), 2, 10, QLatin1Char('0'))
                .arg(int(x % 60), 2, 10, QLatin1Char('0'))
                .arg(1000 + x % 3)
                .arg(x % 97 == 0 ? "FAILED" : "OK")
                .arg(dollars ? QStringLiteral("-12,99") : sum)
                .arg(dollars ? "USD" : "RUB")
                .arg(sum);
        text += QStringLiteral("\"%1\";\"%2\";\"%3\";\"0,00\"\r\n")
                    .arg(QString::fromUtf16(categories[x % 4]))
                    .arg(5000 + x % 900)
                    .arg(QString::fromUtf16(shops[x / 7 % 8]) + QString(int(x % 40), u' ') + u'.');
    }
    const QString path = dir.filePath(QStringLiteral("statement.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    QStringEncoder cp1251("Windows-1251");
    file.write(cp1251(text));
    return path;
}

const QString& StatementPath() {
    static QTemporaryDir dir;
    static const QString path = WriteStatement(dir);
    return path;
}

void BM_ReadFileAndSplitLinesFloor(benchmark::State& st) {
    const QString path = StatementPath();
    for (auto _ : st) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) st.SkipWithError("no statement");
        const QByteArray bytes = file.readAll();
        qsizetype lines = 0, start = 0;
        while (start < bytes.size()) {
            qsizetype end = bytes.indexOf('\n', start);
            if (end < 0) end = bytes.size();
            benchmark::DoNotOptimize(QByteArrayView(bytes).sliced(start, end - start));
            ++lines;
            start = end + 1;
        }
        benchmark::DoNotOptimize(lines);
    }
    st.counters["operations"] = kOperations;
}
BENCHMARK(BM_ReadFileAndSplitLinesFloor)->Unit(benchmark::kMillisecond);

void BM_RecogniseAndParseStatement(benchmark::State& st) {
    const QString path = StatementPath();
    for (auto _ : st) {
        const TStatement statement = ReadStatementFile(path);
        if (statement.operations.size() != kOperations) st.SkipWithError("operations lost");
        benchmark::DoNotOptimize(statement.operations.data());
    }
    st.counters["operations"] = kOperations;
}
BENCHMARK(BM_RecogniseAndParseStatement)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
