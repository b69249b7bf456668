#include "features/trend/TrendPrint.h"

#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendTicks.h"
#include "engine/trend/TrendZoom.h"
#include "features/trend/TrendChartPlan.h"
#include "features/trend/TrendPlot.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPicture>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The charts' width as laid out before scaling: the Trend window's usual.
constexpr int SheetWidth = 800;
constexpr int CycleLabelPitch = 110;

// A printed chart answers no pointer and no key.
class NoEvents : public TrendPlot::Events
{
    void pointed(TrendPlot &, double) override {}
    void banding(TrendRange) override {}
    void banded(TrendRange) override {}
    void panned(double) override {}
    void wheeled(double, double) override {}
    bool keyed(TrendPlot &, const QKeyEvent &) override { return false; }
};

// A widget never shown gets its size only on the resize event it would get on showing.
void sendResize(QWidget *widget)
{
    QResizeEvent event(widget->size(), QSize());
    QCoreApplication::sendEvent(widget, &event);
}

}   // namespace

void paintTrendCharts(QPainter &painter, const QRectF &area, const TrendHistory &history)
{
    if (area.width() <= 0 || area.height() <= 0)
        return;
    NoEvents events;
    QWidget sheet;
    sheet.setAttribute(Qt::WA_DontShowOnScreen);
    auto *column = new QVBoxLayout(&sheet);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *legend = new QLabel(trendLegendHtml(), &sheet);
    legend->setContentsMargins(8, 2, 8, 4);
    column->addWidget(legend);
    std::vector<TrendPlot *> plots;
    for (const TrendChartPlan &plan : trendChartPlans()) {
        plots.push_back(new TrendPlot(plan, events, &sheet));
        column->addWidget(plots.back(), plan.stretch);
    }
    sheet.resize(SheetWidth, std::max(200, int(SheetWidth * area.height() / area.width())));
    column->activate();
    for (TrendPlot *plot : plots)
        sendResize(plot);

    // As the Trend window draws the whole run: the range, then the lines and
    // their shared left edge, then the axis ticks for the width left.
    const TrendRange view = wholeRun(history, TrendAxis::Cycles);
    const QString unit = contactUnit(history);
    const auto placeAxis = [&](const QList<TrendTick> &ticks) {
        for (size_t i = 0; i < plots.size(); ++i)
            plots[i]->setAxis(view, ticks, i + 1 == plots.size(), QStringLiteral("cycles"),
                              QStringLiteral("the whole run"));
    };
    placeAxis({});
    const TrendReduction reduction =
        reduceTrend(history, TrendAxis::Cycles, view, std::max(16, plots.front()->plotArea().width()));
    showAligned(plots, reduction, unit);
    const int width = plots.front()->plotArea().width();
    placeAxis(valueAxisTicks(view.from, view.to, std::max(2, width / CycleLabelPitch), true));

    // Recorded first: a widget rendered straight onto a printer becomes a
    // bitmap, where a recording replays as lines and text on any device.
    QPicture picture;
    {
        QPainter recorder(&picture);
        sheet.render(&recorder, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    painter.save();
    painter.translate(area.topLeft());
    // A picture replays scaled from its own resolution to the device's.
    const double replayX = double(picture.logicalDpiX()) / painter.device()->logicalDpiX();
    const double replayY = double(picture.logicalDpiY()) / painter.device()->logicalDpiY();
    painter.scale(area.width() / sheet.width() * replayX, area.height() / sheet.height() * replayY);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}
