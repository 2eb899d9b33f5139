#include "output/unloadtool.h"

#include "output/odspackage.h"
#include "output/rowfile.h"
#include "output/templatefill.h"
#include "output/templatelist.h"
#include "output/toolprocess.h"
#include "output/unloadjob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TUnloadToolResult RunUnloadTool(const TUnloadToolRun& run, QString& savedPath, QString& error) {
    savedPath.clear();
    QDir().mkpath(QFileInfo(run.successNote).absolutePath());
    WriteSuccessNote(run.successNote, false);

    TUnloadJob job;
    if (!ReadJobFile(run.jobFile, job) || job.saveFileName.isEmpty()) {
        error = QStringLiteral("cannot read the job file ") + run.jobFile;
        return UnloadBadJob;
    }
    std::vector<QStringList> rows;
    if (!ReadRowFile(job.rowFilePath, rows, error)) return UnloadBadRows;

    const QString path = job.saveFileName + QStringLiteral(".ods");
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("cannot create the folder of ") + path;
        return UnloadNotSaved;
    }
    const QString templateFile = TemplateFileFor(job.number);
    QString fillError;
    const bool saved = !templateFile.isEmpty() && FillTemplateFile(run.templateFolder + u'/' + templateFile,
                                                                   path, job, rows, run.today, fillError);
    if (!saved) {
        error = templateFile.isEmpty() ? QStringLiteral("no template for export number %1").arg(job.number)
                                       : templateFile + QStringLiteral(" not used: ") + fillError;
        const std::vector<TSheetColumn> columns =
            SheetColumns(job.number, job.sumColumn, int(job.columnNames.size()));
        if (!WritePlainSpreadsheet(path, job.columnNames, rows, columns, error)) return UnloadNotSaved;
    }
    savedPath = path;
    // The program tells where the spreadsheet went when nothing here could show it.
    const bool opened = run.open && run.open(path);
    if (!WriteSuccessNote(run.successNote, true, opened)) {
        error = QStringLiteral("cannot write the success note ") + run.successNote;
        return UnloadNotSaved;
    }
    return UnloadDone;
}

int HoldToolLock(const QString& folder, bool& busy) {
    busy = false;
    const int fd = OpenLockFile(folder + u'/' + ToolLockName());
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        busy = errno == EWOULDBLOCK;
        ::close(fd);
        return -1;
    }
    return fd;
}
