#include "bankimport/statementfile.h"

#include "bankimport/csvstatement.h"
#include "bankimport/ofxstatement.h"
#include "bankimport/qifstatement.h"
#include "bankimport/statementtext.h"

#include <QFile>
#include <QFileInfo>

namespace {

TStatement Failed(const QString& why) {
    TStatement st;
    st.error = why;
    return st;
}

} // namespace

TStatementKind RecogniseStatement(const QString& text) {
    const QStringView head = QStringView(text).left(4096).trimmed();
    if (head.startsWith(QLatin1String("OFXHEADER"), Qt::CaseInsensitive) ||
        head.contains(QLatin1String("<?OFX"), Qt::CaseInsensitive) ||
        (head.startsWith(u'<') && head.contains(QLatin1String("<OFX>"), Qt::CaseInsensitive)))
        return TStatementKind::Ofx;
    if (head.startsWith(QLatin1String("!Type:"), Qt::CaseInsensitive) ||
        head.startsWith(QLatin1String("!Account"), Qt::CaseInsensitive) ||
        head.startsWith(QLatin1String("!Option:"), Qt::CaseInsensitive))
        return TStatementKind::Qif;
    return TStatementKind::Table;
}

TStatement ReadStatementBytes(const QByteArray& bytes, const TColumnChoice* choice) {
    const TDecodedText decoded = DecodeStatementBytes(bytes);
    if (!decoded.error.isEmpty()) return Failed(decoded.error);
    switch (RecogniseStatement(decoded.text)) {
    case TStatementKind::Ofx:
        return ReadOfxStatement(decoded.text, bytes);
    case TStatementKind::Qif:
        return ReadQifStatement(decoded.text);
    case TStatementKind::Table:
        break;
    }
    return ReadCsvStatement(decoded.text, choice);
}

TStatement ReadStatementFile(const QString& path, const TColumnChoice* choice) {
    const QFileInfo info(path);
    if (!info.exists()) return Failed(QStringLiteral("файла нет"));
    if (info.isDir()) return Failed(QStringLiteral("это папка, а не файл"));
    if (info.size() > kMaxStatementBytes)
        return Failed(QStringLiteral("файл слишком большой (%1 МБ), выписка может быть не больше %2 МБ")
                          .arg((info.size() + 1024 * 1024 - 1) / (1024 * 1024))
                          .arg(kMaxStatementBytes / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(file.error() == QFileDevice::PermissionsError ? QStringLiteral("нет права читать файл")
                                                                    : QStringLiteral("файл не открывается"));
    // A file that grew since it was looked at is read only up to the limit and then refused.
    const QByteArray bytes = file.read(kMaxStatementBytes + 1);
    if (file.error() != QFileDevice::NoError) return Failed(QStringLiteral("файл не читается до конца"));
    if (bytes.size() > kMaxStatementBytes)
        return Failed(QStringLiteral("файл слишком большой, выписка может быть не больше %1 МБ")
                          .arg(kMaxStatementBytes / (1024 * 1024)));
    return ReadStatementBytes(bytes, choice);
}
