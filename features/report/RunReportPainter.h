#pragma once

#include <QString>
#include <functional>

class QIODevice;
class QPainter;
class QPagedPaintDevice;
class QRectF;
class TrendHistory;
struct RunReportData;

// Draws the charts of a run into a rectangle of a page. The Trend window's
// floor hands in its charts; without one the chart page has only its heading.
using RunChartPainter = std::function<void(QPainter &, const QRectF &, const TrendHistory &)>;

// Draws the test report of a run on a paged device with an active painter,
// page after page: the summary, the chart, the failures, the events and the
// last sample's page, each page footed with the tester, the run and "Page N
// of M". The printer, its preview and a PDF writer all get their pages here.
void composeRunReport(QPainter &painter, QPagedPaintDevice &device, const RunReportData &data,
                      const TrendHistory &trend, const RunChartPainter &charts);

// The report as a PDF on Letter paper, portrait, into `out`. Empty when
// written, else what failed.
QString writeRunReportPdf(QIODevice &out, const RunReportData &data, const TrendHistory &trend,
                          const RunChartPainter &charts);
