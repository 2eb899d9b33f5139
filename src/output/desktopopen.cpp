#include "output/desktopopen.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace {

bool SomeApplicationOpens(const QString& path) {
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForStarted(5000)) return true;
    if (!query.waitForFinished(10000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool OpenWithDesktop(const QString& path) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    if (!SomeApplicationOpens(path)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
