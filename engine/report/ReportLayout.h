#pragma once

#include <QList>
#include <QString>

struct TesterState;

// The test results page as data: which lines, which texts, in which column,
// in which style. It knows no printer; ReportPage draws it on any device.

// Where a text goes on its line. Label, Indent and Unit texts start at their
// column, Value and Tolerance texts end at it, Center texts are centred on it.
enum class ReportColumn { Label, Indent, Value, Unit, Tolerance, Center };

struct ReportText
{
    ReportColumn column;
    QString text;
};

struct ReportLine
{
    QList<ReportText> texts;   // none: an empty line
    bool bold = false;
    bool underline = false;
};

// The page's lines from the tester's latest data, top to bottom.
QList<ReportLine> reportLines(const TesterState &s);

QString passFailString(bool fail);

// The columns in twips from the left and top of the printable area.
struct ReportGeometry
{
    ReportGeometry(double pageWidth, bool landscape);

    double LMargin, RMargin, Center, valueColumn, unitColumn, conditionIndent;
    double top;   // where the first line starts

    // The position a column's texts start at, end at (Value, Tolerance) or
    // are centred on (Center).
    double position(ReportColumn column) const;
    static bool rightAligned(ReportColumn column);
};
