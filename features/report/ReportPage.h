#pragma once

#include <QString>

class QPainter;
struct TesterState;

// Draws the test results page on the device of an active painter: a
// printer, a print preview or a PDF writer get the same page. Positions are
// in twips from the top left of the device's printable area, whose width is
// the page width; the first line starts lower on a portrait page than on a
// landscape one. Keeps the margins and centre it used in the state record.
void composeReport(QPainter &painter, TesterState &s, bool landscape);

// The font of the whole page; Liberation Sans stands in for it on Linux.
QString reportFontFamily();
