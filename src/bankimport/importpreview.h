#pragma once

#include "bankimport/tstatement.h"

#include <QString>
#include <QStringList>

#include <cstdio>

// The statement as text for scripts: one line per operation,
// "дд.ММ.гггг<TAB>sum<TAB>currency<TAB>description<TAB>state", then the line «Итого: ...».
QStringList PreviewLines(const TStatement& st);
// The line that tells why a file gives no statement.
QString PreviewError(const QString& file, const QString& why);

// Reads the file as the import would and prints its lines to `out`, or the reason to `err`. The exit code
// of the program: 0, or 2 for a file that cannot be read or recognised.
int RunImportPreview(const QString& file, FILE* out, FILE* err);
