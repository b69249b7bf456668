#include "features/trend/TrendWindow.h"

#include "engine/state/MessageDialogs.h"
#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendReduction.h"
#include "ui/TrendFileDialog.h"

#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QGridLayout>
#include <QImage>
#include <QPainter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPixmap>
#include <QPushButton>
#include <QScatterSeries>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// A live run redraws at most this often, however fast samples come.
constexpr int RedrawDelayMs = 250;

const QColor DownColor(31, 119, 180);
const QColor UpColor(230, 120, 20);
const QColor FailureColor(200, 30, 30);
const QColor OpenColor(120, 60, 160);

enum class Source { Reading, Limit };

struct LineSpec
{
    Source source;
    int index;
    const char *name;       // nullptr: shares the legend entry of the line before
    QColor color;
};

struct ChartSpec
{
    const char *objectName;
    const char *title;
    const char *unit;       // nullptr: the unit of the measurement mode
    std::vector<LineSpec> lines;
    std::vector<int> openStrokes;
};

const std::vector<ChartSpec> &chartSpecs()
{
    static const std::vector<ChartSpec> specs = {
        {"DownContactChart", "Down stroke: last contact reading", nullptr,
         {{Source::Reading, ContactDownSeries, "Reading", DownColor},
          {Source::Limit, MinContactDownLimit, "Tolerance", DownColor},
          {Source::Limit, MaxContactDownLimit, nullptr, DownColor}},
         {TrendDown}},
        {"UpContactChart", "Up stroke: last contact reading", nullptr,
         {{Source::Reading, ContactUpSeries, "Reading", UpColor},
          {Source::Limit, MinContactUpLimit, "Tolerance", UpColor},
          {Source::Limit, MaxContactUpLimit, nullptr, UpColor}},
         {TrendUp}},
        {"BounceChart", "Last bounce time", "seconds",
         {{Source::Reading, BounceDownSeries, "Down", DownColor},
          {Source::Reading, BounceUpSeries, "Up", UpColor},
          {Source::Limit, BounceDownLimit, "Down maximum", DownColor},
          {Source::Limit, BounceUpLimit, "Up maximum", UpColor}},
         {}},
        {"StrokeTimeChart", "Last stroke time", "seconds",
         {{Source::Reading, TimeDownSeries, "Down", DownColor},
          {Source::Reading, TimeUpSeries, "Up", UpColor},
          {Source::Limit, MinTimeDownLimit, "Down limits", DownColor},
          {Source::Limit, MaxTimeDownLimit, nullptr, DownColor},
          {Source::Limit, MinTimeUpLimit, "Up limits", UpColor},
          {Source::Limit, MaxTimeUpLimit, nullptr, UpColor}},
         {}},
        {"FailureChart", "Failure count", "failures",
         {{Source::Reading, FailureSeries, "Failures", FailureColor}},
         {}},
    };
    return specs;
}

QString unitOfMode(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("ohms");
    case 1: return QStringLiteral("mA");
    case 2: return QStringLiteral("volts");
    default: return QStringLiteral("unit unknown");
    }
}

// The contact unit of a run; a run whose mode changed names each in turn.
QString contactUnit(const TrendHistory &history)
{
    QStringList units;
    int lastMode = -100;
    for (const auto &segment : history.segments()) {
        const int mode = segment.limits.mode;
        if (mode == lastMode || mode < 0 || mode > 2)
            continue;
        units.append(unitOfMode(mode));
        lastMode = mode;
    }
    return units.isEmpty() ? unitOfMode(-1) : units.join(QStringLiteral(", then "));
}

// Marks drawn as one picture each, without an item per mark: a column of
// open readings in every pixel column stays cheap to draw.
QScatterSeries *markerSeries(const QString &name, const QColor &color, int size)
{
    auto *series = new QScatterSeries;
    series->setName(name);
    series->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    series->setMarkerSize(size);
    series->setColor(color);
    series->setBorderColor(color);
    QImage mark(size, size, QImage::Format_ARGB32_Premultiplied);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(QPolygonF({QPointF(size / 2.0, 0), QPointF(size, size), QPointF(0, size)}));
    painter.end();
    series->setLightMarker(mark);
    return series;
}

QList<QPointF> atHeight(const QList<double> &cycles, double y)
{
    QList<QPointF> points;
    points.reserve(cycles.size());
    for (const double x : cycles)
        points.append(QPointF(x, y));
    return points;
}

// A tick interval of 1, 2 or 5 times a power of ten, about five across a span.
double roundStep(double span)
{
    const double rough = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double mantissa = rough / power;
    return power * (mantissa < 1.5 ? 1 : mantissa < 3.5 ? 2 : mantissa < 7.5 ? 5 : 10);
}

// Sets an axis range with ticks at round values across the values
// low..high. The ticks are fixed while the range changes: a small interval
// left from the last range would otherwise ask for millions of ticks.
void setValueAxis(QValueAxis *axis, double min, double max, double low, double high)
{
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setRange(min, max);
    const double span = high - low;
    if (!(span > 0) || !std::isfinite(span))
        return;
    axis->setTickAnchor(0);
    axis->setTickInterval(roundStep(span));
    axis->setTickType(QValueAxis::TicksDynamic);
}

// The cycle axis runs from one round tick to another around the run.
void setCycleAxis(QValueAxis *axis, double first, double last)
{
    const double step = std::max(1.0, roundStep(last - first));
    const double min = std::floor(first / step) * step, max = std::ceil(last / step) * step;
    axis->setRange(min, max);
    axis->setTickCount(int(std::lround((max - min) / step)) + 1);
}

// A red line across the whole plot at each new failure: the line runs to
// each mark beyond the bottom and top of the plot, where it is clipped.
QList<QPointF> failureLines(const QList<double> &cycles, double firstCycle, double bottom, double top)
{
    QList<QPointF> points;
    if (cycles.isEmpty())
        return points;
    const double below = bottom - (top - bottom), above = top + (top - bottom);
    points.reserve(cycles.size() * 3 + 1);
    points.append(QPointF(firstCycle, below));
    for (const double x : cycles) {
        points.append(QPointF(x, below));
        points.append(QPointF(x, above));
        points.append(QPointF(x, below));
    }
    return points;
}

} // namespace

// One chart: its lines, the open and new-failure marks, its two axes.
struct TrendChart
{
    const ChartSpec &plan;
    QChart *chart;
    QChartView *view;
    QValueAxis *x, *y;
    std::vector<QLineSeries *> lines;
    std::vector<QScatterSeries *> open;
    QLineSeries *failures;

    TrendChart(const ChartSpec &plan, QWidget *parent) : plan(plan)
    {
        chart = new QChart;
        chart->setTitle(QString::fromLatin1(plan.title));
        chart->setMargins(QMargins(4, 2, 4, 2));
        chart->legend()->setAlignment(Qt::AlignRight);
        QFont small = chart->legend()->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        chart->legend()->setFont(small);
        x = new QValueAxis;
        x->setLabelFormat(QStringLiteral("%.0f"));
        x->setTitleText(QStringLiteral("cycles"));
        x->setLabelsFont(small);
        x->setTitleFont(small);
        y = new QValueAxis;
        y->setLabelFormat(QStringLiteral("%.6g"));
        y->setLabelsFont(small);
        y->setTitleFont(small);
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);

        for (const LineSpec &line : plan.lines) {
            auto *series = new QLineSeries;
            QPen pen(line.color);
            pen.setWidthF(line.source == Source::Limit ? 1.2 : 1.5);
            if (line.source == Source::Limit)
                pen.setStyle(Qt::DashLine);
            series->setPen(pen);
            series->setName(QString::fromLatin1(line.name ? line.name : ""));
            lines.push_back(series);
            add(series);
        }
        for (size_t i = 0; i < plan.openStrokes.size(); ++i) {
            auto *marks = markerSeries(QStringLiteral("Open (at the top)"), OpenColor, 9);
            open.push_back(marks);
            add(marks);
        }
        failures = new QLineSeries;
        failures->setName(QStringLiteral("New failure"));
        failures->setPen(QPen(QColor(FailureColor.red(), FailureColor.green(), FailureColor.blue(), 110), 1));
        add(failures);

        view = new QChartView(chart, parent);
        view->setObjectName(QString::fromLatin1(plan.objectName));
        view->setAccessibleName(chart->title());
        view->setRenderHint(QPainter::Antialiasing, false);
        view->setMinimumSize(320, 180);
    }

    void add(QXYSeries *series)
    {
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }

    void showMarker(QAbstractSeries *series, bool visible)
    {
        series->setVisible(visible);
        const auto markers = chart->legend()->markers(series);
        for (QLegendMarker *marker : markers)
            marker->setVisible(visible);
    }

    void fill(const TrendReduction &r, const QString &unitText)
    {
        double low = INFINITY, high = -INFINITY;
        std::vector<bool> drawn(lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            const LineSpec &line = plan.lines[i];
            const QList<QPointF> &points =
                line.source == Source::Reading ? r.series[line.index] : r.limits[line.index];
            for (const QPointF &p : points) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
            lines[i]->replace(points);
            // A few readings among open ones would be dots too small to see.
            lines[i]->setPointsVisible(line.source == Source::Reading && points.size() < 50);
            drawn[i] = !points.isEmpty();
            lines[i]->setVisible(drawn[i]);
        }
        // A line without a name shares the legend entry of the named line before it.
        for (size_t i = 0; i < lines.size(); ++i) {
            bool entry = false;
            if (plan.lines[i].name) {
                for (size_t k = i; k < lines.size() && (k == i || !plan.lines[k].name); ++k)
                    entry = entry || drawn[k];
            }
            for (QLegendMarker *marker : chart->legend()->markers(lines[i]))
                marker->setVisible(entry);
        }
        bool anyOpen = false;
        for (const int stroke : plan.openStrokes)
            anyOpen = anyOpen || !r.openCycles[stroke].isEmpty();
        if (!(low <= high)) {
            low = 0;
            high = 1;
        } else if (high - low < 1e-9 * std::max(1.0, std::abs(high))) {
            const double pad = std::max(std::abs(high) * 0.1, 1e-6);
            low -= pad;
            high += pad;
        }
        // Readings keep a margin from the edges; quantities that cannot be
        // negative start at zero rather than below it. Open readings get a
        // band of their own above everything else.
        const double pad = (high - low) * 0.06;
        const double bottom = (low >= 0 && low - pad < 0) ? 0 : low - pad;
        const double openY = high + 2 * pad;
        const double top = anyOpen ? openY + 1.5 * pad : high + pad;
        setValueAxis(y, bottom, top, low, high);
        y->setTitleText(unitText);

        for (size_t i = 0; i < open.size(); ++i) {
            const QList<double> &cycles = r.openCycles[plan.openStrokes[i]];
            open[i]->replace(atHeight(cycles, openY));
            showMarker(open[i], !cycles.isEmpty());
        }
        failures->replace(failureLines(r.failureCycles, r.firstCycle, bottom, top));
        showMarker(failures, !r.failureCycles.isEmpty());

        double first = r.firstCycle, last = r.lastCycle;
        if (last <= first) {
            first -= 1;
            last += 1;
        }
        setCycleAxis(x, first, last);
    }
};

TrendWindow::TrendWindow(MessageDialogs &dialogs, TrendFileDialog &fileDialog, QWidget *parent)
    : QWidget(parent, Qt::Window), dialogs(dialogs), fileDialog(&fileDialog)
{
    setObjectName("TrendWindow");
    resize(1200, 800);

    sourceLabel = new QLabel(this);
    sourceLabel->setObjectName("SourceLabel");
    skippedLabel = new QLabel(this);
    skippedLabel->setObjectName("SkippedLabel");
    skippedLabel->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    skippedLabel->setToolTip(QStringLiteral("Lines of the data log that are not valid samples and are not drawn"));
    liveButton = new QPushButton(QStringLiteral("Show &Live Run"), this);
    liveButton->setObjectName("LiveButton");
    liveButton->setToolTip(QStringLiteral("Draw the run of the attached tester since the program started"));
    saveButton = new QPushButton(QStringLiteral("&Save Image..."), this);
    saveButton->setObjectName("SaveImageButton");
    saveButton->setToolTip(QStringLiteral("Write the charts to a PNG image file"));

    auto *top = new QHBoxLayout;
    top->addWidget(sourceLabel);
    top->addSpacing(16);
    top->addWidget(skippedLabel);
    top->addStretch(1);
    top->addWidget(liveButton);
    top->addWidget(saveButton);

    charts = new QWidget(this);
    charts->setObjectName("TrendCharts");
    auto *grid = new QGridLayout(charts);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    const auto &specs = chartSpecs();
    for (size_t i = 0; i < specs.size(); ++i) {
        panels.push_back(new TrendChart(specs[i], charts));
        const int row = int(i) / 2, column = int(i) % 2;
        // The failure count, last and alone, takes the whole width.
        grid->addWidget(panels.back()->view, row, column, 1, i + 1 == specs.size() ? 2 : 1);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addWidget(charts, 1);

    redrawTimer = new QTimer(this);
    redrawTimer->setSingleShot(true);
    connect(redrawTimer, &QTimer::timeout, this, [this] { redraw(); });
    connect(liveButton, &QPushButton::clicked, this, [this] {
        if (liveRequested)
            liveRequested();
    });
    connect(saveButton, &QPushButton::clicked, this, [this] { saveImageChosen(); });
    updateLabels();
}

TrendWindow::~TrendWindow()
{
    for (TrendChart *panel : panels)
        delete panel;
}

void TrendWindow::showLive(const TrendHistory &shown)
{
    history = &shown;
    live = true;
    logName.clear();
    skipped = 0;
    updateLabels();
    redraw();
}

void TrendWindow::showLog(const TrendHistory &shown, const QString &fileName, int64_t skippedLines)
{
    history = &shown;
    live = false;
    logName = fileName;
    skipped = skippedLines;
    updateLabels();
    redraw();
}

void TrendWindow::historyGrew()
{
    // A hidden window does nothing per sample (its label's new text would
    // cost the program a layout pass each time): showing it brings it up to
    // date.
    if (!live || !isVisible())
        return;
    updateLabels();
    if (!redrawTimer->isActive())
        redrawTimer->start(RedrawDelayMs);
}

void TrendWindow::updateLabels()
{
    const qint64 samples = history ? qint64(history->size()) : 0;
    const QString count = samples == 1 ? QStringLiteral("1 sample") : QStringLiteral("%1 samples").arg(samples);
    if (live) {
        setWindowTitle(QStringLiteral("Trend - Live Run"));
        sourceLabel->setText(QStringLiteral("Live run since the program started: %1").arg(count));
    } else {
        setWindowTitle(QStringLiteral("Trend - %1").arg(logName));
        sourceLabel->setText(QStringLiteral("Data log %1: %2").arg(logName, count));
    }
    skippedLabel->setText(skipped == 1 ? QStringLiteral("1 line skipped")
                                       : QStringLiteral("%1 lines skipped").arg(skipped));
    skippedLabel->setVisible(!live && skipped > 0);
    liveButton->setEnabled(!live);
}

int TrendWindow::columns() const
{
    // One column per pixel of the narrower charts; the failure count, twice
    // as wide, shares their columns (a step line loses nothing by it) and
    // the redraw draws half the points.
    qreal narrowest = 0;
    for (const TrendChart *panel : panels) {
        const qreal width = panel->chart->plotArea().width();
        if (width >= 16 && (narrowest == 0 || width < narrowest))
            narrowest = width;
    }
    return narrowest > 0 ? int(std::ceil(narrowest)) : 600;
}

void TrendWindow::redraw()
{
    redrawTimer->stop();
    static const TrendHistory empty;
    const TrendHistory &shown = history ? *history : empty;
    const TrendReduction reduction = ReduceTrend(shown, columns());
    const QString unit = contactUnit(shown);
    for (TrendChart *panel : panels)
        panel->fill(reduction, panel->plan.unit ? QString::fromLatin1(panel->plan.unit) : unit);
}

void TrendWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The plot areas change width after the layout: reduce again then.
    redrawTimer->start(0);
}

void TrendWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateLabels();
    redrawTimer->start(0);
}

bool TrendWindow::saveImage(const QString &path)
{
    return charts->grab().save(path, "PNG");
}

void TrendWindow::saveImageChosen()
{
    QString path = fileDialog->imageToSave(this);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    if (!saveImage(path))
        dialogs.ErrorDialog(QStringLiteral("File Error"), QStringLiteral("Error Writing File"));
}
