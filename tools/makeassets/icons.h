#pragma once

#include <QImage>
#include <QString>

// The pictures of the six section buttons, drawn at any size.
enum class TSectionGlyph { Rashod, Dohod, Dolg, Plan, Analis, Base, Program };

QImage DrawSectionIcon(TSectionGlyph glyph, int size);
// The picture of the auto-size button.
QImage DrawResizePicture();
// Check marks of the list grids.
QImage DrawCheckPicture(bool selected);
