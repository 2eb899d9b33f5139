#include "backup/dailyusers.h"
#include "storage/tabledefs.h"

#include "backup/tarhivetype.h"
#include "backup/tziparchive.h"
#include "ledger/tmytype.h"
#include "storage/datafolders.h"
#include "storage/textrules.h"
#include "users/basefolders.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The base names to look for, the base list first.
QStringList BasesToLookFor(const TMyType& state) {
    QStringList names;
    auto add = [&](const QString& name) {
        if (CheckBaseName(name) != TBaseNameCheck::Ok) return;
        for (const QString& n : names)
            if (SameNameIgnoringCase(n, name)) return;
        names << name;
    };
    for (int i = 0; i < state.baseList.RowCount(); ++i)
        add(state.baseList.Row(i)->Cell(col::baselist::Name));
    for (const QString& name :
         QDir(state.BaseRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        add(name);
    return names;
}

// The information table of an archive, read from its entry without unpacking anything.
bool ReadArchiveInfo(const QString& archivePath, TArhiveInfo& info) {
    TZipArchive archive;
    if (!archive.Open(archivePath)) return false;
    for (const TZipItem& item : archive.Items()) {
        if (item.IsFolder || item.Name.compare(arhivetexts::kInfoName, Qt::CaseInsensitive) != 0) continue;
        QByteArray bytes;
        QString error;
        const bool decoded = archive.Decode(
            item,
            [&](const char* data, size_t size) {
                bytes.append(data, qsizetype(size));
                return bytes.size() <= (qsizetype(1) << 24); // a table of users, not a base
            },
            error);
        TMemTable table;
        if (!decoded || !table.LoadFromBytes(bytes)) return false;
        info = arhive::InfoOf(table);
        return true;
    }
    return false;
}

struct TFound {
    QStringList row;
    QDate day;
    bool taken = true;
};

} // namespace

TCopiedUsers UsersFromDailyCopies(const TMyType& state) {
    static const QRegularExpression dayName(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})\\.zip$"));
    TCopiedUsers result;
    if (state.paths.backupCopyFolder.isEmpty()) return result;
    std::vector<TFound> found;
    for (const QString& base : BasesToLookFor(state)) {
        const QDir folder(JoinPath(state.paths.backupCopyFolder, base));
        QStringList archives = folder.entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name);
        std::reverse(archives.begin(), archives.end()); // the newest day first
        for (const QString& name : archives) {
            const auto m = dayName.match(name);
            const QDate day = QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
            TArhiveInfo info;
            if (!m.hasMatch() || !day.isValid() || !ReadArchiveInfo(folder.filePath(name), info)) continue;
            std::vector<TFound> users;
            for (const QStringList& row : info.users)
                if (!IsBlank(row.value(col::user::Name)) && row.value(col::user::Base) == base)
                    users.push_back({row, day});
            if (users.empty()) continue;
            found.insert(found.end(), users.begin(), users.end());
            result.copies.push_back({base, day});
            break;
        }
    }
    for (TFound& f : found)
        for (const TFound& other : found)
            if (&other != &f && other.day > f.day &&
                SameNameIgnoringCase(other.row.value(col::user::Name), f.row.value(col::user::Name)))
                f.taken = false;
    for (const TFound& f : found) {
        if (!f.taken) continue;
        bool twice = false; // the same name twice in one day's copies: the first stays
        for (const QStringList& row : result.rows)
            twice = twice || SameNameIgnoringCase(row.value(col::user::Name), f.row.value(col::user::Name));
        if (!twice) result.rows.push_back(f.row);
    }
    return result;
}
