#pragma once

#include <QString>

class QDateEdit;

// A date field of the program's dialogs: "dd.MM.yyyy" with a drop-down calendar.
QDateEdit* MakeDateField(const QString& objectName);
