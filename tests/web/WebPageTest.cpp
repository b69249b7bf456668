// The web view's page in headless Chromium: each tester with its trend and run links, and the archive's runs.

#include "station/StationRig.h"

#include "engine/archive/RunCatalog.h"
#include "engine/web/WebView.h"
#include "web/WebServer.h"

#include "support/TestKit.h"

namespace {

// Run 7, that every tester is in, begun at midnight today; run 6 from a year ago to yesterday's last second.
class OneRunCatalog : public RunCatalog
{
public:
    QString listRuns(const RunFilter &, std::vector<RunSummary> &runs) override
    {
        const QDate today = QDate::currentDate();
        RunSummary run;
        run.id = 7;
        run.serialNumber = QStringLiteral("41800001");
        run.host = QStringLiteral("station");
        run.start = QDateTime(today, QTime(0, 0));
        run.part = QStringLiteral("SW-100 <b>rocker</b>");   // shown as text, never as markup
        run.operatorName = QStringLiteral("A. Meyer");
        RunSummary old = run;
        old.id = 6;
        old.start = QDateTime(today.addYears(-1), QTime(13, 5, 9));
        old.end = QDateTime(today.addDays(-1), QTime(23, 59, 59));
        old.endedHow = QStringLiteral("stopped by the operator");
        runs = {run, old};
        return QString();
    }
    QString countRuns(const RunFilter &, qint64 &count) override { return found(count, 2); }
    QString lastRunId(qint64 &id) override { return found(id, 7); }
    QString runIdOf(const QString &, qint64 &id) override { return found(id, 7); }
    QString readRun(qint64, const std::function<void(const TesterState &)> &) override { return QString(); }
    QString readRunPage(qint64, qint64, int, const std::function<void(const TesterState &, qint64)> &) override
    {
        return QString();
    }

private:
    static QString found(qint64 &out, qint64 value)
    {
        out = value;
        return QString();
    }
};

// The page's DOM once headless Chromium ran its script, or the failure; the wait runs the server's event loop.
QString pageInChromium(const QString &chromium, quint16 port, QString &failure)
{
    QTemporaryDir profile;
    QProcess browser;
    browser.start(chromium,
                  {"--headless", "--disable-gpu", "--no-sandbox", "--no-first-run", "--user-data-dir=" + profile.path(),
                   "--virtual-time-budget=8000", "--dump-dom", QStringLiteral("http://127.0.0.1:%1/").arg(port)});
    for (QDeadlineTimer deadline(20000); browser.state() != QProcess::NotRunning && !deadline.hasExpired();)
        QTest::qWait(20);
    if (browser.state() != QProcess::NotRunning)
        failure = QStringLiteral("chromium did not end within 20 s");
    else if (browser.exitStatus() != QProcess::NormalExit || browser.exitCode() != 0)
        failure = QString::fromUtf8(browser.readAllStandardError()).right(2000);
    return QString::fromUtf8(browser.readAllStandardOutput());
}

}   // namespace

class WebPageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageShowsEveryTester()
    {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty())
            QSKIP("chromium is not installed (scripts/setup.sh installs it): the page is not tried in a browser.");

        StationRig rig;
        rig.bench.plug(1, FakeBench::simulatorConfig("41800001", true));
        rig.bench.plug(3, FakeBench::simulatorConfig("41800003", true));
        rig.bench.plug(4, FakeBench::simulatorConfig("41800004", false));
        QVERIFY(rig.allFound(3));
        rig.tick(300);
        rig.bench.pull(3);
        QVERIFY(rig.tickUntil([&] { return rig.session(1).glance().link().alarm(); }, 600));

        const std::vector<const TesterSession *> sessions{&rig.session(0), &rig.session(1), &rig.session(2)};
        WebView view([&] { return sessions; }, webPage());
        view.setArchive([](QString &) { return std::make_unique<OneRunCatalog>(); });
        WebServer server(view);
        QCOMPARE(server.listen({QStringLiteral("127.0.0.1"), 0}), QString());

        QString failure;
        const QString dom = pageInChromium(chromium, server.port(), failure);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // The page's times on the 24-hour clock, with the reader's short date when not today.
        QVERIFY2(QRegularExpression("3 testers, updated \\d\\d:\\d\\d:\\d\\d<").match(dom).hasMatch(),
                 qPrintable(dom.left(3000)));
        for (int row = 0; row < 3; ++row) {
            const TesterState &s = rig.session(row).state();
            const QRegularExpression testerRow(
                QStringLiteral("<tr class=\"(lost)?\" data-serial=\"%1\">.*?</tr>").arg(s.identity.serialNumber));
            const QRegularExpressionMatch found = testerRow.match(dom);
            QVERIFY2(found.hasMatch(), qPrintable(s.identity.serialNumber));
            const QString html = found.captured(0);
            QVERIFY2(
                html.contains(QStringLiteral("%1 of %2 cycles").arg(s.counters.cycleCount).arg(s.reported.cycleLimit)),
                qPrintable(html));
            QCOMPARE(found.captured(1) == "lost", row == 1);
            // A trend drawn for the testers that ran (a stopped one has no reading to draw).
            const QRegularExpressionMatch points = QRegularExpression("data-points=\"(\\d+)\"").match(html);
            QVERIFY2(points.hasMatch() && (row == 2 || points.captured(1).toInt() > 0), qPrintable(html));
            // A lost link ended its run.
            QVERIFY2(row == 1
                         || (html.contains("href=\"/api/runs/7/datalog\"")
                             && html.contains("href=\"/api/runs/7/report.pdf\"")),
                     qPrintable(html));
        }
        const QString run = QRegularExpression("<tr data-run=\"7\">.*?</tr>").match(dom).captured(0);
        const QDateTime midnight(QDate::currentDate(), QTime(0, 0));
        const QString midnightIso = midnight.toOffsetFromUtc(midnight.offsetFromUtc()).toString(Qt::ISODate);
        for (const QString &part : {QStringLiteral("href=\"/api/runs/7/report.pdf\""), QStringLiteral("running"),
                                    QStringLiteral("<td>SW-100 &lt;b&gt;rocker&lt;/b&gt;</td><td>A. Meyer</td>"),
                                    "<td title=\"" + midnightIso + "\">00:00:00</td>"})
            QVERIFY2(run.contains(part), qPrintable(run.isEmpty() ? dom.right(3000) : run));
        // Another day's times have the browser's short date, with its day and year.
        const QString old = QRegularExpression("<tr data-run=\"6\">.*?</tr>").match(dom).captured(0);
        for (const auto &[day, time] : {std::pair(QDate::currentDate().addYears(-1), QStringLiteral("13:05:09")),
                                        std::pair(QDate::currentDate().addDays(-1), QStringLiteral("23:59:59"))}) {
            const QRegularExpressionMatch shown = QRegularExpression("\">(\\S+) " + time + "</td>").match(old);
            QVERIFY2(shown.hasMatch() && shown.captured(1).contains(QString::number(day.day()))
                         && shown.captured(1).contains(QString::number(day.year() % 100)),
                     qPrintable(old));
        }
        QVERIFY2(dom.contains("The newest 2 of 2 runs."), qPrintable(dom.right(3000)));
    }
};

QTEST_GUILESS_MAIN(WebPageTest)
#include "WebPageTest.moc"
