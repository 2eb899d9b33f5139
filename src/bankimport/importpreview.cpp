#include "bankimport/importpreview.h"

#include "bankimport/statementfile.h"
#include "bankimport/statementtext.h"

#include <QMap>

namespace {

QString Operations(qsizetype n) {
    const qsizetype tens = n % 100, ones = n % 10;
    const char16_t* word = (tens >= 11 && tens <= 14) ? u"операций"
                           : ones == 1                ? u"операция"
                           : (ones >= 2 && ones <= 4) ? u"операции"
                                                      : u"операций";
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf16(word));
}

// Sums of several currencies are not added up: "120.00 RUB + 3.50 USD".
QString Sums(const QList<QString>& order, const QMap<QString, qint64>& sums) {
    if (order.size() <= 1) return FormatKopecks(order.isEmpty() ? 0 : sums.value(order.first()));
    QStringList parts;
    for (const QString& currency : order)
        parts << FormatKopecks(sums.value(currency)) + u' ' + currency;
    return parts.join(QStringLiteral(" + "));
}

QString Field(QString text) {
    text.replace(u'\t', u' ');
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text;
}

} // namespace

QStringList PreviewLines(const TStatement& st) {
    QStringList lines;
    lines.reserve(st.operations.size() + 1);
    QMap<QString, qint64> expenses, incomes;
    QList<QString> currencies;
    qsizetype notDone = 0;
    for (const TStatementOperation& op : st.operations) {
        lines << op.date.toString(QStringLiteral("dd.MM.yyyy")) + u'\t' + FormatKopecks(op.kopecks) + u'\t' +
                     Field(op.currency) + u'\t' + Field(op.description) + u'\t' + Field(op.state);
        if (!op.state.isEmpty()) {
            ++notDone;
            continue;
        }
        if (!currencies.contains(op.currency)) currencies << op.currency;
        (op.kopecks < 0 ? expenses : incomes)[op.currency] += qAbs(op.kopecks);
    }
    QString total =
        QStringLiteral("Итого: %1, расходы %2, доходы %3")
            .arg(Operations(st.operations.size()), Sums(currencies, expenses), Sums(currencies, incomes));
    if (notDone) total += QStringLiteral(", не проведено: %1").arg(notDone);
    if (!st.unrecognised.isEmpty()) {
        QStringList numbers;
        for (const TUnrecognisedLine& u : st.unrecognised)
            numbers << QString::number(u.line);
        total += QStringLiteral(", не распознаны строки: %1").arg(numbers.join(QStringLiteral(", ")));
    }
    lines << total;
    return lines;
}

QString PreviewError(const QString& file, const QString& why) {
    return QStringLiteral("Не удалось прочитать выписку «%1»: %2").arg(file, why);
}

int RunImportPreview(const QString& file, FILE* out, FILE* err) {
    if (file.isEmpty()) {
        std::fputs(
            QStringLiteral("Не указан файл выписки: vellumora --import-preview ФАЙЛ\n").toUtf8().constData(),
            err);
        return 2;
    }
    const TStatement st = ReadStatementFile(file);
    if (!st.Ok()) {
        std::fputs((PreviewError(file, st.error) + u'\n').toUtf8().constData(), err);
        return 2;
    }
    const QByteArray text = (PreviewLines(st).join(u'\n') + u'\n').toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), out);
    std::fflush(out);
    return 0;
}
