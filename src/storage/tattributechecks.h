#pragma once

#include "storage/tmemtable.h"

#include <QString>

#include <functional>

namespace fileattr {
constexpr int ReadOnly = 1;
constexpr int System = 4;
} // namespace fileattr

// The attribute flags of a path that exists.
using TAttributeProbe = std::function<int(const QString& path)>;

// On Linux a path is read-only when the current user may not write it; there is no system attribute,
// so it is never found.
int PlatformAttributes(const QString& path);

struct TAttributeSentence {
    bool finding = false;
    QString sentence;
};

// The checks of the read-only and system attributes of the base files and folders: the two warnings
// around a log-in and the findings of the diagnostics report. The probe is the only place that asks
// the system; the rest is the program's own rule.
class TAttributeChecks {
public:
    explicit TAttributeChecks(TAttributeProbe probe = PlatformAttributes);

    // A file in the folder, or (name empty) the folder itself. A path that does not exist is no finding,
    // nor is a file that cannot be read at all (the load of the base tells it).
    TAttributeSentence DescribeAttributes(const QString& folder, const QString& name) const;
    // The warning about the data root, its BASE folder and the base folder, unless the user turned it
    // off in "attr_bigfolder.ini" of the data root.
    void CheckDataRootFolders(const QString& dataRoot, const QString& baseFolder) const;
    // The warning about the table files of the base, unless turned off in "attr_quest.ini" of the base.
    void CheckBaseFiles(const QString& dataRoot, const QString& baseFolder) const;
    // The findings of the diagnostics report: rows (kind, full path), kind "NoWrite" or "System", in
    // the order found.
    void CollectFindings(const QString& dataRoot, const QString& baseFolder, TMemTable& findings) const;

    static QString NoWriteKind() { return QStringLiteral("NoWrite"); }
    static QString SystemKind() { return QStringLiteral("System"); }

private:
    int Attributes(const QString& path) const;
    void AddFindings(TMemTable& findings, const QString& path) const;

    TAttributeProbe m_probe;
};
