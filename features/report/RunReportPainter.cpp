#include "features/report/RunReportPainter.h"

#include "engine/report/RunReportModel.h"
#include "features/report/ReportPage.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

namespace {

constexpr double Inch = 1440;   // twips
constexpr double SideMargin = 0.75 * Inch, TopMargin = 0.75 * Inch, FootMargin = 0.6 * Inch;
constexpr int PdfResolution = 1200;   // dots per inch

// The page in device pixels: its margins, its line pitch and where texts go.
// The margins are measured from the paper's edges, not from the printable
// area a printer leaves, so that a printer and a PDF of the same paper get
// the same lines on each page.
class RunPageFrame
{
public:
    RunPageFrame(QPainter &painter, const QPagedPaintDevice &device)
        : painter(painter), perTwipX(painter.device()->logicalDpiX() / Inch),
          perTwipY(painter.device()->logicalDpiY() / Inch)
    {
        setFont(false);
        const QPageLayout page = device.pageLayout();
        const QRectF paper = page.fullRectPoints(), printable = page.paintRectPoints();
        const double pointsPerTwip = 72 / Inch;
        // Where the paper's corner lies from the painter's origin, in device pixels.
        const double paperX = -printable.left() / pointsPerTwip * perTwipX;
        const double paperY = -printable.top() / pointsPerTwip * perTwipY;
        left = paperX + SideMargin * perTwipX;
        right = paperX + (paper.width() / pointsPerTwip - SideMargin) * perTwipX;
        top = paperY + TopMargin * perTwipY;
        foot = paperY + (paper.height() / pointsPerTwip - FootMargin) * perTwipY;
        pitch = QFontMetricsF(painter.font(), painter.device()).lineSpacing();
    }

    // Whole lines between the top margin and the foot, one line kept free above it.
    int linesPerPage() const { return std::max(1, int(std::floor((foot - top) / pitch)) - 1); }
    double lineTop(int index) const { return top + index * pitch; }

    void setFont(bool bold)
    {
        QFont font(reportFontFamily());
        font.setPointSizeF(10);
        font.setBold(bold);
        painter.setFont(font);
    }

    void drawLine(const RunReportLine &line, double y)
    {
        setFont(line.bold);
        for (const RunReportText &t : line.texts) {
            const double x = left + t.at * (right - left);
            drawText(t.text, t.right ? x - width(t.text) : x, y);
        }
    }

    void drawFoot(const QString &leftText, const QString &rightText)
    {
        setFont(false);
        drawText(leftText, left, foot);
        drawText(rightText, right - width(rightText), foot);
    }

    QRectF chartArea(int headLines) const
    {
        const double y = lineTop(headLines + 1);
        return QRectF(left, y, right - left, foot - pitch - y);
    }

private:
    double width(const QString &text) const
    {
        return QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(text);
    }

    // y is the top of the line; the text stands on its baseline.
    void drawText(const QString &text, double x, double y)
    {
        painter.drawText(QPointF(x, y + QFontMetricsF(painter.font(), painter.device()).ascent()), text);
    }

    QPainter &painter;
    const double perTwipX, perTwipY;
    double left, right, top, foot, pitch;
};

}   // namespace

void composeRunReport(QPainter &painter, QPagedPaintDevice &device, const RunReportData &data,
                      const TrendHistory &trend, const RunChartPainter &charts)
{
    RunPageFrame frame(painter, device);
    const std::vector<RunReportPage> pages = runReportPages(data, frame.linesPerPage());
    const bool landscape = device.pageLayout().orientation() == QPageLayout::Landscape;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            device.newPage();
        const RunReportPage &page = pages[i];
        if (page.kind == RunReportPage::LastSample) {
            // The one-page report of the last sample, as File, Print prints it.
            TesterState last = data.last;
            composeReport(painter, last, landscape);
        } else {
            for (int k = 0; k < page.lines.size(); ++k)
                frame.drawLine(page.lines[k], frame.lineTop(k));
        }
        if (page.kind == RunReportPage::Chart && charts) {
            painter.save();
            charts(painter, frame.chartArea(int(page.lines.size())), trend);
            painter.restore();
        }
        frame.drawFoot(runReportFootLeft(data), runReportPageNumber(int(i) + 1, int(pages.size())));
    }
}

QString writeRunReportPdf(QIODevice &out, const RunReportData &data, const TrendHistory &trend,
                          const RunChartPainter &charts)
{
    const QString failure = QStringLiteral("The report of run %1 could not be made.").arg(data.runId);
    QPdfWriter writer(&out);
    writer.setResolution(PdfResolution);
    writer.setTitle(QStringLiteral("Model 418C Test Report"));
    writer.setCreator(QStringLiteral("Model 418C Life Cycle Tester"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&writer))
        return failure;
    composeRunReport(painter, writer, data, trend, charts);
    return painter.end() ? QString() : failure;
}
