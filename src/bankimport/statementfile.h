#pragma once

#include "bankimport/tstatement.h"

#include <QByteArray>
#include <QString>

// The largest statement file read: a year of a family's operations is well under a megabyte.
constexpr qint64 kMaxStatementBytes = 200 * 1024 * 1024;

// Reads a statement, recognising its format from the content, never from the name: OFX, QIF, else a
// text table. `choice` gives the columns of a table of no known layout (as the user set them); without
// it they are guessed. What went wrong is in TStatement::error, in Russian.
TStatement ReadStatementFile(const QString& path, const TColumnChoice* choice = nullptr);
TStatement ReadStatementBytes(const QByteArray& bytes, const TColumnChoice* choice = nullptr);

enum class TStatementKind { Ofx, Qif, Table };
TStatementKind RecogniseStatement(const QString& text);
