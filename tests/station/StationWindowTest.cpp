// The Station window over a bench of simulated testers, and the testers' own windows it opens.

#include "StationRig.h"

#include "engine/archive/RunCatalog.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/StationSettings.h"
#include "engine/station/StationTableModel.h"
#include "features/trend/TrendController.h"
#include "features/trend/TrendWindow.h"
#include "mainwindow/TesterWindow.h"
#include "station/StationRowDelegate.h"
#include "station/StationWindow.h"

#include "support/TestKit.h"
#include <QtWidgets>
#include <optional>

namespace {

// Two testers on the bench; open() makes the station's window, shown or not.
struct WindowRig : StationRig
{
    WindowRig()
    {
        for (int port : {1, 2})
            bench.plug(port, FakeBench::simulatorConfig(QStringLiteral("4180000%1").arg(port), true));
    }
    StationWindow &open(bool shown = true)
    {
        window.emplace(station, settings, dialogs);
        if (shown)
            window->show();
        return *window;
    }
    void clearDeleted() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    std::optional<StationWindow> window;
};

QPoint rowCentre(QTableView *table, int row)
{
    return table->visualRect(table->model()->index(row, 0)).center();
}

}   // namespace

class StationWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void testerWindowOpensFromItsRowAndClosesWithTheStation()
    {
        WindowRig rig;
        StationWindow &window = rig.open();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(rig.allFound(2));
        QTableView *table = window.table();
        // The first tester is selected when it joins; the next does not take the selection.
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), 0);

        table->selectRow(1);
        QTest::keyClick(table, Qt::Key_Return);
        TesterWindow *second = window.testerWindow(1);
        QVERIFY(second && second->isVisible());
        QCOMPARE(second->windowTitle(), QStringLiteral("41800002 on Comm 2 - Model 418C Life Cycle Tester"));
        QCOMPARE(&second->session(), &rig.session(1));
        // A device pinned from one tester's window would narrow every tester's search.
        QVERIFY(!second->findChild<QAction *>("RunPortMenu")->isEnabled());

        // A double-click as the platform delivers it: a click, then a press that comes as a double-click.
        QCOMPARE(window.findChild<QLabel *>("searchLabel")->text().left(31),
                 QStringLiteral("2 testers. Searching... tried C"));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rowCentre(table, 0));
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, rowCentre(table, 0));
        QVERIFY(window.testerWindow(0) && window.testerWindow(0)->isVisible());
        table->selectRow(1);
        window.findChild<QPushButton *>("openTesterButton")->click();
        QCOMPARE(window.testerWindow(1), second);   // brought up, not opened twice

        // File, Exit in a tester's window closes the station: one question; Cancel keeps all open, No lets it go.
        second->findChild<QAction *>("FileExitMenu")->trigger();
        QCOMPARE(rig.dialogs.count("yesno:Save Data"), 1);
        QVERIFY(window.isVisible() && second->isVisible());
        rig.dialogs.answers = {AnswerNo};
        window.close();
        rig.clearDeleted();
        QCOMPARE(rig.dialogs.count("yesno:Save Data"), 2);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.testerWindow(0) && !window.testerWindow(1));
    }

    // View, Runs... and View, Trend serve the selected tester without its window; the status bar names services.
    void menusOfTheMainWindow()
    {
        WindowRig rig;
        StationWindow &window = rig.open();
        QVERIFY(rig.allFound(2));
        QStringList menus;
        for (QAction *entry : window.menuBar()->actions())
            menus << entry->text();
        QCOMPARE(menus, (QStringList{"&File", "&Tester", "&View", "&Help"}));
        QVERIFY(window.findChild<QAction *>("HelpAboutMenu"));
        window.showServices("Web view on 127.0.0.1:8080; tray icon shown");
        QCOMPARE(window.findChild<QLabel *>("servicesLabel")->text(),
                 QStringLiteral("Web view on 127.0.0.1:8080; tray icon shown"));

        window.table()->selectRow(1);
        window.findChild<QAction *>("ViewTrendMenu")->trigger();
        TesterWindow *second = window.testerWindow(1);
        QVERIFY(second && !second->isVisible());
        QVERIFY(second->trend().window().isVisible() && second->trend().window().showingLive());

        // Without an archive the runs cannot be listed: said so.
        window.findChild<QAction *>("ViewRunsMenu")->trigger();
        QCOMPARE(rig.dialogs.calls, QStringList{"error:Run Archive|No run archive is in use."});
        QString asked;
        window.setRunCatalogSource([&](QString &failure) -> std::unique_ptr<RunCatalog> {
            asked = QStringLiteral("asked");
            failure = QStringLiteral("The archive cannot be read.");
            return nullptr;
        });
        window.findChild<QAction *>("ViewRunsMenu")->trigger();
        QCOMPARE(asked, QStringLiteral("asked"));
        QCOMPARE(window.testerWindow(0), nullptr);   // the selected tester's window serves it
    }

    void columnWidthsWindowPlacesAndRecentFilesAreRemembered()
    {
        WindowRig rig;
        rig.settings.write("Testers/41800002/RecentFiles", "RecentFile1", "/data/two.txt");
        const QRect place(140, 120, 1100, 700);
        {
            StationWindow window(rig.station, rig.settings, rig.dialogs);
            // Opened as soon as the tester answers: its serial number, and so its recent files, come with the sample.
            QVERIFY(rig.tickUntil([&] { return rig.station.count() == 2; }));
            QAction *recent = window.openTester(1)->findChild<QAction *>("FileRecentMenu1");
            QVERIFY(!recent->isVisible());
            QVERIFY(rig.allFound(2));
            QVERIFY(recent->isVisible());
            QCOMPARE(recent->text(), QStringLiteral("/data/two.txt"));
            window.table()->setColumnWidth(StationTableModel::LinkColumn, 321);
            QTRY_COMPARE(StationSettings(rig.settings)
                             .columnWidths(StationTableModel::ColumnCount)
                             .at(StationTableModel::LinkColumn),
                         321);
            // Widths stored for more columns give as many as asked for.
            QCOMPARE(StationSettings(rig.settings).columnWidths(3).size(), 3);
            TesterWindow *form = window.openTester(1);
            form->setGeometry(place);
            form->close();
            rig.clearDeleted();
        }
        StationWindow again(rig.station, rig.settings, rig.dialogs);
        QCOMPARE(again.table()->columnWidth(StationTableModel::LinkColumn), 321);
        QCOMPARE(again.openTester(1)->geometry(), place);
        QVERIFY(again.openTester(0)->geometry() != place);   // each tester has a place of its own
    }

    void cellsReachScreenReaders()
    {
        WindowRig rig;
        SimulatorConfig failing = FakeBench::simulatorConfig("41800003", true);
        failing.failureRate = 1.0;
        SimulatedTester &third = rig.bench.plug(3, failing);
        third.settings().failLimit = third.settings().seqLimit = 1000;
        StationWindow &window = rig.open();
        QVERIFY(rig.allFound(3));
        QVERIFY(rig.tickUntil([&] { return rig.station.tester(2).newFailure(); }));

        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(window.table());
        QVERIFY(table && table->tableInterface());
        QAccessibleTableInterface *cells = table->tableInterface();
        const auto name = [cells](int row, int column) { return cells->cellAt(row, column)->text(QAccessible::Name); };
        QCOMPARE(cells->rowCount(), 3);
        QCOMPARE(cells->columnDescription(StationTableModel::PortColumn), QStringLiteral("Port"));
        QCOMPARE(name(1, StationTableModel::SerialColumn), QStringLiteral("41800002"));
        // On screen the row of a new failure stands out on amber.
        const QRect serial = window.table()->visualRect(window.table()->model()->index(2, 0));
        const QImage shown = window.table()->viewport()->grab().toImage();
        QCOMPARE(QColor(shown.pixel(serial.topRight() + QPoint(-3, 3))), StationRowDelegate::NewFailure);

        // A lost link, selected: its S/N cell keeps a red mark and says so; the selection's text stays readable.
        rig.bench.pull(2);
        QVERIFY(rig.tickUntil([&] { return rig.session(1).glance().linkLost(); }, 10));
        window.table()->selectRow(1);
        QCOMPARE(name(1, StationTableModel::SerialColumn), QStringLiteral("41800002, link lost"));
        const QImage selected = window.table()->viewport()->grab().toImage();
        const auto redIn = [&](int column) {
            const QRect cell = window.table()->visualRect(window.table()->model()->index(1, column));
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x)
                    if (QColor(selected.pixel(x, y)) == StationRowDelegate::LostLink)
                        return true;
            return false;
        };
        QVERIFY(redIn(StationTableModel::SerialColumn));
        QVERIFY(!redIn(StationTableModel::LinkColumn));
    }

    // A closed tester window leaves its tester logging; one opened after the link was lost shows what one open did.
    void closedAndReopenedTesterWindow()
    {
        WindowRig rig;
        StationWindow &window = rig.open(false);
        QVERIFY(rig.allFound(2));
        TesterWindow *form = window.openTester(1);
        QTemporaryDir dir;
        QString path = dir.filePath("kept.txt");
        QVERIFY(rig.session(1).dataLog().openFile(path));
        form->close();
        rig.clearDeleted();
        QVERIFY(!window.testerWindow(1));
        const qint64 lines = rig.session(1).dataLog().linesWritten();
        rig.tick(20);
        QVERIFY(rig.session(1).dataLog().linesWritten() > lines);
        QVERIFY(rig.session(1).state().session.dataFileOpen);
        QCOMPARE(rig.dialogs.calls, QStringList());

        TesterWindow *during = window.openTester(1);
        rig.bench.pull(2);
        QVERIFY(rig.tickUntil([&] { return rig.session(1).glance().linkLost(); }, 10));
        const auto fields = [](TesterWindow *form) {
            QStringList shown;
            for (const QLineEdit *field : form->findChildren<QLineEdit *>())
                shown << field->objectName() + "=" + field->text() + " "
                             + field->palette().color(QPalette::Active, field->foregroundRole()).name()
                             + (field->isEnabled() ? "" : " disabled");
            return shown;
        };
        const QStringList before = fields(during);
        during->close();
        rig.clearDeleted();
        // How the live window greys a lost link is RunOverviewTest's; this one matches it, field by field.
        QCOMPARE(fields(window.openTester(1)), before);
    }
};

QTEST_MAIN(StationWindowTest)
#include "StationWindowTest.moc"
