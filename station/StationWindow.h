#pragma once

#include "engine/preferences/Registry.h"
#include "mainwindow/TesterWindow.h"
#include "mainwindow/WindowStation.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

class QAction;
class MessageDialogs;
class QLabel;
class QPushButton;
class QTableView;
class SettingsStore;
class Station;
class StationTableModel;
class TesterSession;

// The program's main window while it drives several testers: a table with
// one row per tester (StationTableModel), and each tester's own main window
// opened from its row by a double-click, Enter or the Open button. Tester
// windows come and go; their testers run on. Closing this window ends the
// program, after one question about everything not yet saved.
class StationWindow : public QMainWindow, private WindowStation
{
public:
    StationWindow(Station &station, SettingsStore &settings, MessageDialogs &dialogs, QWidget *parent = nullptr);
    ~StationWindow() override;

    static QString title();

    // Opens the tester's window, or brings it up when it is open already.
    TesterWindow *openTester(int row);
    TesterWindow *testerWindow(int row) const;   // null when closed

    QTableView *table() const { return testers; }
    // How the testers' windows read the run archive (View, Runs...).
    void setRunCatalogSource(TesterWindow::RunCatalogSource source);
    // What the program tells beyond its windows, at the right of the status
    // bar: "Web view on 127.0.0.1:8080; tray icon shown".
    void showServices(const QString &text);
    // View, Runs... and View, Trend come up over the selected tester's
    // window (made, not shown, when it is closed): its trend, and the
    // report and trend of a run from the archive.
    void showRuns();
    void showTrend();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // WindowStation: what the testers' windows ask of the station
    QString testerName(const TesterSession &session) const override;
    void exitProgram() override;
    void preferencesChanged() override;

    void buildTesterTable(QWidget *central);
    void buildMenus();
    void connectStation();
    void showSearch();
    void restoreColumnWidths();
    void saveColumnWidths();
    void closeTesterWindows();
    void saveWindowPlace(TesterWindow &form);
    TesterWindow *selectedTesterWindow();
    TesterWindow *makeTesterWindow(int row);   // the tester's window, made hidden when closed

    Station &station;
    SettingsStore &settings;
    MessageDialogs &dialogs;
    Registry preferences;   // the program's, shared by every tester
    TesterWindow::RunCatalogSource runCatalogSource;
    StationTableModel *model;
    QTableView *testers;
    QPushButton *openTesterButton;
    QAction *testerOpen = nullptr;
    QAction *viewTrend = nullptr;
    QLabel *searchLabel;
    QLabel *servicesLabel;
    QTimer columnSave;   // widths are written once a drag has ended, not for every pixel
    QHash<const TesterSession *, QPointer<TesterWindow>> windows;
};
