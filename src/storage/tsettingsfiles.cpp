#include "storage/tsettingsfiles.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kTarnwell = QStringLiteral("Tarnwell.ini");

std::optional<int> OptInt(const TIniStorage& ini, const QString& section, const QString& key) {
    if (!ini.ValueExists(section, key)) return std::nullopt;
    bool ok = false;
    const int v = ini.ReadString(section, key, QString()).trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return v;
}

std::optional<QString> OptText(const TIniStorage& ini, const QString& section, const QString& key) {
    if (!ini.ValueExists(section, key)) return std::nullopt;
    return ini.ReadString(section, key, QString());
}

} // namespace

const QStringList& PageSectionNames() {
    static const QStringList names = {QStringLiteral("RashodPage"), QStringLiteral("DohodPage"),
                                      QStringLiteral("PlanRashodPage"), QStringLiteral("PlanDohodPage")};
    return names;
}

const QStringList& ColumnWidthSectionNames() {
    static const QStringList names = {
        QStringLiteral("RashodGridWidthCol"),       QStringLiteral("DohodGridWidthCol"),
        QStringLiteral("DolgGridWidthCol"),         QStringLiteral("PlanRashodGridWidthCol"),
        QStringLiteral("PlanDohodGridWidthCol"),    QStringLiteral("AnalisGridWidthCol"),
        QStringLiteral("BaseRashodGridWidthCol"),   QStringLiteral("BaseDohodGridWidthCol"),
        QStringLiteral("BasePurseGridWidthCol"),    QStringLiteral("BaseUserGridWidthCol"),
        QStringLiteral("VidRashodGridWidthCol"),    QStringLiteral("VidDohodGridWidthCol"),
        QStringLiteral("VidPlanGridWidthCol"),      QStringLiteral("VidPlanDohodGridWidthCol"),
        QStringLiteral("TransferPurseGridWidthCol")};
    return names;
}

const QStringList& FilterKeyNames() {
    static const QStringList names = {QStringLiteral("Rashod"), QStringLiteral("Dohod"),
                                      QStringLiteral("Dolg"), QStringLiteral("PlanRashod"),
                                      QStringLiteral("PlanDohod")};
    return names;
}

bool IsListGridSection(const QString& section) {
    return section.startsWith(QLatin1String("Vid")) || section == QLatin1String("BaseRashodGridWidthCol") ||
           section == QLatin1String("BaseDohodGridWidthCol");
}

QString BaseSettingsPath(const QString& baseFolder) {
    return JoinPath(baseFolder, kTarnwell);
}

QString JoinFilterFields(const QStringList& fields) {
    QString out;
    for (int i = 0; i < 8; ++i) {
        out += fields.value(i);
        out += QLatin1Char('\t');
    }
    return out;
}

QStringList SplitFilterFields(const QString& value) {
    QStringList fields = value.split(QLatin1Char('\t'));
    fields.resize(8);
    return fields;
}

namespace {

// The column widths of every grid that has its section; without a known column count, the keys that
// are there.
std::vector<TColumnWidths> ReadColumnWidths(const TIniStorage& ini, const QList<int>& columnCounts) {
    std::vector<TColumnWidths> columns;
    const QStringList& sections = ColumnWidthSectionNames();
    for (int g = 0; g < sections.size(); ++g) {
        const QString& sec = sections[g];
        if (!ini.SectionExists(sec)) continue;
        TColumnWidths cw{sec, {}};
        const bool list = IsListGridSection(sec);
        const int count = g < columnCounts.size() ? columnCounts[g] : 1000;
        for (int c = 0; c < count; ++c) {
            const QString key = QString::number(c);
            if (!ini.ValueExists(sec, key)) {
                if (g >= columnCounts.size()) break;
                cw.widths.append(list ? -1 : 50);
                continue;
            }
            const int w = ini.ReadInteger(sec, key, list ? -1 : 50);
            if (!list && w < 1) break;
            cw.widths.append(w);
        }
        columns.push_back(cw);
    }
    return columns;
}

void ReadFilters(const TIniStorage& ini, TBaseSettings& s) {
    const QString filter = QStringLiteral("Filter");
    for (int t = 0; t < 5; ++t) {
        const QString name = FilterKeyNames()[t];
        int index = ini.ReadInteger(filter, QStringLiteral("Filter") + name, 0);
        if (index < 0 || index > 6) index = 0;
        if (index == 6) {
            // Read as written: the leading empty fields are TABs that a plain value would lose.
            const QString array = ini.ReadRawString(
                filter, QStringLiteral("Filter") + name + QStringLiteral("Array"), QString());
            if (array.trimmed().isEmpty())
                index = 0;
            else
                s.filterFields[size_t(t)] = SplitFilterFields(array);
        }
        s.filterIndex[size_t(t)] = index;
    }
}

} // namespace

TBaseSettings ReadBaseSettings(const QString& baseFolder, const QList<int>& columnCounts) {
    TBaseSettings s;
    const QString path = BaseSettingsPath(baseFolder);
    TIniStorage ini;
    if (!EnsureSettingsFile(path) || !ini.LoadFromFile(path)) return s;
    const QString main = QStringLiteral("MainForm");
    s.maximized = ini.ReadBool(main, QStringLiteral("Maximized"), true);
    s.width = OptInt(ini, main, QStringLiteral("Width"));
    s.height = OptInt(ini, main, QStringLiteral("Height"));
    s.left = OptInt(ini, main, QStringLiteral("Left"));
    s.top = OptInt(ini, main, QStringLiteral("Top"));
    const QString analis = QStringLiteral("Analis");
    s.analisFrom = OptText(ini, analis, QStringLiteral("DataS"));
    s.analisTo = OptText(ini, analis, QStringLiteral("DataDo"));
    s.analisVid = OptText(ini, analis, QStringLiteral("Vid"));
    s.analisFormat = OptText(ini, analis, QStringLiteral("Format"));
    s.analisChart = OptText(ini, analis, QStringLiteral("VidChart"));
    s.purseDefault = ini.ReadBool(QStringLiteral("PurseDefaultCheckBox"), QStringLiteral("Default"), true);
    for (int p = 0; p < 4; ++p) {
        const QString sec = PageSectionNames()[p];
        s.pages[size_t(p)].gridHeight = ini.ReadInteger(sec, QStringLiteral("GridHeight"), 0);
        s.pages[size_t(p)].vidGridHeight = OptInt(ini, sec, QStringLiteral("VidGridHeight"));
        s.pages[size_t(p)].vidGridTop = OptInt(ini, sec, QStringLiteral("VidGridTop"));
    }
    s.columns = ReadColumnWidths(ini, columnCounts);
    const QString lower = QStringLiteral("LowerPanel");
    s.lowerPanelHeight = std::max(250, ini.ReadInteger(lower, QStringLiteral("Height"), 250));
    s.lowerPanelTop = ini.ReadInteger(lower, QStringLiteral("Top"), 0);
    ReadFilters(ini, s);
    return s;
}

bool WriteBaseSettings(const QString& baseFolder, const TBaseSettings& s) {
    const QString path = BaseSettingsPath(baseFolder);
    if (!EnsureSettingsFile(path)) return false;
    return WriteFileAtomic(path, BaseSettingsBytes(s));
}

QByteArray BaseSettingsBytes(const TBaseSettings& s) {
    TIniStorage ini;
    const QString main = QStringLiteral("MainForm");
    ini.WriteBool(main, QStringLiteral("Maximized"), s.maximized);
    if (!s.maximized) {
        ini.WriteInteger(main, QStringLiteral("Width"), s.width.value_or(0));
        ini.WriteInteger(main, QStringLiteral("Height"), s.height.value_or(0));
        ini.WriteInteger(main, QStringLiteral("Left"), s.left.value_or(0));
        ini.WriteInteger(main, QStringLiteral("Top"), s.top.value_or(0));
    }
    const QString analis = QStringLiteral("Analis");
    ini.WriteString(analis, QStringLiteral("DataS"), s.analisFrom.value_or(QString()));
    ini.WriteString(analis, QStringLiteral("DataDo"), s.analisTo.value_or(QString()));
    ini.WriteString(analis, QStringLiteral("Vid"), s.analisVid.value_or(QString()));
    ini.WriteString(analis, QStringLiteral("Format"), s.analisFormat.value_or(QString()));
    ini.WriteString(analis, QStringLiteral("VidChart"), s.analisChart.value_or(QString()));
    ini.WriteBool(QStringLiteral("PurseDefaultCheckBox"), QStringLiteral("Default"), s.purseDefault);
    for (int p = 0; p < 4; ++p) {
        const QString sec = PageSectionNames()[p];
        ini.WriteInteger(sec, QStringLiteral("GridHeight"), s.pages[size_t(p)].gridHeight);
        ini.WriteInteger(sec, QStringLiteral("VidGridHeight"), s.pages[size_t(p)].vidGridHeight.value_or(0));
        ini.WriteInteger(sec, QStringLiteral("VidGridTop"), s.pages[size_t(p)].vidGridTop.value_or(0));
    }
    for (const QString& sec : ColumnWidthSectionNames())
        for (const TColumnWidths& cw : s.columns)
            if (cw.section == sec)
                for (int c = 0; c < cw.widths.size(); ++c)
                    ini.WriteInteger(sec, QString::number(c), cw.widths[c]);
    const QString lower = QStringLiteral("LowerPanel");
    ini.WriteInteger(lower, QStringLiteral("Height"), s.lowerPanelHeight);
    ini.WriteInteger(lower, QStringLiteral("Top"), s.lowerPanelTop);
    const QString filter = QStringLiteral("Filter");
    for (int t = 0; t < 5; ++t) {
        const QString name = FilterKeyNames()[t];
        int index = s.filterIndex[size_t(t)];
        bool writeArray = false;
        if (index == 6) {
            writeArray = false;
            for (const QString& f : s.filterFields[size_t(t)])
                writeArray = writeArray || !f.isEmpty();
            if (!writeArray) index = 0;
        }
        ini.WriteInteger(filter, QStringLiteral("Filter") + name, index);
        if (writeArray)
            ini.WriteString(filter, QStringLiteral("Filter") + name + QStringLiteral("Array"),
                            JoinFilterFields(s.filterFields[size_t(t)]));
    }
    return ini.ToBytes();
}

QString ReadLastUser(const QString& baseRootFolder) {
    const QString path = JoinPath(baseRootFolder, kTarnwell);
    TIniStorage ini;
    if (!QFileInfo::exists(path) || !ini.LoadFromFile(path)) return QString();
    return ini.ReadString(QStringLiteral("User"), QStringLiteral("LastUser"), QString());
}

void SaveLastUser(const QString& baseRootFolder, const QString& name) {
    const QString path = JoinPath(baseRootFolder, kTarnwell);
    if (!EnsureSettingsFile(path)) return;
    TIniStorage ini;
    ini.WriteString(QStringLiteral("User"), QStringLiteral("LastUser"), name);
    const QByteArray bytes = ini.ToBytes();
    // The same user again (every close): the file is left as it is.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.readAll() == bytes) return;
    file.close();
    WriteFileAtomic(path, bytes);
}

bool ReadAttributeQuestion(const QString& markerPath) {
    TIniStorage ini;
    if (!QFileInfo::exists(markerPath) || !ini.LoadFromFile(markerPath)) return true;
    return ini.ReadBool(QStringLiteral("Arrtibutes"), QStringLiteral("ArrtibutesQuest"), true);
}

void WriteAttributeQuestion(const QString& markerPath, bool warn) {
    TIniStorage ini;
    ini.WriteBool(QStringLiteral("Arrtibutes"), QStringLiteral("ArrtibutesQuest"), warn);
    ini.SaveToFile(markerPath);
}
