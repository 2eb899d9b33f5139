#include "storage/tinistorage.h"
#include "storage/textrules.h"

#include "storage/atomicfile.h"
#include "storage/codepage.h"

#include <QFile>
#include <QStringDecoder>

namespace {

qsizetype SkipBlanks(const QString& s, qsizetype from = 0) {
    while (from < s.size() && IsBlankChar(s[from]))
        ++from;
    return from;
}

QString TrimBlanks(const QString& s) {
    qsizetype b = SkipBlanks(s);
    qsizetype e = s.size();
    while (e > b && IsBlankChar(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

QString TrimTrailingSpaceTab(const QString& s) {
    qsizetype e = s.size();
    while (e > 0 && (s[e - 1] == u' ' || s[e - 1] == u'\t'))
        --e;
    return s.left(e);
}

// The decimal integer of a settings value; false for anything else (12abc, an empty text, overflow).
bool ParseDecimal(const QString& text, int& out) {
    const QString t = TrimBlanks(text);
    if (t.isEmpty()) return false;
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == u'+' || t[0] == u'-') {
        negative = t[0] == u'-';
        ++i;
    }
    if (i == t.size()) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + (c - u'0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace

void TIniStorage::Clear() {
    m_sections.clear();
    m_sectionIndex.clear();
}

bool TIniStorage::LoadFromFile(const QString& path) {
    Clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    return LoadFromBytes(bytes);
}

bool TIniStorage::LoadFromBytes(const QByteArray& bytes) {
    Clear();
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        text = decoder(bytes.mid(3));
        if (decoder.hasError()) return false;
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        if (bytes.size() % 2 != 0) return false;
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        text = decoder(bytes.mid(2));
        if (decoder.hasError()) return false;
    } else {
        // A text file holds no NUL bytes: such a file is not a settings file at all.
        if (bytes.contains('\0')) return false;
        text = FromCp1251(bytes);
    }
    ParseText(text);
    return true;
}

void TIniStorage::ParseText(const QString& text) {
    m_sections.push_back(Section{});
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QString raw = text.mid(pos, end - pos);
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            pos = end + 2;
        else
            pos = end + 1;

        const qsizetype start = SkipBlanks(raw);
        Section& current = m_sections.back();
        if (start == raw.size() || raw[start] == u';') {
            current.lines.push_back({raw, {}, {}, false, {}});
            continue;
        }
        if (raw[start] == u'[') {
            const qsizetype close = raw.indexOf(u']', start + 1);
            if (close < 0) {
                current.lines.push_back({raw, {}, {}, false, {}});
                continue;
            }
            Section s;
            s.name = TrimBlanks(raw.mid(start + 1, close - start - 1));
            s.hasHeader = true;
            s.lines.push_back({raw, {}, {}, false, {}});
            const QString lower = s.name.toLower();
            if (!m_sectionIndex.contains(lower)) m_sectionIndex.insert(lower, int(m_sections.size()));
            m_sections.push_back(std::move(s));
            continue;
        }
        if (raw[start] == u'=') {
            current.lines.push_back({raw, {}, {}, false, {}});
            continue;
        }
        const qsizetype eq = raw.indexOf(u'=', start);
        if (eq < 0) continue; // neither a key nor anything else the format keeps
        Line line;
        line.text = raw;
        line.isKey = true;
        line.key = TrimBlanks(raw.mid(start, eq - start));
        line.value = TrimTrailingSpaceTab(raw.mid(SkipBlanks(raw, eq + 1)));
        line.raw = raw.mid(eq + 1);
        current.lines.push_back(line);
        if (current.hasHeader) {
            const QString lowerKey = line.key.toLower();
            if (!current.keys.contains(lowerKey))
                current.keys.insert(lowerKey, int(current.lines.size() - 1));
        }
    }
}

QByteArray TIniStorage::ToBytes() const {
    QString out;
    for (const Section& s : m_sections)
        for (const Line& l : s.lines) {
            out += l.text;
            out += QLatin1String("\r\n");
        }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

QByteArray TIniStorage::ToCp1251Bytes() const {
    QString out;
    for (const Section& s : m_sections)
        for (const Line& l : s.lines) {
            out += l.text;
            out += QLatin1String("\r\n");
        }
    return ToCp1251(out);
}

void TIniStorage::EraseSection(const QString& section) {
    // Every header of that name goes, a repeated one too, so no stale key of it survives.
    const QString lower = section.trimmed().toLower();
    std::erase_if(m_sections, [&](const Section& s) { return s.hasHeader && s.name.toLower() == lower; });
    m_sectionIndex.clear();
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const QString name = m_sections[i].name.toLower();
        if (m_sections[i].hasHeader && !m_sectionIndex.contains(name)) m_sectionIndex.insert(name, int(i));
    }
}

bool TIniStorage::SaveToFile(const QString& path) const {
    return WriteFileAtomic(path, ToBytes());
}

const TIniStorage::Line* TIniStorage::FindKey(const QString& section, const QString& key) const {
    const auto s = m_sectionIndex.constFind(section.trimmed().toLower());
    if (s == m_sectionIndex.cend()) return nullptr;
    const Section& sec = m_sections[size_t(*s)];
    const auto k = sec.keys.constFind(key.trimmed().toLower());
    if (k == sec.keys.cend()) return nullptr;
    return &sec.lines[size_t(*k)];
}

QString TIniStorage::ReadString(const QString& section, const QString& key, const QString& fallback) const {
    const Line* l = FindKey(section, key);
    return l ? l->value : fallback;
}

QString TIniStorage::ReadRawString(const QString& section, const QString& key,
                                   const QString& fallback) const {
    const Line* l = FindKey(section, key);
    return l ? l->raw : fallback;
}

bool TIniStorage::ValueExists(const QString& section, const QString& key) const {
    return FindKey(section, key) != nullptr;
}

bool TIniStorage::SectionExists(const QString& section) const {
    return m_sectionIndex.contains(section.trimmed().toLower());
}

int TIniStorage::ReadInteger(const QString& section, const QString& key, int fallback) const {
    const Line* l = FindKey(section, key);
    int v = 0;
    return l && ParseDecimal(l->value, v) ? v : fallback;
}

bool TIniStorage::ReadBool(const QString& section, const QString& key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniStorage::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniStorage::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniStorage::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString secLower = section.trimmed().toLower();
    auto s = m_sectionIndex.constFind(secLower);
    int secIdx;
    if (s == m_sectionIndex.cend()) {
        const bool empty = m_sections.empty() || (m_sections.size() == 1 && m_sections[0].lines.empty());
        if (!empty) {
            const Section& last = m_sections.back();
            const bool endsWithEmpty = !last.lines.empty() && last.lines.back().text.isEmpty();
            if (!endsWithEmpty) m_sections.back().lines.push_back({QString(), {}, {}, false, {}});
        }
        if (m_sections.empty()) m_sections.push_back(Section{});
        Section ns;
        ns.name = section.trimmed();
        ns.hasHeader = true;
        ns.lines.push_back({QLatin1Char('[') + ns.name + QLatin1Char(']'), {}, {}, false, {}});
        secIdx = int(m_sections.size());
        m_sectionIndex.insert(secLower, secIdx);
        m_sections.push_back(std::move(ns));
    } else {
        secIdx = *s;
    }
    Section& sec = m_sections[size_t(secIdx)];
    const QString keyLower = key.trimmed().toLower();
    auto k = sec.keys.constFind(keyLower);
    if (k != sec.keys.cend()) {
        Line& l = sec.lines[size_t(*k)];
        l.value = value;
        l.raw = value;
        l.text = l.key + QLatin1Char('=') + value;
        return;
    }
    // After the last key line of the section, or right under its header.
    size_t insertAt = 1;
    for (size_t i = 0; i < sec.lines.size(); ++i)
        if (sec.lines[i].isKey) insertAt = i + 1;
    Line l;
    l.isKey = true;
    l.key = key.trimmed();
    l.value = value;
    l.raw = value;
    l.text = l.key + QLatin1Char('=') + value;
    sec.lines.insert(sec.lines.begin() + long(insertAt), l);
    for (auto it = sec.keys.begin(); it != sec.keys.end(); ++it)
        if (size_t(*it) >= insertAt) ++*it;
    sec.keys.insert(keyLower, int(insertAt));
}
