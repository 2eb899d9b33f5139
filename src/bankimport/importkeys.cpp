#include "bankimport/importkeys.h"

#include <QHash>

QStringList ImportKeys(const TStatement& st) {
    QStringList keys;
    keys.reserve(st.operations.size());
    QHash<QString, int> seen;
    for (const TStatementOperation& op : st.operations) {
        if (!op.reference.isEmpty()) {
            keys << QStringLiteral("ref|%1|%2").arg(op.account, op.reference);
            continue;
        }
        const QString base = QStringLiteral("op|%1|%2|%3|%4")
                                 .arg(op.account, op.date.toString(Qt::ISODate))
                                 .arg(op.kopecks)
                                 .arg(op.description.simplified());
        keys << base + QStringLiteral("|%1").arg(++seen[base]);
    }
    return keys;
}

QString MerchantWords(const QString& description) {
    static const QStringList countries = {QStringLiteral("rus"),    QStringLiteral("ru"),
                                          QStringLiteral("russia"), QStringLiteral("rf"),
                                          QStringLiteral("россия"), QStringLiteral("рф")};
    static const QStringList cities = {QStringLiteral("moscow"),     QStringLiteral("moskva"),
                                       QStringLiteral("москва"),     QStringLiteral("spb"),
                                       QStringLiteral("sankt"),      QStringLiteral("peterburg"),
                                       QStringLiteral("petersburg"), QStringLiteral("санкт"),
                                       QStringLiteral("петербург"),  QStringLiteral("спб")};
    QString text = description.toLower();
    text.replace(u'ё', u'е');
    QStringList words;
    QString word;
    bool masked = false; // the word holds a digit: a number, a date, a card mask
    const auto flush = [&] {
        if (!masked && word.size() > 1) words << word;
        word.clear();
        masked = false;
    };
    for (const QChar c : std::as_const(text)) {
        if (c.isLetter()) {
            word += c;
        } else if (c.isDigit()) {
            word += c;
            masked = true;
        } else {
            flush();
        }
    }
    flush();
    if (!words.isEmpty() && countries.contains(words.last())) {
        words.removeLast();
        // Card terminals write "MERCHANT CITY COUNTRY".
        if (words.size() > 1) words.removeLast();
    }
    static const QStringList currencies = {QStringLiteral("rur"), QStringLiteral("rub"),
                                           QStringLiteral("usd"), QStringLiteral("eur"),
                                           QStringLiteral("руб")};
    words.removeIf([](const QString& w) {
        return cities.contains(w) || countries.contains(w) || currencies.contains(w);
    });
    return words.join(u' ');
}
