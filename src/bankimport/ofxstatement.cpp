#include "bankimport/ofxstatement.h"

#include "bankimport/statementtext.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

// Wide enough for a sum in kopecks times a rate with eight decimals.
__extension__ typedef __int128 TWide;

QString Entities(QStringView raw) {
    if (!raw.contains(u'&')) return raw.toString();
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const qsizetype end = raw[i] == u'&' ? raw.indexOf(u';', i) : -1;
        if (end < 0 || end - i > 10) {
            out += raw[i];
            continue;
        }
        const QStringView name = raw.mid(i + 1, end - i - 1);
        char16_t c = 0;
        if (name == u"amp")
            c = u'&';
        else if (name == u"lt")
            c = u'<';
        else if (name == u"gt")
            c = u'>';
        else if (name == u"quot")
            c = u'"';
        else if (name == u"apos")
            c = u'\'';
        else if (name == u"nbsp")
            c = 0xa0;
        else if (name.startsWith(u"#x") || name.startsWith(u"#X"))
            c = char16_t(name.mid(2).toUInt(nullptr, 16));
        else if (name.startsWith(u'#'))
            c = char16_t(name.mid(1).toUInt());
        if (c == 0) {
            out += raw[i];
            continue;
        }
        out += QChar(c);
        i = end;
    }
    return out;
}

// The code page an SGML header names ("CHARSET:1252"), when the bytes are not UTF-8 already.
QString Redecoded(const QString& text, const QByteArray& bytes) {
    static const QRegularExpression charset(QStringLiteral("CHARSET:\\s*([A-Za-z0-9-]+)"));
    const QString head = text.left(1024);
    if (head.contains(QLatin1String("<?xml"))) return text;
    const QString name = charset.match(head).captured(1).toUpper();
    if (name != u"1252" && name != u"ISO-8859-1" && name != u"8859-1") return text;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString asUtf8 = utf8(bytes);
    return utf8.hasError() ? DecodeWithCodePage(bytes, "Windows-1252") : asUtf8;
}

struct TOfxOperation {
    QString posted, user, amount, fitid, name, payeeName, memo, sic, rate;
    bool foreign = false; // the sum is in another currency, CURRATE turns it into the account's
    int line = 0;
};

// The day an OFX date names: its first eight digits, whatever time and zone follow.
QDate OfxDate(const QString& text, QString* why) {
    if (text.size() < 8) {
        if (why) *why = QStringLiteral("не дата: «%1»").arg(text);
        return {};
    }
    bool okY = false, okM = false, okD = false;
    const int y = text.left(4).toInt(&okY), m = text.mid(4, 2).toInt(&okM), d = text.mid(6, 2).toInt(&okD);
    if (!okY || !okM || !okD) {
        if (why) *why = QStringLiteral("не дата: «%1»").arg(text);
        return {};
    }
    return CheckedDate(y, m, d, text, why);
}

} // namespace

TStatement ReadOfxStatement(const QString& decoded, const QByteArray& bytes) {
    TStatement st;
    st.format = statementformat::kOfx;
    const QString text = Redecoded(decoded, bytes);
    const qsizetype body = text.indexOf(QLatin1String("<OFX>"), 0, Qt::CaseInsensitive);
    if (body < 0) {
        st.error = QStringLiteral("в файле OFX нет раздела <OFX>");
        return st;
    }
    int line = 1 + int(QStringView(text).left(body).count(u'\n'));
    qsizetype counted = body;
    const auto lineAt = [&](qsizetype at) {
        line += int(QStringView(text).mid(counted, at - counted).count(u'\n'));
        counted = at;
        return line;
    };

    QString account, currency;
    bool inFrom = false, inTransaction = false, inPayee = false, inCurrency = false;
    bool closed = false;
    TOfxOperation op;
    QString element; // the element whose value is being read
    qsizetype i = body;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype open = text.indexOf(u'<', i);
        const qsizetype valueEnd = open < 0 ? n : open;
        if (!element.isEmpty()) {
            const QString value = Entities(QStringView(text).mid(i, valueEnd - i).trimmed()).simplified();
            if (!value.isEmpty()) {
                if (inTransaction) {
                    if (element == u"DTPOSTED")
                        op.posted = value;
                    else if (element == u"DTUSER")
                        op.user = value;
                    else if (element == u"TRNAMT")
                        op.amount = value;
                    else if (element == u"FITID")
                        op.fitid = value;
                    else if (element == u"NAME")
                        (inPayee ? op.payeeName : op.name) = value;
                    else if (element == u"MEMO")
                        op.memo = value;
                    else if (element == u"SIC")
                        op.sic = value;
                    else if (element == u"CURRATE" && inCurrency)
                        op.rate = value;
                } else if (element == u"CURDEF") {
                    currency = NormalCurrency(value);
                } else if (element == u"ACCTID" && inFrom) {
                    account = value;
                }
            }
            element.clear();
        }
        if (open < 0) break;
        const qsizetype close = text.indexOf(u'>', open);
        if (close < 0) break;
        i = close + 1;
        QStringView tag = QStringView(text).mid(open + 1, close - open - 1).trimmed();
        if (tag.startsWith(u'?') || tag.startsWith(u'!')) continue;
        const bool closing = tag.startsWith(u'/');
        if (closing) tag = tag.mid(1).trimmed();
        if (tag.endsWith(u'/')) continue; // an empty XML element
        const QString name = tag.toString().toUpper();
        if (name == u"BANKACCTFROM" || name == u"CCACCTFROM") {
            inFrom = !closing;
        } else if (name == u"PAYEE") {
            inPayee = !closing;
        } else if (name == u"CURRENCY" || name == u"ORIGCURRENCY") {
            // With CURRENCY the sums are in that currency; with ORIGCURRENCY already in the account's.
            inCurrency = !closing;
            if (!closing && inTransaction && name == u"CURRENCY") op.foreign = true;
        } else if (name == u"STMTRS" || name == u"CCSTMTRS") {
            if (!closing) account.clear(), currency.clear();
        } else if (name == u"STMTTRN") {
            if (!closing) {
                op = TOfxOperation();
                op.line = lineAt(open);
                inTransaction = true;
                continue;
            }
            inTransaction = false;
            TStatementOperation out;
            out.line = op.line;
            out.account = account;
            out.currency = currency;
            out.reference = op.fitid;
            out.mcc = op.sic;
            const QString payee = op.name.isEmpty() ? op.payeeName : op.name;
            out.description = op.memo.isEmpty() || op.memo == payee ? payee
                              : payee.isEmpty()                     ? op.memo
                                                                    : payee + QStringLiteral(", ") + op.memo;
            QString why;
            // The day the operation was made, where the bank gives it, rather than the day it was posted.
            out.date = OfxDate(op.user.isEmpty() ? op.posted : op.user, &why);
            std::optional<qint64> sum;
            if (out.date.isValid()) {
                sum = op.amount.isEmpty() ? std::nullopt : ParseKopecks(op.amount, &why);
                if (op.amount.isEmpty()) why = QStringLiteral("нет суммы");
            }
            if (sum && op.foreign && !op.rate.isEmpty()) {
                constexpr int kScale = 8;
                const auto rate = ParseScaled(op.rate, kScale);
                if (rate) {
                    const TWide scaled = TWide(*sum) * *rate;
                    const TWide half = 50000000;
                    sum = qint64((scaled + (scaled < 0 ? -half : half)) / TWide(100000000));
                } else {
                    sum.reset();
                    why = QStringLiteral("не курс: «%1»").arg(op.rate);
                }
            }
            if (sum) {
                out.kopecks = *sum;
                st.operations << out;
            } else {
                st.unrecognised << TUnrecognisedLine{op.line, why};
            }
        } else if (name == u"OFX") {
            closed = closing;
        } else if (!closing) {
            element = name;
        }
    }
    if (inTransaction || !closed) {
        st.operations.clear();
        st.unrecognised.clear();
        st.error = QStringLiteral("файл OFX обрывается, не дописан до конца");
    }
    return st;
}
