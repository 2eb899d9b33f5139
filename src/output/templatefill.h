#pragma once

#include "output/odspackage.h"
#include "output/unloadjob.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// The marks the export tool looks for in a template. A mark is found in a cell's text as LibreOffice
// shows it (however the file splits it into spans and spaces), letters in any case, spaces inside
// the braces allowed.
//  - The record row: the first row holding a field mark "{N}" (column N of the exported table, from
//    1) or "{N:дата}" (the same, shown as a date when the cell reads dd.MM.yyyy). It is written once
//    per exported row, each mark cell keeping its style; the columns past the highest mark follow it
//    to the right in the style of the highest mark's cell and column.
//  - The caption row: the row directly above the record row; its cells above the marks receive the
//    column captions of the export.
//  - "{Итог}": a cell holding only this mark receives the table's total as a number in the cell's
//    format; inside a longer text the total is put in as text.
//  - "{Сегодня}": replaced in any text by the date of the export, dd.MM.yyyy.
// The sum column of the export becomes numbers in the format of its mark cell (percentages when the
// analysis is shown in percent); formulas below the record row that reach it grow with the rows.
QString FieldMark(int field, bool date = false);
QString TotalMark();
QString TodayMark();

// Fills the template's content.xml with the rows of a job. False with a text when the content is
// not readable XML or holds no record row.
bool FillTemplateContent(const QByteArray& content, const TUnloadJob& job,
                         const std::vector<QStringList>& rows, const QDate& today, QByteArray& filled,
                         QString& error);
// The whole package: the content filled, every other entry as it was.
bool FillTemplate(const std::vector<TOdfEntry>& templ, const TUnloadJob& job,
                  const std::vector<QStringList>& rows, const QDate& today, std::vector<TOdfEntry>& filled,
                  QString& error);
bool FillTemplateFile(const QString& templatePath, const QString& outPath, const TUnloadJob& job,
                      const std::vector<QStringList>& rows, const QDate& today, QString& error);
