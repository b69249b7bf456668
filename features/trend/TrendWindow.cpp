#include "features/trend/TrendWindow.h"

#include "engine/state/MessageDialogs.h"
#include "engine/state/StateTexts.h"
#include "engine/trend/TrendFailures.h"
#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendLines.h"
#include "engine/trend/TrendTicks.h"
#include "engine/trend/TrendZoom.h"
#include "features/trend/TrendChartPlan.h"
#include "ui/TrendFileDialog.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

// A live run redraws at most this often, however fast samples come.
constexpr int RedrawDelayMs = 250;
// Pixels per tick label along the axis.
constexpr int CycleLabelPitch = 110, TimeLabelPitch = 140;
// A key press zooms by this much, or pans by this share of the range.
constexpr double KeyZoom = 0.5;
constexpr double KeyPan = 0.1;

QPushButton *button(const QString &caption, const char *name, const QString &tip, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAccessibleDescription(tip);
    return b;
}

QString positionText(TrendAxis axis, double x)
{
    if (axis == TrendAxis::Cycles)
        return QString::number(qint64(std::llround(x)));
    return formatSampleTime(trendWallClock(int64_t(std::llround(x))));
}

}   // namespace

TrendWindow::TrendWindow(MessageDialogs &dialogs, TrendFileDialog &fileDialog, QWidget *parent)
    : QWidget(parent, Qt::Window), dialogs(dialogs), fileDialog(&fileDialog), cursorSample(TrendHistory::NoSample)
{
    setObjectName("TrendWindow");
    resize(1200, 820);

    auto *hint = new QLabel(QStringLiteral("Drag across a chart to zoom in; the wheel zooms at the pointer; right-drag "
                                           "or Shift+drag pans; Home or Reset Zoom shows the whole run; the arrow "
                                           "keys move the readout cursor, N and P to the next and previous new "
                                           "failure."),
                            this);
    hint->setObjectName("HintLabel");
    hint->setStyleSheet(QStringLiteral("color: #555555;"));
    hint->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buildTopRow());
    layout->addWidget(buildCharts(), 1);
    layout->addWidget(hint);

    redrawTimer = new QTimer(this);
    redrawTimer->setSingleShot(true);
    connect(redrawTimer, &QTimer::timeout, this, [this] { redraw(); });
    updateLabels();
}

TrendWindow::~TrendWindow() = default;

QLayout *TrendWindow::buildTopRow()
{
    sourceLabel = new QLabel(this);
    sourceLabel->setObjectName("SourceLabel");
    // A long file name is cut short rather than widening the window; the
    // tool tip holds it whole.
    sourceLabel->setMinimumWidth(60);
    skippedLabel = new QLabel(this);
    skippedLabel->setObjectName("SkippedLabel");
    skippedLabel->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    skippedLabel->setToolTip(QStringLiteral("Lines of the data log that are not valid samples and are not drawn"));

    auto *axisLabel = new QLabel(QStringLiteral("Horizontal axis:"), this);
    cyclesButton = new QRadioButton(QStringLiteral("C&ycles"), this);
    cyclesButton->setObjectName("CyclesAxisButton");
    cyclesButton->setToolTip(QStringLiteral("Draw the charts along the cycle count"));
    cyclesButton->setChecked(true);
    timeButton = new QRadioButton(QStringLiteral("&Time"), this);
    timeButton->setObjectName("TimeAxisButton");
    timeButton->setToolTip(QStringLiteral("Draw the charts along the date and time of the samples"));
    auto *axes = new QButtonGroup(this);
    axes->addButton(cyclesButton);
    axes->addButton(timeButton);

    previousFailureButton = button(QStringLiteral("Previous Failure"), "PreviousFailureButton",
                                   QStringLiteral("Move the readout cursor to the previous new failure (P)"), this);
    nextFailureButton = button(QStringLiteral("Next Failure"), "NextFailureButton",
                               QStringLiteral("Move the readout cursor to the next new failure (N)"), this);
    exportRangeButton = button(
        QStringLiteral("Export Range..."), "ExportRangeButton",
        QStringLiteral("Write the samples of the shown range to a data log file, as the data log writes them"), this);
    resetZoomButton = button(QStringLiteral("Reset &Zoom"), "ResetZoomButton",
                             QStringLiteral("Show the whole run again (Home)"), this);
    liveButton = button(QStringLiteral("Show &Live Run"), "LiveButton",
                        QStringLiteral("Draw the run of the attached tester since the program started"), this);
    saveButton = button(QStringLiteral("&Save Image..."), "SaveImageButton",
                        QStringLiteral("Write the charts to a PNG image file"), this);
    closeButton =
        button(QStringLiteral("&Close"), "CloseButton", QStringLiteral("Close the Trend window (Escape)"), this);

    connect(cyclesButton, &QRadioButton::toggled, this,
            [this](bool on) { setAxis(on ? TrendAxis::Cycles : TrendAxis::Time); });
    connect(previousFailureButton, &QPushButton::clicked, this, [this] { stepFailure(-1); });
    connect(nextFailureButton, &QPushButton::clicked, this, [this] { stepFailure(1); });
    connect(exportRangeButton, &QPushButton::clicked, this, [this] { exportRangeChosen(); });
    connect(resetZoomButton, &QPushButton::clicked, this, [this] { resetZoom(); });
    connect(liveButton, &QPushButton::clicked, this, &TrendWindow::liveRequested);
    connect(saveButton, &QPushButton::clicked, this, [this] { saveImageChosen(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { close(); });

    auto *top = new QHBoxLayout;
    top->addWidget(sourceLabel);
    top->addSpacing(16);
    top->addWidget(skippedLabel);
    top->addStretch(1);
    top->addWidget(axisLabel);
    top->addWidget(cyclesButton);
    top->addWidget(timeButton);
    top->addSpacing(12);
    for (QPushButton *b : {previousFailureButton, nextFailureButton, exportRangeButton, resetZoomButton, liveButton,
                           saveButton, closeButton})
        top->addWidget(b);
    return top;
}

// The legend, the charts one above the other (so that one cycle sits at one
// x in all of them) and the readout: what Save Image writes.
QWidget *TrendWindow::buildCharts()
{
    charts = new QWidget(this);
    charts->setObjectName("TrendCharts");
    charts->setAutoFillBackground(true);
    auto *column = new QVBoxLayout(charts);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *legend = new QLabel(trendLegendHtml(), charts);
    legend->setObjectName("TrendLegend");
    legend->setAccessibleName(trendLegendText());
    legend->setContentsMargins(8, 2, 8, 4);
    column->addWidget(legend);

    for (const TrendChartPlan &plan : trendChartPlans()) {
        plots.push_back(new TrendPlot(plan, *this, charts));
        column->addWidget(plots.back(), plan.stretch);
    }

    readout = new QLineEdit(charts);
    readout->setObjectName("Readout");
    readout->setReadOnly(true);
    readout->setPlaceholderText(QStringLiteral("Point at a chart to read a sample"));
    readout->setToolTip(QStringLiteral("The sample nearest the cursor: cycle, time, the chart's values and whether "
                                       "it brought a new failure"));
    readout->setAccessibleDescription(readout->toolTip());
    auto *readoutLabel = new QLabel(QStringLiteral("&Readout:"), charts);
    readoutLabel->setBuddy(readout);

    rangeReadout = new QLineEdit(charts);
    rangeReadout->setObjectName("RangeReadout");
    rangeReadout->setReadOnly(true);
    rangeReadout->setAccessibleName(QStringLiteral("Shown range"));
    rangeReadout->setToolTip(QStringLiteral("The new failures among the samples shown: cycles from the first of "
                                            "them to the first new failure, and failures per 10,000 cycles"));
    rangeReadout->setAccessibleDescription(rangeReadout->toolTip());
    auto *rangeLabel = new QLabel(QStringLiteral("S&hown range:"), charts);
    rangeLabel->setBuddy(rangeReadout);

    auto *rows = new QGridLayout;
    rows->setContentsMargins(8, 4, 8, 2);
    rows->setVerticalSpacing(2);
    rows->addWidget(readoutLabel, 0, 0);
    rows->addWidget(readout, 0, 1);
    rows->addWidget(rangeLabel, 1, 0);
    rows->addWidget(rangeReadout, 1, 1);
    column->addLayout(rows);
    return charts;
}

void TrendWindow::showLive(const TrendHistory &shownHistory, TrendLineSource *lines)
{
    // Asked for again while it shows: the zoom and the cursor stay.
    if (live && history == &shownHistory) {
        lineSource = lines;
        updateLabels();
        return redraw();
    }
    live = true;
    logName.clear();
    skipped = 0;
    display(shownHistory, lines);
}

void TrendWindow::showLog(const TrendHistory &shownHistory, const QString &fileName, int64_t skippedLines,
                          TrendLineSource *lines)
{
    live = false;
    logName = fileName;
    skipped = skippedLines;
    display(shownHistory, lines);
}

void TrendWindow::display(const TrendHistory &shownHistory, TrendLineSource *lines)
{
    history = &shownHistory;
    lineSource = lines;
    isZoomed = false;
    cursorSample = TrendHistory::NoSample;
    updateLabels();
    redraw();
}

const TrendHistory &TrendWindow::shown() const
{
    static const TrendHistory empty;
    return history ? *history : empty;
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
    const qint64 samples = qint64(shown().size());
    const QString count = samples == 1 ? QStringLiteral("1 sample") : QStringLiteral("%1 samples").arg(samples);
    if (live) {
        setWindowTitle(QStringLiteral("Trend - Live Run"));
        sourceLabel->setText(QStringLiteral("Live run since the program started: %1").arg(count));
    } else {
        setWindowTitle(QStringLiteral("Trend - %1").arg(logName));
        sourceLabel->setText(QStringLiteral("Data log %1: %2").arg(logName, count));
    }
    sourceLabel->setToolTip(sourceLabel->text());
    skippedLabel->setText(skipped == 1 ? QStringLiteral("1 line skipped")
                                       : QStringLiteral("%1 lines skipped").arg(skipped));
    skippedLabel->setVisible(!live && skipped > 0);
    liveButton->setEnabled(!live);
}

int TrendWindow::columns() const
{
    // One column per pixel of the plot area, which all charts share.
    const int width = plots.front()->plotArea().width();
    return width >= 16 ? width : 600;
}

void TrendWindow::redraw()
{
    redrawTimer->stop();
    const TrendHistory &run = shown();
    if (!isZoomed)
        view = wholeRun(run, shownAxis);
    // The range first: how failures are marked, and so the value ticks,
    // depend on it; the axis ticks on the plot width the value ticks leave.
    placeAxis({});
    fillCharts(run);
    const int width = plots.front()->plotArea().width();
    placeAxis(shownAxis == TrendAxis::Cycles
                  ? valueAxisTicks(view.from, view.to, std::max(2, width / CycleLabelPitch), true)
                  : timeTicks(view.from, view.to, std::max(2, width / TimeLabelPitch)));
    placeCursor();
    resetZoomButton->setEnabled(isZoomed);
    const TrendRangeFailures figures = trendRangeFailures(run, shownAxis, view);
    rangeReadout->setText(trendRangeFailuresText(figures));
    exportRangeButton->setEnabled(lineSource && figures.samples > 0);
}

void TrendWindow::placeAxis(const QList<TrendTick> &ticks)
{
    const QString title = shownAxis == TrendAxis::Cycles ? QStringLiteral("cycles") : QStringLiteral("time");
    const QString words = rangeInWords();
    for (size_t i = 0; i < plots.size(); ++i)
        plots[i]->setAxis(view, ticks, i + 1 == plots.size(), title, words);
}

// The charts' lines and their shared left edge: the widest value labels of
// any chart decide it. When that changes the plot width, reduce once more.
void TrendWindow::fillCharts(const TrendHistory &run)
{
    const QString unit = contactUnit(run);
    for (int width = columns(), pass = 0; pass < 2; ++pass) {
        const TrendReduction reduction = reduceTrend(run, shownAxis, view, width);
        showAligned(plots, reduction, unit);
        if (columns() == width)
            break;
        width = columns();
    }
}

QString TrendWindow::rangeInWords() const
{
    const QString from = positionText(shownAxis, view.from), to = positionText(shownAxis, view.to);
    const QString shownPart = shownAxis == TrendAxis::Cycles ? QStringLiteral("cycles %1 to %2").arg(from, to)
                                                             : QStringLiteral("from %1 to %2").arg(from, to);
    if (!isZoomed)
        return shownPart + QStringLiteral(", the whole run");
    const TrendRange whole = wholeRun(shown(), shownAxis);
    return shownPart
           + QStringLiteral(", zoomed into a run from %1 to %2")
                 .arg(positionText(shownAxis, whole.from), positionText(shownAxis, whole.to));
}

void TrendWindow::setAxis(TrendAxis axis)
{
    if (axis == shownAxis)
        return;
    // A zoomed view goes on showing the same samples.
    const TrendHistory &run = shown();
    const size_t first = isZoomed ? run.nearest(shownAxis, view.from) : TrendHistory::NoSample;
    const size_t last = isZoomed ? run.nearest(shownAxis, view.to) : TrendHistory::NoSample;
    shownAxis = axis;
    const QSignalBlocker blocker(cyclesButton);
    cyclesButton->setChecked(axis == TrendAxis::Cycles);
    timeButton->setChecked(axis == TrendAxis::Time);
    if (first == TrendHistory::NoSample || last == TrendHistory::NoSample)
        return resetZoom();
    zoomTo({run.at(first).position(axis), run.at(last).position(axis)});
}

void TrendWindow::zoomTo(TrendRange range)
{
    const TrendRange whole = wholeRun(shown(), shownAxis);
    view = clampedRange(range, whole, shownAxis);
    isZoomed = view != whole;
    redraw();
}

void TrendWindow::resetZoom()
{
    isZoomed = false;
    redraw();
}

void TrendWindow::pointAt(size_t sample, const TrendChartPlan &chart)
{
    cursorSample = sample;
    cursorChart = &chart;
    placeCursor();
}

void TrendWindow::readOut(double position, const char *chartName)
{
    for (TrendPlot *plot : plots) {
        if (plot->objectName() == QLatin1String(chartName))
            pointed(*plot, position);
    }
}

QString TrendWindow::readoutText() const
{
    return readout->text();
}

void TrendWindow::placeCursor()
{
    const TrendHistory &run = shown();
    const bool placed = cursorSample < run.size() && cursorChart;
    const double x = placed ? run.at(cursorSample).position(shownAxis) : std::nan("");
    for (TrendPlot *plot : plots)
        plot->setCursorAt(x);
    readout->setText(placed ? trendReadout(run, cursorSample, *cursorChart) : QString());
    updateFailureButtons();
}

// Each button is offered while there is a new failure on its side of the
// cursor (anywhere in the run while there is no cursor).
void TrendWindow::updateFailureButtons()
{
    const TrendHistory &run = shown();
    const size_t from = cursorSample < run.size() ? cursorSample : TrendHistory::NoSample;
    previousFailureButton->setEnabled(run.previousFailure(from) != TrendHistory::NoSample);
    nextFailureButton->setEnabled(run.nextFailure(from) != TrendHistory::NoSample);
}

void TrendWindow::stepFailure(int direction)
{
    const TrendHistory &run = shown();
    const size_t from = cursorSample < run.size() ? cursorSample : TrendHistory::NoSample;
    const size_t failure = direction > 0 ? run.nextFailure(from) : run.previousFailure(from);
    if (failure == TrendHistory::NoSample)
        return;
    // A zoomed view keeps its width and centres the failure; the whole run
    // shows it already.
    const double x = run.at(failure).position(shownAxis);
    if (!std::isnan(x) && !view.contains(x))
        zoomTo({x - view.span() / 2, x + view.span() / 2});
    // The failure count's chart reads it out unless another chart is pointed at.
    pointAt(failure, cursorChart ? *cursorChart : plots.back()->plan());
}

QString TrendWindow::rangeText() const
{
    return rangeReadout->text();
}

bool TrendWindow::exportRange(const QString &path)
{
    const QString failure = lineSource ? exportTrendRange(shown(), shownAxis, view, *lineSource, path)
                                       : QStringLiteral("The lines of this run cannot be read again.");
    if (failure.isEmpty())
        return true;
    dialogs.showError(QStringLiteral("File Error"), failure);
    return false;
}

void TrendWindow::exportRangeChosen()
{
    QString path = fileDialog->rangeToExport(this);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".txt");
    exportRange(path);
}

void TrendWindow::pointed(TrendPlot &plot, double x)
{
    const size_t sample = shown().nearest(shownAxis, x);
    if (sample != TrendHistory::NoSample)
        pointAt(sample, plot.plan());
}

void TrendWindow::banding(TrendRange band)
{
    for (TrendPlot *plot : plots)
        plot->setBand(band);
}

void TrendWindow::banded(TrendRange band)
{
    zoomTo(band);
}

void TrendWindow::panned(double by)
{
    if (isZoomed)
        zoomTo({view.from + by, view.to + by});
}

void TrendWindow::wheeled(double x, double factor)
{
    zoomTo(zoomedAround(view, x, factor));
}

bool TrendWindow::keyed(TrendPlot &plot, const QKeyEvent &event)
{
    const bool moveView = event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    const double cursorX = plots.front()->cursorAt();
    const double centre = view.contains(cursorX) ? cursorX : (view.from + view.to) / 2;
    switch (event.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int direction = event.key() == Qt::Key_Left ? -1 : 1;
        if (moveView)
            panned(direction * KeyPan * view.span());
        else
            stepCursor(plot, direction);
        return true;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomTo(zoomedAround(view, centre, KeyZoom)); return true;
    case Qt::Key_Minus: zoomTo(zoomedAround(view, centre, 1 / KeyZoom)); return true;
    default: return false;   // Home and Escape are the window's
    }
}

// The cursor moves one pixel column, at least one sample; the view follows
// it when it leaves.
void TrendWindow::stepCursor(const TrendPlot &plot, int direction)
{
    const TrendHistory &run = shown();
    if (run.empty())
        return;
    size_t sample = cursorSample;
    if (sample >= run.size()) {
        sample = run.nearest(shownAxis, (view.from + view.to) / 2);
    } else {
        const double x = run.at(sample).position(shownAxis) + direction * view.span() / columns();
        const size_t next = run.nearest(shownAxis, x);
        if (next != sample && next != TrendHistory::NoSample)
            sample = next;
        else if (direction < 0 ? sample > 0 : sample + 1 < run.size())
            sample += direction;
    }
    if (sample == TrendHistory::NoSample)
        return;
    const double x = run.at(sample).position(shownAxis);
    if (!view.contains(x) && !std::isnan(x))
        zoomTo({x - view.span() / 2, x + view.span() / 2});
    pointAt(sample, plot.plan());
}

void TrendWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else if (event->key() == Qt::Key_Home)
        resetZoom();
    else if (event->key() == Qt::Key_N && !event->modifiers())
        stepFailure(1);
    else if (event->key() == Qt::Key_P && !event->modifiers())
        stepFailure(-1);
    else
        QWidget::keyPressEvent(event);
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
        dialogs.showError(QStringLiteral("File Error"), QStringLiteral("Error Writing File"));
}
