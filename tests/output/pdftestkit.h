#pragma once

#include <QString>

#include <vector>

// A printout read back by poppler's pdftotext: every word with its box, in points from the page's
// top-left corner.
struct TPdfWord {
    QString text;
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// Words that stand on one line, left to right.
struct TPdfLine {
    std::vector<TPdfWord> words;
    // The words with one space between them.
    QString Text() const;
    // Where the words overlap or touch, the first word of the pair; nothing when every word stands
    // clear of the next.
    const TPdfWord* Crowded() const;
};

struct TPdfPage {
    double width = 0;
    double height = 0;
    std::vector<TPdfLine> lines; // top to bottom
};

// The pages of the file; empty when pdftotext cannot read it.
std::vector<TPdfPage> ReadPdf(const QString& path);
