#pragma once

#include "storage/tinistorage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// The window and page settings of one base ("Tarnwell.ini" in the base folder). Values whose fallback
// depends on the running window are optional: the window fills them in.
struct TPageSettings {
    int gridHeight = 0;
    std::optional<int> vidGridHeight;
    std::optional<int> vidGridTop;
};

struct TColumnWidths {
    QString section;
    QList<int> widths; // -1: no stored width, the grid shares its width out
};

struct TBaseSettings {
    bool maximized = true;
    std::optional<int> width, height, left, top;
    std::optional<QString> analisFrom, analisTo; // "dd.MM.yyyy"
    std::optional<QString> analisVid, analisFormat, analisChart;
    bool purseDefault = true;
    // Sections "RashodPage", "DohodPage", "PlanRashodPage", "PlanDohodPage".
    std::array<TPageSettings, 4> pages;
    // One entry per grid in the order the file lists them; an absent section means "size automatically".
    std::vector<TColumnWidths> columns;
    int lowerPanelHeight = 250;
    int lowerPanelTop = 0;
    // Per ledger in the order rashod, dohod, dolg, planrashod, plandohod: the period filter index and,
    // for the custom filter, its eight fields.
    std::array<int, 5> filterIndex{};
    std::array<QStringList, 5> filterFields;
};

const QStringList& PageSectionNames();
const QStringList& ColumnWidthSectionNames();
const QStringList& FilterKeyNames(); // "Rashod", "Dohod", ...

// Grids whose missing widths are shared out by the window rather than read as 50.
bool IsListGridSection(const QString& section);

QString BaseSettingsPath(const QString& baseFolder);
// Reads the per-base settings; a file that cannot be created or read gives the defaults.
TBaseSettings ReadBaseSettings(const QString& baseFolder, const QList<int>& columnCounts = {});
// Rewrites the whole file: nothing but the program's own keys survives.
bool WriteBaseSettings(const QString& baseFolder, const TBaseSettings& settings);
// The bytes of that file.
QByteArray BaseSettingsBytes(const TBaseSettings& settings);

// The custom filter fields as stored: each of the eight followed by a TAB.
QString JoinFilterFields(const QStringList& fields);
QStringList SplitFilterFields(const QString& value);

// The last user, in "Tarnwell.ini" of the BASE folder.
QString ReadLastUser(const QString& baseRootFolder);
void SaveLastUser(const QString& baseRootFolder, const QString& name);

// The attribute warning markers "attr_quest.ini" and "attr_bigfolder.ini": true means "warn".
bool ReadAttributeQuestion(const QString& markerPath);
void WriteAttributeQuestion(const QString& markerPath, bool warn);
