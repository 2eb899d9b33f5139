#pragma once

#include "ui/tmainwindowparts.h"

#include <QObject>
#include <QString>

#include <functional>

class QPrinter;
class TAnalysisPage;
class TAppContext;
class TQuorvaneForm;

// "Печать таблицы" (F11): the table of the page on show goes to the printer chosen in the print
// dialog, with the grid's own column widths and font, while a busy panel sits on the window.
class TPrintCommands : public QObject {
    Q_OBJECT
public:
    TPrintCommands(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts,
                   TAnalysisPage& analysis);

    void Print();

    // The print dialog on the printer; true to print. Tests answer it here (and point the printer at a
    // PDF file); by default the platform's dialog opens.
    std::function<bool(QPrinter&)> choosePrinter;

    static QString BusyText() { return QStringLiteral("Идет печать. Пожалуйста, подожите..."); }

private:
    bool OpenDialog(QPrinter& printer);

    TQuorvaneForm& m_form;
    TAppContext& m_context;
    const TMainWindowParts& m_parts;
    TAnalysisPage& m_analysis;
};
