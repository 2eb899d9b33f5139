#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// The settings file in the classic ini layout, kept line by line so that comments, blank lines and
// unknown text survive a rewrite. Section and key names are compared without regard to case.
class TIniStorage {
public:
    bool LoadFromFile(const QString& path);
    bool SaveToFile(const QString& path) const;
    void Clear();

    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    // The value exactly as it stands after "=", blanks and tabs included.
    QString ReadRawString(const QString& section, const QString& key, const QString& fallback) const;
    int ReadInteger(const QString& section, const QString& key, int fallback) const;
    void WriteInteger(const QString& section, const QString& key, int value);
    bool ReadBool(const QString& section, const QString& key, bool fallback) const;
    void WriteBool(const QString& section, const QString& key, bool value);
    bool ValueExists(const QString& section, const QString& key) const;
    bool SectionExists(const QString& section) const;

    // Removes the section with every key in it.
    void EraseSection(const QString& section);

    // The text that SaveToFile writes, byte-order mark included.
    QByteArray ToBytes() const;
    // The same lines in the single-byte code page, without a byte-order mark: for files that other
    // programs read (characters without a code become '?').
    QByteArray ToCp1251Bytes() const;
    // Parses text already in memory; false when it cannot be decoded.
    bool LoadFromBytes(const QByteArray& bytes);

private:
    struct Line {
        QString text;  // the line as read, or as last set
        QString key;   // for key lines: the key as written, trimmed
        QString value; // for key lines: the value as read
        bool isKey = false;
        QString raw; // for key lines: everything after the first "="
    };
    struct Section {
        QString name; // empty for the lines before the first header
        bool hasHeader = false;
        std::vector<Line> lines;  // the header line itself is lines[0] when hasHeader
        QHash<QString, int> keys; // lower-case key -> index in lines
    };

    const Line* FindKey(const QString& section, const QString& key) const;
    void ParseText(const QString& text);

    std::vector<Section> m_sections;
    QHash<QString, int> m_sectionIndex; // lower-case name -> index in m_sections
};
