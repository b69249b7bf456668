#include "mainwindow/RunOverview.h"

#include "engine/run/RunGlance.h"
#include "engine/session/ShownDataFile.h"
#include "engine/session/TesterSession.h"
#include "engine/state/TesterState.h"
#include "mainwindow/ReadingColours.h"
#include "ui/ElidingField.h"
#include "ui/ValueBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace {

// The data log's warning: samples arrive that no file takes.
const QColor Warning(190, 100, 0);

const QString LinkToolTip = QStringLiteral("The port and device the tester answers on, and since when; "
                                           "red when the link to the tester was lost");

void describe(QWidget *widget, const QString &name, const QString &toolTip)
{
    widget->setAccessibleName(name);
    widget->setToolTip(toolTip);
    widget->setAccessibleDescription(toolTip);
}

}   // namespace

RunOverview::RunOverview(const TesterSession &testerSession, QWidget *readings, QWidget *parent)
    : QFrame(parent), session(testerSession), s(testerSession.state()), summary(testerSession.glance()),
      readingColours(std::make_unique<ReadingColours>(readings))
{
    setObjectName("RunOverview");
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    describe(this, QStringLiteral("Run overview"), QStringLiteral("The link, the run and the data file at a glance"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);

    // The values read as text in a line with their captions: fields without
    // a frame, on the strip's own background.
    QPalette strip = palette();
    strip.setColor(QPalette::Base, strip.color(QPalette::Window));
    setPalette(strip);

    buildStateRow(grid);
    buildProgressRow(grid);

    // The texts that change most get the room: the link with its device and
    // the data file's name.
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    grid->setColumnStretch(7, 1);

    refresh();
    // A window that opens on a tester whose link was lost shows it at once.
    linkChanged();
}

// Each value has a caption before it; the caption names it for screen readers.
QLineEdit *RunOverview::addValue(QGridLayout *grid, int row, int &column, const char *name, const QString &caption,
                                 const QString &toolTip, int span, const QString &widestText)
{
    auto *captionLabel = new QLabel(caption + QLatin1Char(':'), this);
    QLineEdit *field = valueField(QLatin1String(name), caption, toolTip, this, widestText);
    field->setFrame(false);
    makeSteady(field, widestText);   // without its frame it needs less room
    captionLabel->setBuddy(field);
    grid->addWidget(captionLabel, row, column);
    // The values keep a steady size (they change every second), so they
    // sit at the left of their cells rather than fill them.
    grid->addWidget(field, row, column + 1, 1, span, Qt::AlignLeft | Qt::AlignVCenter);
    column += 1 + span;
    return field;
}

// The first row: the link, the run and the data file, and the export button.
void RunOverview::buildStateRow(QGridLayout *grid)
{
    int column = 0;
    linkStateText = addValue(grid, 0, column, "linkStateText", QStringLiteral("Link"), LinkToolTip, 1,
                             QStringLiteral("Comm 16 (/dev/ttyUSB0) connected since 00:00:00"));
    // A stop with its reason is longer: where the field is too narrow for it
    // it ends with "...", rather than widen the window always.
    runStateText = addValue(grid, 0, column, "runStateText", QStringLiteral("Run"),
                            QStringLiteral("The run state as the tester last reported it; when it stopped, why and "
                                           "when"),
                            1, QStringLiteral("Break every 32767 cycles"));
    loggingText = addValue(grid, 0, column, "loggingText", QStringLiteral("Data file"),
                           QStringLiteral("The data file, the sample lines written since it was opened and "
                                          "the time of the last one"),
                           3, QStringLiteral("data file.txt: 100000 lines, last at 00:00:00"));

    // These texts grow (a device's long name, a stop with its reason, a long
    // file name): they fill their cells and end with "..." rather than
    // widen the window; the tool tip holds the whole text.
    for (QLineEdit *field : {linkStateText, runStateText, loggingText}) {
        makeEliding(field, field->minimumWidth());
        grid->setAlignment(field, Qt::Alignment());
    }

    exportRunButton = new QPushButton(QStringLiteral("Export Run So Far..."), this);
    exportRunButton->setObjectName("ExportRunButton");
    describe(exportRunButton, exportRunButton->text(),
             QStringLiteral("Writes every sample of this run, kept in the run archive, to a data log file"));
    exportRunButton->setVisible(false);
    grid->addWidget(exportRunButton, 0, column, Qt::AlignLeft | Qt::AlignVCenter);
}

// The second row: the cycles against the limit, the rate, the run time and
// the time to the limit.
void RunOverview::buildProgressRow(QGridLayout *grid)
{
    int column = 0;
    // The count is written beside the bar, not on it: a bar carrying the
    // count would be redrawn on every cycle, where a plain bar moves only
    // when its filled part grows by a pixel.
    auto *cyclesCaption = new QLabel(QStringLiteral("Cycles:"), this);
    cycleProgress = new QProgressBar(this);
    cycleProgress->setObjectName("CycleProgress");
    cycleProgress->setPalette(QApplication::palette(cycleProgress));   // not the strip's flat one
    cycleProgress->setRange(0, 1);
    cycleProgress->setValue(0);
    cycleProgress->setTextVisible(false);
    cycleProgress->setMinimumWidth(cycleProgress->fontMetrics().horizontalAdvance(QStringLiteral("1000000 cycles")));
    cyclesCaption->setBuddy(cycleProgress);
    describe(cycleProgress, QStringLiteral("Cycles"), QStringLiteral("The cycle count as a share of the cycle limit"));
    cyclesText = valueField(QStringLiteral("cyclesText"), QStringLiteral("Cycle count"),
                            QStringLiteral("The cycle count against the cycle limit"), this,
                            QStringLiteral("1000000 of 1000000 cycles"));
    cyclesText->setFrame(false);
    makeSteady(cyclesText, QStringLiteral("1000000 of 1000000 cycles"));
    auto *cycles = new QHBoxLayout;
    cycles->setSpacing(6);
    cycles->addWidget(cycleProgress, 1);
    cycles->addWidget(cyclesText);
    grid->addWidget(cyclesCaption, 1, column++);
    grid->addLayout(cycles, 1, column++);

    rateText = addValue(grid, 1, column, "rateText", QStringLiteral("Rate"),
                        QStringLiteral("Cycles per hour, measured from the samples of this run"), 1,
                        QStringLiteral("100000 cycles/h"));
    runTimeText = addValue(grid, 1, column, "runTimeText", QStringLiteral("Run time"),
                           QStringLiteral("The time the run has taken, from its first sample to its last"), 1,
                           QStringLiteral("1000:00:00"));
    timeToLimitText = addValue(grid, 1, column, "timeToLimitText", QStringLiteral("To limit"),
                               QStringLiteral("The estimated time until the cycle limit is reached, at the "
                                              "measured rate"),
                               1, QStringLiteral("1000:00:00"));
}

RunOverview::~RunOverview() = default;

void RunOverview::linkChanged()
{
    // The run, rate and time to the limit are not known while the link is lost.
    refresh();
    // The last sample stays on screen, greyed, so nobody takes it for live data.
    if (summary.link().state() == LinkHistory::State::Lost)
        readingColours->show(outOfTolerance(s), true);
}

void RunOverview::runStarted()
{
    showRun();
}

void RunOverview::sampleTaken()
{
    // The sample was decoded: the readings are live again.
    readingColours->show(outOfTolerance(s), false);
    refresh();
}

void RunOverview::offerRunExport()
{
    runExportOffered = true;
    refresh();
}

void RunOverview::refresh()
{
    showLink();
    showRun();
    showLogging();
    showProgress();
}

void RunOverview::showLink()
{
    // Connected, but nothing gets through (the records are refused, or no
    // sample came for long): the link says so rather than "connected".
    const QString warning = summary.linkWarning(s, summary.clock());
    if (!warning.isEmpty()) {
        setSteadyText(linkStateText, warning);
        setTextColour(linkStateText, Warning);
        return;
    }
    setSteadyText(linkStateText, summary.link().text(summary.clock()));
    setTextColour(linkStateText, summary.link().alarm() ? ReadingColours::Alarm : QColor());
    // Ports that would not open say why in the tool tip.
    const QString problems = summary.link().problems();
    const QString toolTip = problems.isEmpty() ? LinkToolTip : LinkToolTip + QStringLiteral("\n\n") + problems;
    if (linkStateText->toolTip() != toolTip) {
        linkStateText->setToolTip(toolTip);
        linkStateText->setAccessibleDescription(toolTip);
    }
}

void RunOverview::showRun()
{
    setSteadyText(runStateText, summary.runText(s));
    setTextColour(runStateText, summary.endedAtLimit(s) ? ReadingColours::LimitEnd : QColor());
}

void RunOverview::showLogging()
{
    // The text changes with a line written or a file opened or closed; the
    // time of the last line is not worth formatting on every call.
    // The run's own file of unattended logging is as much a data file as one opened here.
    const ShownDataFile file = shownDataFile(session);
    const qint64 lines = file.open() ? file.lines : -1;
    if (lines != linesShown || lines <= 0) {
        linesShown = lines;
        setSteadyText(loggingText, dataLogText(file.open(), file.path, file.lines, file.lastLine, summary.clock()));
    }
    setTextColour(loggingText, notLoggingWarning(s) ? Warning : QColor());
    const bool offer = runExportOffered && notLoggingWarning(s);
    if (exportRunButton->isVisibleTo(this) != offer)
        exportRunButton->setVisible(offer);
}

void RunOverview::showProgress()
{
    const int count = std::max(0, int(s.counters.cycleCount));
    if (s.session.downloadedOnce || count > 0) {
        const int limit = std::max(0, int(s.reported.cycleLimit));
        // A limit of 0 leaves an empty bar; a busy bar would animate for ever.
        if (cycleProgress->maximum() != std::max(limit, 1))
            cycleProgress->setRange(0, std::max(limit, 1));
        const int shown = limit > 0 ? std::min(count, limit) : 0;
        if (cycleProgress->value() != shown)
            cycleProgress->setValue(shown);
        setSteadyText(cyclesText, cycleCountText(count, limit));
    }
    setSteadyText(rateText, summary.rateText());
    setSteadyText(runTimeText, durationText(summary.progress().runSeconds()));
    setSteadyText(timeToLimitText, summary.timeToLimitText(s));
}
