#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class MessageDialogs;
class QLabel;
class QPushButton;
class QTimer;
class TrendFileDialog;
class TrendHistory;
struct TrendChart;

// The Trend window: the charts of a whole run against the cycle count, the
// live run or a saved data log. Not modal; it only reads the history it is
// shown and redraws it reduced to its pixel width.
class TrendWindow : public QWidget
{
public:
    TrendWindow(MessageDialogs &dialogs, TrendFileDialog &fileDialog, QWidget *parent = nullptr);
    ~TrendWindow() override;

    void setFileDialog(TrendFileDialog &dialog) { fileDialog = &dialog; }

    // What the window draws: the live run, or a data log with the count of
    // lines that were not samples.
    void showLive(const TrendHistory &history);
    void showLog(const TrendHistory &history, const QString &fileName, int64_t skippedLines);
    bool showingLive() const { return live; }

    // The shown history grew: redrawn soon when the window is open.
    void historyGrew();
    // Reduces the history to the charts' width and fills the charts now.
    void redraw();

    QWidget *chartsArea() const { return charts; }
    bool saveImage(const QString &path);
    void saveImageChosen();

    // The "Show Live Run" button.
    std::function<void()> liveRequested;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void updateLabels();
    int columns() const;

    MessageDialogs &dialogs;
    TrendFileDialog *fileDialog;
    const TrendHistory *history = nullptr;
    bool live = true;
    QString logName;
    int64_t skipped = 0;

    QLabel *sourceLabel;
    QLabel *skippedLabel;
    QPushButton *liveButton;
    QPushButton *saveButton;
    QWidget *charts;
    std::vector<TrendChart *> panels;
    QTimer *redrawTimer;
};
