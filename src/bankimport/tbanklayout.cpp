#include "bankimport/tbanklayout.h"

namespace {

QStringList Names(std::initializer_list<const char16_t*> names) {
    QStringList out;
    for (const char16_t* n : names)
        out << HeaderName(QString::fromUtf16(n));
    return out;
}

QList<TBankLayout> MakeLayouts() {
    QList<TBankLayout> layouts;

    TBankLayout tbank;
    tbank.format = QStringLiteral("Выписка Т-Банка (CSV)");
    tbank.signature = Names({u"Дата платежа", u"Номер карты", u"Сумма платежа", u"Валюта платежа"});
    tbank.date = Names({u"Дата операции"});
    // "Сумма операции" is in the currency of the purchase; "Сумма платежа" is what the card paid.
    tbank.amount = Names({u"Сумма платежа"});
    tbank.currency = Names({u"Валюта платежа"});
    tbank.description = Names({u"Описание"});
    tbank.category = Names({u"Категория"});
    tbank.mcc = Names({u"MCC"});
    tbank.status = Names({u"Статус"});
    tbank.card = Names({u"Номер карты"});
    tbank.defaultCurrency = QStringLiteral("RUB");
    layouts << tbank;

    TBankLayout sber;
    sber.format = QStringLiteral("Выписка Сбербанка (CSV)");
    sber.signature = Names({u"Дата обработки", u"Сумма в валюте счёта"});
    sber.date = Names({u"Дата операции (МСК)", u"Дата операции"});
    sber.amount = Names({u"Сумма в валюте счёта"});
    sber.currency = Names({u"Валюта счёта"});
    sber.description = Names({u"Описание операции", u"Описание"});
    sber.category = Names({u"Категория"});
    sber.status = Names({u"Статус"});
    sber.card = Names({u"Номер карты", u"Номер счёта"});
    sber.unsignedIsExpense = true;
    sber.defaultCurrency = QStringLiteral("RUB");
    layouts << sber;

    TBankLayout alfa;
    alfa.format = QStringLiteral("Выписка Альфа-Банка (CSV)");
    alfa.signature = Names({u"Референс проводки", u"Приход", u"Расход"});
    alfa.date = Names({u"Дата операции"});
    alfa.income = Names({u"Приход"});
    alfa.expense = Names({u"Расход"});
    alfa.currency = Names({u"Валюта"});
    alfa.description = Names({u"Описание операции"});
    alfa.card = Names({u"Номер счета"});
    alfa.reference = Names({u"Референс проводки"});
    alfa.pendingReference = QStringLiteral("HOLD");
    alfa.mccInDescription = true;
    alfa.defaultCurrency = QStringLiteral("RUB");
    layouts << alfa;

    TBankLayout vtb;
    vtb.format = QStringLiteral("Выписка ВТБ (CSV)");
    vtb.signature = Names({u"Сумма операции в валюте счета", u"Основание"});
    vtb.date = Names({u"Дата операции"});
    vtb.amount = Names({u"Сумма операции в валюте счета"});
    vtb.currency = Names({u"Валюта счета"});
    vtb.description = Names({u"Основание"});
    vtb.category = Names({u"Категория операции"});
    vtb.status = Names({u"Статус"});
    vtb.card = Names({u"Номер счета/карты"});
    vtb.defaultCurrency = QStringLiteral("RUB");
    layouts << vtb;

    return layouts;
}

} // namespace

const QList<TBankLayout>& BankLayouts() {
    static const QList<TBankLayout> layouts = MakeLayouts();
    return layouts;
}

QString HeaderName(QStringView cell) {
    QString s = cell.trimmed().toString();
    if (s.startsWith(QChar(0xfeff))) s.remove(0, 1);
    while (s.size() >= 2 && s.front() == s.back() && (s.front() == u'"' || s.front() == u'\''))
        s = s.mid(1, s.size() - 2);
    s = s.toLower().simplified();
    s.replace(u'ё', u'е');
    return s;
}

bool CarriedOutStatus(QStringView word) {
    static const QStringList done = {QStringLiteral("ok"),        QStringLiteral("success"),
                                     QStringLiteral("completed"), QStringLiteral("исполнено"),
                                     QStringLiteral("исполнена"), QStringLiteral("выполнено"),
                                     QStringLiteral("выполнена"), QStringLiteral("проведено"),
                                     QStringLiteral("проведена"), QStringLiteral("успешно")};
    word = word.trimmed();
    if (word.isEmpty()) return true;
    for (const QString& d : done)
        if (word.compare(d, Qt::CaseInsensitive) == 0) return true;
    return false;
}
