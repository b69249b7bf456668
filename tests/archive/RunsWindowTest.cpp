// View, Runs... over an SQLite archive, and the Preferences dialog.

#include "features/archive/RunsWindow.h"
#include "engine/archive/RunRecorder.h"
#include "engine/archive/RunTrend.h"
#include "engine/datalog/DataLog.h"
#include "engine/notify/StationEvent.h"
#include "engine/preferences/Registry.h"
#include "engine/report/RunReportModel.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"
#include "features/archive/RunDetailsDialog.h"
#include "features/archive/TypedDate.h"
#include "features/preferences/PreferencesDialog.h"
#include "platform/QtWebhookSender.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeArchiveSink.h"
#include "support/FakeMessageDialogs.h"
#include "support/LocalHttpServer.h"
#include "support/MemorySettingsStore.h"
#include "support/ModalAnswerer.h"
#include "support/TestKit.h"

#include <QtWidgets>

namespace {

// What the window asked of the main window, one line each.
class RecordedActions : public RunsWindow::Actions
{
public:
    void showTrend(TrendHistory &&history, const QString &, qint64 id) override
    {
        asked << QString("trend of run %1").arg(id) + sampled(history);
    }
    void previewReport(const RunReportData &run, const TrendHistory &trend) override
    {
        const qint64 cycles = run.last.counters.cycleCount;
        asked << QString("preview of run %1, %2 cycles").arg(run.runId).arg(cycles) + sampled(trend);
    }
    void printReport(const RunReportData &run, const TrendHistory &) override
    {
        asked << QString("print of run %1").arg(run.runId);
    }
    void exportReportPdf(const RunReportData &, const TrendHistory &) override {}
    QString chooseDataLogFile(const QString &name) override
    {
        asked << "data log " + name;
        return exportPath;
    }
    static QString sampled(const TrendHistory &trend) { return QString(", %1 samples").arg(trend.size()); }

    QStringList asked;
    QString exportPath;
};

}   // namespace

class RunsWindowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    int archives = 0;
    // Made anew for each test: two testers' runs a day apart, five samples
    // each, and a run an older program began with no sample and ended for a
    // cause this one has no text for.
    ArchiveLocation location;
    std::unique_ptr<SqlArchiveStore> store;
    QStringList newestLines;   // the newest run's, as logged
    // The window over it, and what it asked of the main window.
    FakeMessageDialogs dialogs;
    RecordedActions *done = nullptr;
    std::unique_ptr<RunsWindow> window;

    QString makeArchive()
    {
        location.path = dir.filePath(QStringLiteral("runs%1.sqlite").arg(++archives));
        store = std::make_unique<SqlArchiveStore>(location);
        if (const QString failure = store->open(true); !failure.isEmpty())
            return failure;
        const QDateTime day(QDate(2026, 12, 5), QTime(8, 0));
        for (int run = 0; run < 2; ++run) {
            TesterState s;
            s.identity.serialNumber = run ? "41800222" : "41800111";
            s.identity.softwareVersion = 12;
            FakeArchiveSink sink;
            RunRecorder recorder(s, sink, "station", "1.0.0");
            recorder.runStarted(day.addDays(run));
            newestLines.clear();
            for (int i = 1; i <= 5; ++i) {
                s.counters.running = true;
                s.counters.cycleCount = run ? 200 + i : 4 + i;   // 9 and 205: sorted as text, 205 would come first
                s.counters.updateTime = day.addDays(run).addSecs(i);
                recorder.sampleTaken();
                newestLines << sampleLogLine(s);
            }
            if (const QString failure = store->write(sink.records); !failure.isEmpty())
                return failure;
        }
        ArchiveRecord bare;
        bare.kind = ArchiveRecord::RunBegun;
        bare.runKey = "no sample";
        bare.setAt(day.addDays(-1));
        ArchiveRecord ended = bare;
        ended.kind = ArchiveRecord::RunEnded;
        ended.code = 99;
        ended.setAt(day.addDays(-1).addSecs(60));
        return store->write({bare, ended});
    }

private Q_SLOTS:
    void init()
    {
        QCOMPARE(makeArchive(), QString());
        dialogs.calls.clear();
        auto actions = std::make_unique<RecordedActions>();
        done = actions.get();
        done->exportPath = dir.filePath("exported.txt");
        window = std::make_unique<RunsWindow>(*store, dialogs, std::move(actions));
    }
    void cleanup() { window.reset(); }

    // A row of the run list as shown, its cells joined by "|".
    QString rowOf(int row) const
    {
        QStringList cells;
        for (int column = 0; column < window->runTable->columnCount(); ++column)
            cells << window->runTable->item(row, column)->text();
        return cells.join(u'|');
    }

    void runsAreListedAndFiltered()
    {
        QCOMPARE(window->runTable->rowCount(), 3);
        // Newest first; a run with no end yet is running, one ended for a cause with no text shows none.
        QCOMPARE(rowOf(0), "2|41800222|station|2026-12-06 08:00:01||205|0|running|||");
        QCOMPARE(rowOf(2), "3|||2026-12-04 08:00:00|2026-12-04 08:01:00|0|0||||");
        QVERIFY(!window->exportButton->isEnabled());
        window->serialFilter->setText("111");
        QCOMPARE(window->runTable->rowCount(), 1);
        window->serialFilter->clear();

        // Dates are read as typed, ISO or the locale's; any other text filters nothing.
        QVERIFY(window->fromDate->text().isEmpty() && window->toDate->text().isEmpty());
        window->fromDate->setText("2026-12-06");
        QCOMPARE(window->runTable->rowCount(), 1);
        window->toDate->setText("05.12.26");
        QCOMPARE(window->runTable->rowCount(), 0);
        window->fromDate->setText("any20261207");
        QCOMPARE(window->runTable->rowCount(), 2);
        QVERIFY(!window->fromDate->styleSheet().isEmpty());
        window->fromDate->clear();
        window->toDate->clear();
        QCOMPARE(window->runTable->rowCount(), 3);
        QVERIFY(window->fromDate->styleSheet().isEmpty());
        window->lastWeekButton->click();
        QCOMPARE(window->fromDate->text(), QDate::currentDate().addDays(-6).toString(Qt::ISODate));
        QVERIFY(window->toDate->text().isEmpty());
        QCOMPARE(dialogs.calls, QStringList());
    }

    // The chosen run's trend, report and data log, also after sorting.
    void chosenRunIsDelivered()
    {
        // Numbers sort as numbers; a sorted row still stands for its run.
        window->runTable->sortByColumn(5, Qt::AscendingOrder);
        QCOMPARE(window->runTable->item(1, 5)->text(), QStringLiteral("9"));
        QCOMPARE(window->runTable->item(2, 5)->text(), QStringLiteral("205"));
        window->selectRun(2);
        window->trendButton->click();
        window->runTable->sortByColumn(3, Qt::DescendingOrder);   // the start, newest first again

        // A run without samples has no report, and says so.
        window->selectRun(2);
        window->previewButton->click();
        QCOMPARE(dialogs.count("error:Run Archive|Run "), 1);
        dialogs.calls.clear();

        window->selectRun(0);
        QVERIFY(window->exportButton->isEnabled());
        window->trendButton->click();
        // Export Range of its trend reads the lines again from an archive of its own.
        ArchiveRunLines lines(
            [&](QString &) {
                auto catalog = std::make_unique<SqlArchiveStore>(location);
                return catalog->open(false).isEmpty() ? std::move(catalog) : nullptr;
            },
            window->shownRuns().front().id);
        QStringList middle;
        QCOMPARE(lines.readLines(1, 3, [&](size_t, const QByteArray &line) { middle << QString::fromLatin1(line); }),
                 QString());
        QCOMPARE(middle, newestLines.mid(1, 3));
        QVERIFY(!lines.readLines(1, 5, [](size_t, const QByteArray &) {}).isEmpty());   // one past its last sample
        window->previewButton->click();
        window->printButton->click();
        window->exportButton->click();
        QCOMPARE(done->asked,
                 QStringList({"trend of run 2, 5 samples", "trend of run 2, 5 samples",
                              "preview of run 2, 205 cycles, 5 samples", "print of run 2",
                              "data log 41800222 2026-12-06 08-00-01.txt"}));   // named by its first sample
        QFile file(done->exportPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), (QStringList{DataLogHeader} + newestLines).join("\r\n").toLatin1() + "\r\n");
        QCOMPARE(dialogs.calls, QStringList());
    }

    // Edit Details... on the chosen run: OK keeps what was typed with the run in the archive and
    // shows it in the list, the run still chosen; Cancel keeps nothing.
    void runDetailsAreEntered_data()
    {
        addColumns<QString, QString, QString>("button", "row", "notes");   // row: the run's, as listed after
        const QString run = "2|41800222|station|2026-12-06 08:00:01||205|0|running|";
        addRow("OK", "OKButton", run + "SW-100 rocker|A. Meyer|line 1 line 2", "line 1\nline 2");
        addRow("Cancel", "CancelButton", run + "||", "");
    }
    void runDetailsAreEntered()
    {
        QVERIFY(!window->detailsButton->isEnabled());
        // The run listed first, shown last: the list made anew must choose it again.
        window->runTable->sortByColumn(3, Qt::AscendingOrder);
        window->selectRun(2);
        const qint64 id = window->shownRuns().front().id;
        QFETCH(QString, button);
        QString label;
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            auto *details = dynamic_cast<RunDetailsDialog *>(dialog);
            QVERIFY(details);
            label = details->runLabel->text();
            details->partEdit->setText(" SW-100 rocker ");
            details->operatorEdit->setText("A. Meyer");
            details->notesEdit->setPlainText("line 1\nline 2");
            details->findChild<QPushButton *>(button)->click();
        });
        window->detailsButton->click();
        QCOMPARE(answerer.answered, 1);
        QCOMPARE(label, QStringLiteral("Run %1 of tester 41800222, started 2026-12-06 08:00:01").arg(id));
        QCOMPARE(dialogs.calls, QStringList());
        // The list is read anew from the archive: the run still chosen, as the archive keeps it.
        const int row = window->runTable->currentRow();
        QTEST(rowOf(row), "row");
        QTEST(window->runTable->item(row, 10)->toolTip(), "notes");   // all of them; on one line in the row
    }

    // A filter date typed in the German locale the tests run under.
    void typedDates_data()
    {
        addColumns<QString, QDate>("typed", "read");
        addRow("ISO", "2026-12-07", QDate(2026, 12, 7));
        addRow("ISO with spaces", " 2026-12-07 ", QDate(2026, 12, 7));
        addRow("short date", "07.12.26", QDate(2026, 12, 7));
        addRow("short date, four-digit year", "07.12.2026", QDate(2026, 12, 7));
        addRow("no such day", "31.02.26", QDate());
        addRow("empty", "", QDate());
    }
    void typedDates()
    {
        QFETCH(QString, typed);
        QTEST(readTypedDate(typed, QLocale()), "read");
    }

    // The Preferences dialog: the archive, run files, events on or off, the webhook and the web view,
    // refused on the network without a token. A bad value keeps the dialog open and saves nothing.
    void preferencesAreCheckedAndKept_data()
    {
        addColumns<QString, bool, QString, QString, QString, QString, bool>("archive", "runFiles", "folder", "webhook",
                                                                            "webView", "token", "kept");
        addRow("server and run files", "postgresql://lab@db/runs", true, "/data/runs", "", "", "", true);
        addRow("default archive, no run files", "", false, "", "", "", "", true);
        addRow("bad URL stays open", "mysql://x", false, "", "", "", "", false);
        addRow("run files need a folder", "", true, " ", "", "", "", false);
        addRow("webhook, network with token", "", false, "", "https://chat.example/h", "0.0.0.0:8080", "t0k", true);
        addRow("network without token", "", false, "", "", "0.0.0.0:8080", " ", false);
        addRow("bad address", "", false, "", "", "127.0.0.1:0", "", false);
        addRow("bad webhook", "", false, "", "mailto:lab@example", "", "", false);
    }

    void preferencesAreCheckedAndKept()
    {
        QFETCH(QString, archive);
        QFETCH(bool, runFiles);
        QFETCH(QString, folder);
        QFETCH(QString, webhook);
        QFETCH(QString, webView);
        QFETCH(QString, token);
        QFETCH(bool, kept);
        MemorySettingsStore settings;
        Registry registry(settings);
        registry.saveEventsOff({"link-found"});
        PreferencesDialog dialog(registry, dialogs, "/home/lab/runs.sqlite");
        QCOMPARE(dialog.runFilesCheck->accessibleName(), QStringLiteral("Write every run to its own data file"));
        QCOMPARE(dialog.archiveEdit->accessibleName(), QStringLiteral("Archive:"));
        QCOMPARE(dialog.eventChecks.size(), size_t(EventKind::Count));
        QVERIFY(!dialog.eventChecks[size_t(EventKind::LinkFound)]->isChecked());
        QCOMPARE(dialog.eventChecks[size_t(EventKind::Failure)]->accessibleName(), QString("New failure"));
        QCOMPARE(dialog.webViewEdit->accessibleName(), QString("Web view on:"));
        dialog.archiveEdit->setText(archive);
        dialog.runFilesCheck->setChecked(runFiles);
        dialog.runFolderEdit->setText(folder);
        dialog.eventChecks[size_t(EventKind::LinkFound)]->setChecked(true);
        dialog.eventChecks[size_t(EventKind::RunStopped)]->setChecked(false);
        dialog.eventChecks[size_t(EventKind::ArchiveError)]->setChecked(false);
        dialog.webhookEdit->setText(webhook);
        dialog.webViewEdit->setText(webView);
        dialog.webTokenEdit->setText(token);
        dialog.saveAndAccept();
        QCOMPARE(dialog.result() == QDialog::Accepted, kept);
        QCOMPARE(dialogs.calls.size(), kept ? 0 : 1);
        const QStringList saved{settings.read("Preferences", "Archive"), registry.runFilesFolder(),
                                registry.loadWebhook(), registry.loadWebView(), registry.loadWebToken()};
        QCOMPARE(saved,
                 (kept ? QStringList{archive, runFiles ? folder : "", webhook, webView, token} : QStringList(5)));
        QCOMPARE(registry.loadEventsOff(),
                 (kept ? QStringList{"run-stopped", "archive-error"} : QStringList{"link-found"}));
        QVERIFY(!eventWanted(EventKind::RunStopped, registry.loadEventsOff()) || !kept);
        QVERIFY(eventWanted(EventKind::Failure, registry.loadEventsOff()));
    }

    void sendTestEvent_data()
    {
        // commandLine: the URL came with --notify-url; status: the server's answer.
        addColumns<bool, int, QString>("commandLine", "status", "said");
        addRow("typed URL, taken", false, 200, "Sent: the server answered 200.");
        addRow("command line URL, refused", true, 500, "did not take an event: the server answered 500.");
    }

    // Send Test Event posts a "test" event to the webhook in use (the command line's, shown
    // read-only, over the kept one) and says what the server answered.
    void sendTestEvent()
    {
        QFETCH(bool, commandLine);
        QFETCH(int, status);
        LocalHttpServer server({status});
        const QUrl url = server.url();
        MemorySettingsStore settings;
        Registry registry(settings);
        registry.saveWebhook(commandLine ? "https://kept.example/hook" : url.toString());
        PreferencesDialog::setWebhook(commandLine ? url.toString() : QString(),
                                      [] { return std::make_unique<QtWebhookSender>(); });
        PreferencesDialog dialog(registry, dialogs, "/home/lab/runs.sqlite");
        PreferencesDialog::setWebhook(QString(), nullptr);
        QCOMPARE(dialog.webhookInUseEdit != nullptr, commandLine);
        if (commandLine) {
            QVERIFY(dialog.webhookInUseEdit->isReadOnly());
            QCOMPARE(dialog.webhookInUseEdit->text(), url.toString());
            QCOMPARE(dialog.webhookEdit->text(), QStringLiteral("https://kept.example/hook"));
        }
        QCOMPARE(dialog.testEventButton->accessibleName(), QStringLiteral("Send Test Event"));
        dialog.testEventButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.testEventButton->isEnabled(), 8000);
        QFETCH(QString, said);
        QVERIFY2(dialog.testResultLabel->text().contains(said), qPrintable(dialog.testResultLabel->text()));
        QCOMPARE(server.requests.size(), 1);
        const QJsonObject o = QJsonDocument::fromJson(server.requests[0].body).object();
        QCOMPARE(o["event"].toString(), QStringLiteral("test"));
        QCOMPARE(o["tester"].toString(), QString());
        QCOMPARE(dialogs.calls, QStringList());
    }
};

QTEST_MAIN(RunsWindowTest)
#include "RunsWindowTest.moc"
