#include "features/report/ReportPage.h"

#include "engine/report/ReportLayout.h"
#include "engine/state/TesterState.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace {

constexpr double TwipsPerInch = 1440;

// Places texts by twips on a device of any resolution, line by line, as a
// printer with a current position does.
class TwipPen
{
public:
    TwipPen(QPainter &painter, const ReportGeometry &geometry, double top)
        : painter(painter), geometry(geometry), perTwipX(painter.device()->logicalDpiX() / TwipsPerInch),
          perTwipY(painter.device()->logicalDpiY() / TwipsPerInch), y(top)
    {
    }

    void setFont(bool bold, bool underline)
    {
        QFont font(reportFontFamily());
        font.setPointSizeF(10);
        font.setBold(bold);
        font.setUnderline(underline);
        painter.setFont(font);
    }

    void printCenter(const QString &xstr) { print(xstr, geometry.Center - width(xstr) / 2); }

    void printColumn(const QString &xstr, double col, bool rightjust)
    {
        print(xstr, rightjust ? col - width(xstr) : col);
    }

    void endLine() { y += QFontMetricsF(painter.font(), painter.device()).lineSpacing() / perTwipY; }

private:
    double width(const QString &text) const
    {
        return QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(text) / perTwipX;
    }

    // y is the top of the line; the text stands on its baseline.
    void print(const QString &text, double x)
    {
        const double ascent = QFontMetricsF(painter.font(), painter.device()).ascent();
        painter.drawText(QPointF(x * perTwipX, y * perTwipY + ascent), text);
    }

    QPainter &painter;
    const ReportGeometry &geometry;
    const double perTwipX, perTwipY;
    double y;
};

}   // namespace

QString reportFontFamily()
{
    return QStringLiteral("Arial");
}

void composeReport(QPainter &painter, TesterState &s, bool landscape)
{
    const QPaintDevice &device = *painter.device();
    const double pageWidth = device.width() * TwipsPerInch / device.logicalDpiX();
    const ReportGeometry geometry(pageWidth, landscape);

    TwipPen pen(painter, geometry, geometry.top);
    for (const ReportLine &line : reportLines(s)) {
        pen.setFont(line.bold, line.underline);
        for (const ReportText &t : line.texts) {
            if (t.column == ReportColumn::Center)
                pen.printCenter(t.text);
            else
                pen.printColumn(t.text, geometry.position(t.column), ReportGeometry::rightAligned(t.column));
        }
        pen.endLine();
    }
}
