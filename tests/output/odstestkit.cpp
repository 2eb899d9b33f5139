#include "odstestkit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

int RunProgram(const QString& program, const QStringList& args, QString* output,
               const QStringList& environment) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& kv : environment) {
            const qsizetype eq = kv.indexOf(QLatin1Char('='));
            if (eq < 0)
                env.remove(kv);
            else
                env.insert(kv.left(eq), kv.mid(eq + 1));
        }
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    if (!p.waitForStarted(10000)) return -1;
    const bool finished = p.waitForFinished(240000);
    if (output) *output = QString::fromUtf8(p.readAll());
    if (!finished) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString FindProgram(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

bool SofficeConvert(const QStringList& files, const QString& format, const QString& outDir,
                    const QString& work, QString* output) {
    const QString soffice = FindProgram(QStringLiteral("soffice"));
    if (soffice.isEmpty()) return false;
    QDir().mkpath(outDir);
    const QString filter = format == QLatin1String("csv")
                               ? QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1")
                           : format == QLatin1String("txt") ? QStringLiteral("txt:Text (encoded):UTF8")
                                                            : format;
    QStringList args = {QStringLiteral("-env:UserInstallation=file://") + work +
                            QStringLiteral("/lo-profile"),
                        QStringLiteral("--headless"),
                        QStringLiteral("--norestore"),
                        QStringLiteral("--convert-to"),
                        filter,
                        QStringLiteral("--outdir"),
                        outDir};
    args += files;
    return RunProgram(soffice, args, output, {QStringLiteral("HOME=") + work}) == 0;
}

std::vector<QStringList> ReadCsv(const QString& path) {
    QFile f(path);
    std::vector<QStringList> rows;
    if (!f.open(QIODevice::ReadOnly)) return rows;
    const QString text = QString::fromUtf8(f.readAll());
    QStringList row;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << cell;
            cell.clear();
        } else if (c == u'\n') {
            row << cell;
            cell.clear();
            rows.push_back(row);
            row.clear();
        } else if (c != u'\r') {
            cell += c;
        }
    }
    if (!cell.isEmpty() || !row.isEmpty()) {
        row << cell;
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::vector<TSheetCell>> ReadFlatSheet(const QString& path) {
    const QString table = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
    const QString office = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
    std::vector<std::vector<TSheetCell>> rows;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return rows;
    QXmlStreamReader r(&f);
    int depth = 0; // inside the first table
    bool done = false;
    while (!r.atEnd() && !done) {
        r.readNext();
        if (r.isStartElement() && r.namespaceUri() == table && r.name() == QLatin1String("table")) {
            depth = 1;
        } else if (r.isEndElement() && r.namespaceUri() == table && r.name() == QLatin1String("table")) {
            done = depth > 0;
        } else if (depth > 0 && r.isStartElement() && r.namespaceUri() == table &&
                   r.name() == QLatin1String("table-row")) {
            const int repeat = std::min(r.attributes().value(table, "number-rows-repeated").toInt(), 50);
            std::vector<TSheetCell> row;
            while (!r.atEnd()) {
                r.readNext();
                if (r.isEndElement() && r.name() == QLatin1String("table-row")) break;
                if (!r.isStartElement()) continue;
                if (r.name() != QLatin1String("table-cell") &&
                    r.name() != QLatin1String("covered-table-cell"))
                    continue;
                TSheetCell cell;
                cell.type = r.attributes().value(office, "value-type").toString();
                cell.value = r.attributes().value(office, "value").toDouble();
                const int cells =
                    std::min(std::max(r.attributes().value(table, "number-columns-repeated").toInt(), 1), 50);
                // The shown text: the paragraphs of the cell.
                int level = 1;
                while (!r.atEnd() && level > 0) {
                    r.readNext();
                    if (r.isStartElement()) ++level;
                    if (r.isEndElement()) --level;
                    if (r.isCharacters() && !r.isWhitespace()) cell.text += r.text();
                }
                for (int i = 0; i < cells; ++i)
                    row.push_back(cell);
            }
            while (!row.empty() && row.back().type.isEmpty() && row.back().text.isEmpty())
                row.pop_back();
            for (int i = 0; i < std::max(repeat, 1); ++i)
                rows.push_back(row);
        }
    }
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    return rows;
}

QString ProgramDir() {
    return QString::fromLocal8Bit(qgetenv("VELLUMORA_PROGRAM_DIR"));
}
