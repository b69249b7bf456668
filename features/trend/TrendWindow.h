#pragma once

#include "engine/trend/TrendReduction.h"
#include "engine/trend/TrendTicks.h"
#include "features/trend/TrendPlot.h"

#include <QWidget>
#include <cstdint>
#include <vector>

class MessageDialogs;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class TrendFileDialog;
class TrendHistory;
class TrendLineSource;
struct TrendChartPlan;

// The Trend window: the charts of a run, the live one or a saved data log,
// along the cycle count or the time. Not modal; it only reads the history it
// is shown. Every chart shows one shared range of the axis; zooming and
// panning move it, and each redraw reduces only that range to the charts'
// pixel width. A cursor through all charts reads out the nearest sample and
// steps from one new failure to the next; the shown range's failures are
// counted below it, and its samples can be exported as a data log.
class TrendWindow : public QWidget, private TrendPlot::Events
{
    Q_OBJECT

public:
    TrendWindow(MessageDialogs &dialogs, TrendFileDialog &fileDialog, QWidget *parent = nullptr);
    ~TrendWindow() override;

    void setFileDialog(TrendFileDialog &dialog) { fileDialog = &dialog; }

    // What the window draws: the live run, or a data log with the count of
    // lines that were not samples. A new one shows its whole run; the live
    // run shown again keeps its zoom. lines: where Export Range reads the
    // samples' data log lines; none: it is not offered.
    void showLive(const TrendHistory &history, TrendLineSource *lines = nullptr);
    void showLog(const TrendHistory &history, const QString &fileName, int64_t skippedLines,
                 TrendLineSource *lines = nullptr);
    bool showingLive() const { return live; }

    // The shown history grew: redrawn soon when the window is open.
    void historyGrew();
    // Reduces the shown range to the charts' width and fills the charts now.
    void redraw();

    TrendAxis axis() const { return shownAxis; }
    void setAxis(TrendAxis axis);
    TrendRange visibleRange() const { return view; }
    bool zoomed() const { return isZoomed; }
    void zoomTo(TrendRange range);
    void resetZoom();

    // The readout cursor on a sample, with the values of one chart; or on
    // the sample nearest a position, for the chart of that name.
    void pointAt(size_t sample, const TrendChartPlan &chart);
    void readOut(double position, const char *chartName);
    QString readoutText() const;
    // The readout cursor on the next (1) or previous (-1) new failure; the
    // view keeps its width and moves to it when it lies outside.
    void stepFailure(int direction);
    // The shown range's new failures, as the readout says them.
    QString rangeText() const;
    // Writes the samples of the shown range as a data log file; false and a
    // message when it cannot.
    bool exportRange(const QString &path);
    void exportRangeChosen();

    QWidget *chartsArea() const { return charts; }
    bool saveImage(const QString &path);
    void saveImageChosen();

Q_SIGNALS:
    // The "Show Live Run" button.
    void liveRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void pointed(TrendPlot &plot, double x) override;
    void banding(TrendRange band) override;
    void banded(TrendRange band) override;
    void panned(double by) override;
    void wheeled(double x, double factor) override;
    bool keyed(TrendPlot &plot, const QKeyEvent &event) override;

    QLayout *buildTopRow();
    QWidget *buildCharts();
    void display(const TrendHistory &history, TrendLineSource *lines);
    const TrendHistory &shown() const;
    void updateLabels();
    int columns() const;
    void placeAxis(const QList<TrendTick> &ticks);
    void fillCharts(const TrendHistory &history);
    void placeCursor();
    void stepCursor(const TrendPlot &plot, int direction);
    void updateFailureButtons();
    QString rangeInWords() const;

    MessageDialogs &dialogs;
    TrendFileDialog *fileDialog;
    const TrendHistory *history = nullptr;
    TrendLineSource *lineSource = nullptr;
    bool live = true;
    QString logName;
    int64_t skipped = 0;

    TrendAxis shownAxis = TrendAxis::Cycles;
    TrendRange view{0, 1};
    bool isZoomed = false;
    size_t cursorSample;
    const TrendChartPlan *cursorChart = nullptr;

    QLabel *sourceLabel;
    QLabel *skippedLabel;
    QRadioButton *cyclesButton;
    QRadioButton *timeButton;
    QPushButton *previousFailureButton;
    QPushButton *nextFailureButton;
    QPushButton *exportRangeButton;
    QPushButton *resetZoomButton;
    QPushButton *liveButton;
    QPushButton *saveButton;
    QPushButton *closeButton;
    QWidget *charts;
    QLineEdit *readout;
    QLineEdit *rangeReadout;
    std::vector<TrendPlot *> plots;
    QTimer *redrawTimer;
};
