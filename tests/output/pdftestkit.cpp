#include "pdftestkit.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

QString Unescape(QString text) {
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&apos;", "'");
    return text.replace("&amp;", "&");
}

double Attribute(const QString& tag, const QString& name) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("%1=\"([-0-9.]+)\"").arg(name)).match(tag);
    return m.hasMatch() ? m.captured(1).toDouble() : 0;
}

} // namespace

QString TPdfLine::Text() const {
    QStringList texts;
    for (const TPdfWord& w : words)
        texts << w.text;
    return texts.join(' ');
}

const TPdfWord* TPdfLine::Crowded() const {
    for (size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i].right >= words[i + 1].left) return &words[i];
    return nullptr;
}

std::vector<TPdfPage> ReadPdf(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());

    std::vector<TPdfPage> pages;
    std::vector<TPdfWord> words;
    const auto closePage = [&] {
        if (pages.empty()) return;
        // Words of one line share their top: texts of one font size drawn at one height.
        std::stable_sort(words.begin(), words.end(), [](const TPdfWord& a, const TPdfWord& b) {
            return std::lround(a.top * 10) != std::lround(b.top * 10) ? a.top < b.top : a.left < b.left;
        });
        for (const TPdfWord& w : words) {
            std::vector<TPdfLine>& lines = pages.back().lines;
            if (lines.empty() || std::abs(lines.back().words.front().top - w.top) > 0.5) lines.emplace_back();
            lines.back().words.push_back(w);
        }
        for (TPdfLine& line : pages.back().lines)
            std::sort(line.words.begin(), line.words.end(),
                      [](const TPdfWord& a, const TPdfWord& b) { return a.left < b.left; });
        words.clear();
    };
    static const QRegularExpression tags(QStringLiteral("<page ([^>]*)>|<word ([^>]*)>([^<]*)</word>"));
    QRegularExpressionMatchIterator it = tags.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty()) {
            closePage();
            pages.push_back({Attribute(m.captured(1), "width"), Attribute(m.captured(1), "height"), {}});
        } else if (!pages.empty()) {
            const QString tag = m.captured(2);
            words.push_back({Unescape(m.captured(3)), Attribute(tag, "xMin"), Attribute(tag, "yMin"),
                             Attribute(tag, "xMax"), Attribute(tag, "yMax")});
        }
    }
    closePage();
    return pages;
}
