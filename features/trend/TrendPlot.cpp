#include "features/trend/TrendPlot.h"

#include "features/trend/TrendChartPlan.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int RightMargin = 14;
constexpr int LabelGap = 6;
// A drag shorter than this is a click, not a band to zoom to.
constexpr double SmallestBand = 4;
// A reading line draws its samples as dots when they stand this far apart.
constexpr double DotPitch = 6;
constexpr int OpenMarkSize = 8;
// Crowded new failures are ticks in a strip of their own along the bottom.
constexpr int FailureStrip = 12;
// One wheel notch shows this share of the range.
constexpr double WheelZoom = 0.8;

QFont smallFont(const QFont &font)
{
    QFont small = font;
    small.setPointSizeF(font.pointSizeF() * 0.85);
    return small;
}

// The stretches of a line between its breaks, in pixels.
template <typename Map>
std::vector<QPolygonF> pieces(const QList<QPointF> &points, Map map)
{
    std::vector<QPolygonF> out(1);
    for (const QPointF &p : points) {
        if (isLineBreak(p)) {
            if (!out.back().isEmpty())
                out.emplace_back();
            continue;
        }
        out.back().append(map(p));
    }
    return out;
}

QString rangeOfValues(const QList<QPointF> &points, const QString &unit)
{
    double low = INFINITY, high = -INFINITY;
    for (const QPointF &p : points) {
        if (isLineBreak(p))
            continue;
        low = std::min(low, p.y());
        high = std::max(high, p.y());
    }
    if (!(low <= high))
        return QStringLiteral("none shown");
    return QStringLiteral("%1 to %2 %3").arg(trendNumber(low), trendNumber(high), unit);
}

}   // namespace

TrendPlot::TrendPlot(const TrendChartPlan &plan, Events &events, QWidget *parent)
    : QWidget(parent), chart(plan), events(events)
{
    setObjectName(QString::fromLatin1(plan.objectName));
    setAccessibleName(QString::fromLatin1(plan.title));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 70);
    for (const TrendLinePlan &line : plan.lines) {
        // One-pixel cosmetic pens: the raster engine draws them directly; a
        // wider pen is stroked into a polygon that takes a hundred times longer
        // to fill for a line of a thousand columns.
        QPen pen(line.color, 1, line.kind == TrendLineKind::Limit ? Qt::DashLine : Qt::SolidLine);
        pen.setCosmetic(true);
        lines.push_back({{}, pen, line.kind == TrendLineKind::Reading});
    }
    placeArea();
}

void TrendPlot::setData(const TrendReduction &r, const QString &unitText)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const TrendLinePlan &line = chart.lines[i];
        lines[i].points = line.kind == TrendLineKind::Reading ? r.series[line.index] : r.limits[line.index];
    }
    openAt.clear();
    for (const int stroke : chart.openStrokes)
        openAt += r.openAt[stroke];
    failureAt = r.failureAt;
    failureCount = r.failureCount;
    sessionAt = r.sessionAt;
    unit = unitText;
    placeFailureMarks();
    fitValues();
    describe();
    update();
}

void TrendPlot::placeFailureMarks()
{
    failureTicks = failureMarksCrowded(failureAt, plotArea().width() / range.span());
}

// The value axis: the readings and limits shown with a margin; quantities
// that cannot be negative start at zero rather than below it; open readings
// get a band of their own above everything else.
void TrendPlot::fitValues()
{
    low = INFINITY;
    high = -INFINITY;
    for (const Line &line : lines) {
        for (const QPointF &p : line.points) {
            if (isLineBreak(p))
                continue;
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    }
    if (!(low <= high)) {
        low = 0;
        high = 1;
    } else if (high - low < 1e-9 * std::max(1.0, std::abs(high))) {
        const double pad = chart.counting ? 1.0 : std::max(std::abs(high) * 0.1, 1e-6);
        low -= pad;
        high += pad;
    }
    const double pad = (high - low) * 0.06;
    bottom = (low >= 0 && low - pad < 0) ? 0 : low - pad;
    openY = high + 2 * pad;
    top = openAt.isEmpty() ? high + pad : openY + 1.5 * pad;
    const int maxTicks = std::max(2, valueArea().height() / 22);
    yTicks = valueAxisTicks(bottom, high + pad, maxTicks, chart.counting);
}

void TrendPlot::setAxis(TrendRange shown, const QList<TrendTick> &ticks, bool withLabels, const QString &title,
                        const QString &words)
{
    range = shown;
    xTicks = ticks;
    labelled = withLabels;
    placeArea();
    axisTitle = title;
    rangeText = words;
    placeFailureMarks();
    fitValues();
    describe();
    update();
}

int TrendPlot::neededLeftMargin() const
{
    const QFontMetrics metrics(smallFont(font()));
    int widest = 0;
    for (const TrendTick &tick : yTicks)
        widest = std::max(widest, metrics.horizontalAdvance(tick.label));
    return widest + metrics.height() + 3 * LabelGap;
}

void TrendPlot::setLeftMargin(int pixels)
{
    if (pixels == leftMargin)
        return;
    leftMargin = pixels;
    placeArea();
    update();
}

void TrendPlot::setCursorAt(double x)
{
    cursorX = x;
    update();
}

void TrendPlot::setBand(TrendRange shown)
{
    band = shown;
    update();
}

// The plot area between the title, the value labels, the tick labels and a
// margin on the right; kept, as every point drawn maps through it.
void TrendPlot::placeArea()
{
    const QFontMetrics metrics(smallFont(font()));
    const int titleHeight = metrics.height() + 4;
    const int below = labelled ? 2 * metrics.height() + LabelGap : LabelGap;
    plotRect = QRect(leftMargin, titleHeight, std::max(1, width() - leftMargin - RightMargin),
                     std::max(1, height() - titleHeight - below));
}

double TrendPlot::positionAt(double pixel) const
{
    const QRect area = plotArea();
    return range.from + (pixel - area.left()) / area.width() * range.span();
}

double TrendPlot::pixelAt(double x) const
{
    const QRect area = plotArea();
    return area.left() + (x - range.from) / range.span() * area.width();
}

QRect TrendPlot::valueArea() const
{
    const QRect area = plotArea();
    return failureTicks ? area.adjusted(0, 0, 0, -FailureStrip) : area;
}

double TrendPlot::heightOf(double value) const
{
    const QRect area = valueArea();
    return area.top() + area.height() - (value - bottom) / (top - bottom) * area.height();
}

void TrendPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setFont(smallFont(font()));
    paintGrid(painter);
    painter.save();
    painter.setClipRect(plotArea());
    paintLines(painter);
    paintMarks(painter);
    painter.restore();
    paintLabels(painter);
}

void TrendPlot::paintGrid(QPainter &painter) const
{
    const QRect area = plotArea();
    painter.setPen(QColor(228, 228, 228));
    for (const TrendTick &tick : yTicks)
        painter.drawLine(QPointF(area.left(), heightOf(tick.value)), QPointF(area.right(), heightOf(tick.value)));
    for (const TrendTick &tick : xTicks)
        painter.drawLine(QPointF(pixelAt(tick.value), area.top()), QPointF(pixelAt(tick.value), area.bottom()));
    painter.setPen(hasFocus() ? QPen(palette().highlight(), 1, Qt::DotLine) : QPen(QColor(170, 170, 170)));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void TrendPlot::paintLines(QPainter &painter) const
{
    const auto map = [this](const QPointF &p) { return QPointF(pixelAt(p.x()), heightOf(p.y())); };
    const double dotsBelow = plotArea().width() / DotPitch;
    // Limits first, so that readings lie on top of them.
    for (const bool readings : {false, true}) {
        for (const Line &line : lines) {
            if (line.reading != readings)
                continue;
            painter.setPen(line.pen);
            const bool dots = readings && line.points.size() < dotsBelow;
            for (const QPolygonF &piece : pieces(line.points, map)) {
                if (piece.size() > 1)
                    painter.drawPolyline(piece);
                if (dots || piece.size() == 1) {
                    for (const QPointF &p : piece)
                        painter.fillRect(QRectF(p.x() - 1.5, p.y() - 1.5, 3, 3), line.pen.color());
                }
            }
        }
    }
}

// Open readings as triangles in their band at the top; session starts as
// dashed lines; new failures as lines through the chart, or as short ticks
// along its bottom where lines would stand closer than a few pixels.
void TrendPlot::paintMarks(QPainter &painter) const
{
    const QRect area = plotArea();
    painter.setPen(QPen(TrendColors::Session, 1, Qt::DashLine));
    for (const double x : sessionAt)
        painter.drawLine(QPointF(pixelAt(x), area.top()), QPointF(pixelAt(x), area.bottom()));

    painter.setPen(Qt::NoPen);
    painter.setBrush(TrendColors::Open);
    const double half = OpenMarkSize / 2.0, y = heightOf(openY);
    for (const double x : openAt) {
        const double px = pixelAt(x);
        painter.drawPolygon(
            QPolygonF({QPointF(px, y - half), QPointF(px + half, y + half), QPointF(px - half, y + half)}));
    }

    if (failureTicks) {
        // Taller where a column holds more of them.
        const QRectF strip(area.left(), area.bottom() - FailureStrip + 1, area.width(), FailureStrip);
        painter.fillRect(strip, QColor(250, 236, 236));
        painter.setPen(QPen(TrendColors::Failure, 1));
        for (qsizetype i = 0; i < failureAt.size(); ++i) {
            const double px = pixelAt(failureAt[i]);
            const double tall = std::min(strip.height() - 1, 4 + 2 * std::log2(double(failureCount[i])));
            painter.drawLine(QPointF(px, strip.bottom()), QPointF(px, strip.bottom() - tall));
        }
    } else {
        QColor line = TrendColors::Failure;
        line.setAlpha(140);
        painter.setPen(QPen(line, 1));
        for (const double x : failureAt)
            painter.drawLine(QPointF(pixelAt(x), area.top()), QPointF(pixelAt(x), area.bottom()));
    }

    if (band.from <= band.to) {
        const QRectF shaded(QPointF(pixelAt(band.from), area.top()), QPointF(pixelAt(band.to), area.bottom()));
        painter.fillRect(shaded, QColor(31, 119, 180, 45));
        painter.setPen(QPen(TrendColors::Down, 1));
        painter.drawLine(shaded.topLeft(), shaded.bottomLeft());
        painter.drawLine(shaded.topRight(), shaded.bottomRight());
    }
    if (!std::isnan(cursorX)) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(QPointF(pixelAt(cursorX), area.top()), QPointF(pixelAt(cursorX), area.bottom()));
    }
}

void TrendPlot::paintLabels(QPainter &painter) const
{
    const QRect area = plotArea();
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(Qt::black);
    QFont bold = painter.font();
    bold.setBold(true);
    painter.save();
    painter.setFont(bold);
    painter.drawText(QRect(area.left(), 0, area.width(), area.top()), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(chart.title));
    painter.restore();

    painter.setPen(QColor(60, 60, 60));
    for (const TrendTick &tick : yTicks) {
        const int y = int(std::lround(heightOf(tick.value)));
        painter.drawText(QRect(0, y - metrics.height() / 2, area.left() - LabelGap, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, tick.label);
    }
    painter.save();
    painter.translate(2, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-area.height() / 2, 0, area.height(), metrics.height()), Qt::AlignCenter, unit);
    painter.restore();

    if (!labelled)
        return;
    const int y = area.bottom() + 3;
    for (const TrendTick &tick : xTicks) {
        const int w = metrics.horizontalAdvance(tick.label);
        const int x = std::clamp(int(std::lround(pixelAt(tick.value))) - w / 2, 0, width() - w);
        painter.drawText(QRect(x, y, w, metrics.height()), Qt::AlignCenter, tick.label);
    }
    painter.drawText(QRect(area.left(), y + metrics.height(), area.width(), metrics.height()), Qt::AlignCenter,
                     axisTitle);
}

// For screen readers: what the chart shows, in words.
void TrendPlot::describe()
{
    QStringList parts;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (chart.lines[i].kind == TrendLineKind::Reading)
            parts.append(QString::fromLatin1(chart.lines[i].name) + QLatin1Char(' ')
                         + rangeOfValues(lines[i].points, unit));
    }
    if (!openAt.isEmpty())
        parts.append(QStringLiteral("open readings shown"));
    int failures = 0;
    for (const int n : failureCount)
        failures += n;
    parts.append(failures == 1 ? QStringLiteral("1 new failure") : QStringLiteral("%1 new failures").arg(failures));
    if (!sessionAt.isEmpty())
        parts.append(sessionAt.size() == 1 ? QStringLiteral("1 session start")
                                           : QStringLiteral("%1 session starts").arg(sessionAt.size()));
    setAccessibleDescription(QStringLiteral("%1: %2").arg(rangeText, parts.join(QStringLiteral("; "))));
}

void TrendPlot::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeArea();
    placeFailureMarks();
    fitValues();
}

void TrendPlot::mousePressEvent(QMouseEvent *event)
{
    if (!plotArea().contains(event->position().toPoint()))
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const bool pan = event->button() == Qt::RightButton || event->button() == Qt::MiddleButton
                     || (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    drag = pan ? Drag::Pan : event->button() == Qt::LeftButton ? Drag::Band : Drag::None;
    dragStart = dragLast = event->position().x();
}

void TrendPlot::mouseMoveEvent(QMouseEvent *event)
{
    const double px = event->position().x();
    const double x = positionAt(px);
    if (drag == Drag::Band) {
        events.banding({std::min(positionAt(dragStart), x), std::max(positionAt(dragStart), x)});
    } else if (drag == Drag::Pan) {
        events.panned((dragLast - px) / plotArea().width() * range.span());
        dragLast = px;
    } else if (plotArea().contains(event->position().toPoint())) {
        events.pointed(*this, x);
    }
}

void TrendPlot::mouseReleaseEvent(QMouseEvent *event)
{
    const Drag was = drag;
    drag = Drag::None;
    if (was != Drag::Band)
        return;
    const double px = event->position().x();
    events.banding({1, 0});
    if (std::abs(px - dragStart) >= SmallestBand) {
        const double a = positionAt(dragStart), b = positionAt(px);
        events.banded({std::min(a, b), std::max(a, b)});
        // The cursor stayed where the drag began: the readout goes to the
        // sample under the pointer in the zoomed range.
        events.pointed(*this, positionAt(px));
    } else {
        events.pointed(*this, positionAt(px));
    }
}

void TrendPlot::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0)
        return QWidget::wheelEvent(event);
    events.wheeled(positionAt(event->position().x()), std::pow(WheelZoom, notches));
    event->accept();
}

void TrendPlot::keyPressEvent(QKeyEvent *event)
{
    if (!events.keyed(*this, *event))
        QWidget::keyPressEvent(event);
}

void showAligned(const std::vector<TrendPlot *> &plots, const TrendReduction &reduction, const QString &contactUnit)
{
    int margin = 0;
    for (TrendPlot *plot : plots) {
        plot->setData(reduction, plot->plan().unit ? QString::fromLatin1(plot->plan().unit) : contactUnit);
        margin = std::max(margin, plot->neededLeftMargin());
    }
    for (TrendPlot *plot : plots)
        plot->setLeftMargin(margin);
}
