#include "features/trend/TrendController.h"

#include "engine/state/MessageDialogs.h"
#include "engine/trend/TrendLogReader.h"
#include "features/trend/TrendWindow.h"
#include "ui/MainMenus.h"
#include "ui/TrendFileDialog.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

TrendController::TrendController(const TrendHistory &liveHistory, TrendLineSource &liveLines, MainMenus &menus,
                                 MessageDialogs &dialogs, QMainWindow &mainWindow)
    : live(liveHistory), liveLines(liveLines), dialogs(dialogs), qtFileDialog(std::make_unique<QtTrendFileDialog>()),
      fileDialog(qtFileDialog.get()), mainWindow(mainWindow)
{
    // The window belongs to the main window: it closes with it and stays above it.
    trendWindow = new TrendWindow(dialogs, *fileDialog, &mainWindow);
    lastShown = trendWindow;
    trendWindow->showLive(live, &liveLines);

    // File: after Close, its own group.
    filePlot = new QAction(QStringLiteral("P&lot Data Log..."), menus.fileMenu);
    filePlot->setObjectName("FilePlotMenu");
    QAction *beforePrint = menus.fileMenu->insertSeparator(menus.filePrint);
    menus.fileMenu->insertAction(beforePrint, filePlot);

    // View, before Help.
    viewMenu = new QMenu(QStringLiteral("&View"), mainWindow.menuBar());
    viewMenu->setObjectName("ViewMenu");
    mainWindow.menuBar()->insertMenu(menus.helpMenu->menuAction(), viewMenu);
    viewTrend = viewMenu->addAction(QStringLiteral("&Trend..."));
    viewTrend->setObjectName("ViewTrendMenu");
    viewTrend->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));

    QObject::connect(viewTrend, &QAction::triggered, trendWindow, [this] { showLive(); });
    QObject::connect(filePlot, &QAction::triggered, trendWindow, [this] { plotLogChosen(); });
}

TrendController::~TrendController() = default;

void TrendController::setFileDialog(TrendFileDialog &dialog)
{
    fileDialog = &dialog;
    trendWindow->setFileDialog(dialog);
    if (logWindow)
        logWindow->setFileDialog(dialog);
}

void TrendController::historyGrew()
{
    trendWindow->historyGrew();
}

void TrendController::showLive()
{
    trendWindow->showLive(live, &liveLines);
    bringUp(*trendWindow);
}

TrendWindow &TrendController::plotted()
{
    if (!logWindow) {
        logWindow = new TrendWindow(dialogs, *fileDialog, &mainWindow);
        logWindow->setObjectName("PlotTrendWindow");
        QObject::connect(logWindow, &TrendWindow::liveRequested, logWindow, [this] { showLive(); });
    }
    return *logWindow;
}

bool TrendController::plotLog(const QString &path)
{
    TrendHistory read;
    const TrendLogResult result = readTrendLog(path, read);
    if (!result.opened) {
        dialogs.showError(QStringLiteral("File Error"),
                          QStringLiteral("Cannot plot %1: %2.").arg(QDir::toNativeSeparators(path), result.problem));
        return false;
    }
    TrendWindow &window = plotted();
    fromLog = std::move(read);
    fromLogLines = std::make_unique<TrendLogLines>(path);
    window.showLog(fromLog, QFileInfo(path).fileName(), result.skipped, fromLogLines.get());
    bringUp(window);
    return true;
}

void TrendController::plotRun(TrendHistory &&history, const QString &title, std::unique_ptr<TrendLineSource> lines)
{
    TrendWindow &window = plotted();
    fromLog = std::move(history);
    fromLogLines = std::move(lines);
    window.showLog(fromLog, title, 0, fromLogLines.get());
    bringUp(window);
}

void TrendController::plotLogChosen()
{
    const QString path = fileDialog->logToPlot(trendWindow->parentWidget());
    if (!path.isEmpty())
        plotLog(path);
}

void TrendController::bringUp(TrendWindow &window)
{
    lastShown = &window;
    window.show();
    window.raise();
    window.activateWindow();
}
