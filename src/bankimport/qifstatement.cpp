#include "bankimport/qifstatement.h"

#include "bankimport/statementtext.h"

namespace {

struct TSplit {
    QString category, memo, amount;
    int line = 0;
};

struct TRecord {
    QString date, amount, payee, memo, category, account;
    QList<TSplit> splits;
    int line = 0;
};

// Slashed dates are month first, as Quicken writes them, unless a file has a first number above 12.
struct TQifDate {
    int a = 0, b = 0, year = 0;
    QChar separator;
    bool ok = false;
};

TQifDate SplitDate(const QString& text) {
    TQifDate d;
    QString s = text;
    s.remove(u' ');
    // The apostrophe stands before a year of this century: 12/01'26.
    const bool apostrophe = s.contains(u'\'');
    s.replace(u'\'', u'/');
    for (const QChar c : {QChar(u'.'), QChar(u'/'), QChar(u'-')}) {
        const QStringList parts = s.split(c);
        if (parts.size() != 3) continue;
        bool okA = false, okB = false, okY = false;
        d.a = parts[0].toInt(&okA);
        d.b = parts[1].toInt(&okB);
        d.year = parts[2].toInt(&okY);
        if (!okA || !okB || !okY) return d;
        if (parts[0].size() == 4) { // yyyy-MM-dd: the day in a, the month in b, as for dd.MM.yyyy
            d.year = parts[0].toInt();
            d.a = parts[2].toInt();
        } else if (parts[2].size() <= 2) {
            d.year = apostrophe || d.year < 70 ? 2000 + d.year : 1900 + d.year;
        }
        d.separator = parts[0].size() == 4 ? QChar(u'-') : c;
        d.ok = true;
        return d;
    }
    return d;
}

QString Joined(const QString& payee, const QString& memo) {
    if (memo.isEmpty() || memo == payee) return payee;
    if (payee.isEmpty()) return memo;
    return payee + QStringLiteral(", ") + memo;
}

} // namespace

TStatement ReadQifStatement(const QString& text) {
    TStatement st;
    st.format = statementformat::kQif;
    const QStringList lines = text.split(u'\n');
    QList<TRecord> records;
    TRecord record;
    bool started = false;
    bool bankSection = false, accountSection = false, anyBankSection = false;
    QString account;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty()) continue;
        const QChar code = line[0];
        const QString value = line.mid(1).simplified();
        if (code == u'!') {
            const QString header = line.toLower().remove(u' ');
            accountSection = header == u"!account";
            bankSection = header == u"!type:bank" || header == u"!type:cash" || header == u"!type:ccard";
            anyBankSection = anyBankSection || bankSection;
            record = TRecord();
            started = false;
            continue;
        }
        if (accountSection) {
            if (code == u'N') account = value;
            continue;
        }
        if (!bankSection) continue;
        if (!started) {
            record = TRecord();
            record.line = i + 1;
            record.account = account;
            started = true;
        }
        switch (code.unicode()) {
        case u'D':
            record.date = value;
            break;
        case u'T':
        case u'U':
            record.amount = value;
            break;
        case u'P':
            record.payee = value;
            break;
        case u'M':
            record.memo = value;
            break;
        case u'L':
            record.category = value;
            break;
        case u'S':
            record.splits << TSplit{value, {}, {}, i + 1};
            break;
        case u'E':
            if (!record.splits.isEmpty()) record.splits.last().memo = value;
            break;
        case u'$':
            if (!record.splits.isEmpty()) record.splits.last().amount = value;
            break;
        case u'^':
            records << record;
            started = false;
            break;
        default:
            break;
        }
    }
    if (started) records << record; // the last record of a file cut short of its "^"
    if (!anyBankSection) {
        st.error = QStringLiteral("в файле QIF нет счёта банка, наличных или кредитной карты");
        return st;
    }
    bool dayFirst = false;
    for (const TRecord& r : std::as_const(records)) {
        const TQifDate d = SplitDate(r.date);
        if (d.ok && d.separator == u'/' && d.a > 12) dayFirst = true;
    }
    for (const TRecord& r : std::as_const(records)) {
        QString why;
        const TQifDate d = SplitDate(r.date);
        QDate date;
        if (r.date.isEmpty())
            why = QStringLiteral("нет даты");
        else if (!d.ok)
            why = QStringLiteral("не дата: «%1»").arg(r.date);
        else if (d.separator == u'/' && !dayFirst)
            date = CheckedDate(d.year, d.a, d.b, r.date, &why);
        else
            date = CheckedDate(d.year, d.b, d.a, r.date, &why);
        const auto fail = [&](int line, const QString& reason) {
            st.unrecognised << TUnrecognisedLine{line, reason};
        };
        if (!date.isValid()) {
            fail(r.line, why);
            continue;
        }
        TStatementOperation op;
        op.date = date;
        op.account = r.account;
        if (r.splits.isEmpty()) {
            const auto sum = r.amount.isEmpty() ? std::nullopt : ParseKopecks(r.amount, &why);
            if (!sum) {
                fail(r.line, r.amount.isEmpty() ? QStringLiteral("нет суммы") : why);
                continue;
            }
            op.kopecks = *sum;
            op.description = Joined(r.payee, r.memo);
            op.category = r.category;
            op.line = r.line;
            st.operations << op;
            continue;
        }
        for (const TSplit& split : r.splits) {
            const auto sum = ParseKopecks(split.amount, &why);
            if (!sum) {
                fail(split.line, split.amount.isEmpty() ? QStringLiteral("нет суммы") : why);
                continue;
            }
            TStatementOperation part = op;
            part.kopecks = *sum;
            part.description = Joined(r.payee, split.memo.isEmpty() ? r.memo : split.memo);
            part.category = split.category;
            part.line = split.line;
            st.operations << part;
        }
    }
    return st;
}
