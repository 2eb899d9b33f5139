// Any bytes as an archive: listing, verifying and unpacking must never crash, and nothing may be
// written anywhere but under the target folder.
#include "backup/tfileunzipper.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

// Unpacked files are synced to disk; a memory file system keeps the runs fast.
QString RootTemplate() {
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
           QStringLiteral("/fuzz_unzip-XXXXXX");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir root(RootTemplate());
    const QString work = root.path() + QStringLiteral("/w");
    const QString archive = work + QStringLiteral("/a.zip");
    const QString target = work + QStringLiteral("/in/t");
    QDir(work).removeRecursively();
    QDir().mkpath(work + QStringLiteral("/in"));
    {
        QFile f(archive);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    TFileUnzipper unzipper;
    std::vector<TZipItem> items;
    unzipper.List(archive, items);
    unzipper.Verify(archive);
    unzipper.Unpack(archive, target);

    // Beside the target only what was there before; under it only plain files and folders.
    const QStringList top =
        QDir(root.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const QStringList beside =
        QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const QStringList inside =
        QDir(work + QStringLiteral("/in"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (top != QStringList{QStringLiteral("w")} ||
        beside != QStringList({QStringLiteral("a.zip"), QStringLiteral("in")}) || inside.size() > 1 ||
        (inside.size() == 1 && inside[0] != QStringLiteral("t")))
        std::abort();
    QDirIterator it(target, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink() || !(info.isFile() || info.isDir()) ||
            !info.canonicalFilePath().startsWith(QFileInfo(target).canonicalFilePath() + QLatin1Char('/')))
            std::abort();
    }
    return 0;
}
