// The configuration editor's rules without its widgets: the OK check with
// its messages and readjust question, the thresholds held to their range,
// and the editor's two computations.

#include "config/ConfigEditor.h"
#include "config/EditorComputations.h"
#include "ConfigSnapshot.h"
#include "state/TesterState.h"
#include "support/FakeMessageDialogs.h"

#include <QTest>
#include <functional>

using Edit = std::function<void(EditorFields &)>;
Q_DECLARE_METATYPE(Edit)

namespace {

QString error(const char *text)
{
    return QStringLiteral("error:Configuration Error|") + QLatin1String(text);
}

const QString DownTimes = error("Minimum Down Stroke Time Is Greater Than Maximum Down Stroke Time.");
const QString UpTimes = error("Minimum Up Stroke Time Is Greater Than Maximum Up Stroke Time.");
const QString Thresholds = error("Lower Bounce/Transition Threshold Is Greater Than Upper.");
const QString UpTolerances =
    error("Minimum Up Stroke Contact Tolerance Is Greater Than Maximum Up Stroke Contact Tolerance.");
const QString DownTolerances =
    error("Minimum Down Stroke Contact Tolerance Is Greater Than Maximum Down Stroke Contact Tolerance.");

} // namespace

class ConfigEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Thresholds beyond 0..255 are held to it in the edit copy itself.
    void thresholdsHeldToTheirRange()
    {
        TesterState s = BaseEditCopy();
        s.sUpperBounce = 300;
        s.sLowerBounce = -4;
        FakeMessageDialogs dialogs;
        const EditorFields f = ConfigEditor(s, dialogs).DisplayEditValues();
        QCOMPARE(f.upperBounce, 255);
        QCOMPARE(s.sLowerBounce, int16_t(0));
    }

    void okCheck_data()
    {
        QTest::addColumn<int>("contact");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QList<int16_t>>("answers");   // to the readjust question
        QTest::addColumn<QStringList>("calls");        // dialogs, and "shown" when the fields were refreshed
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("expected");     // items of the stored edit copy

        const QList<int16_t> none;
        const QStringList shown = {"shown"};
        QTest::newRow("no change") << 49 << Edit([](EditorFields &) {}) << none << shown << true
            << QStringList{"contact=49", "maxUpTol=1023", "minUpTol=512", "maxUpBounce=62500"};
        QTest::newRow("bounce bits without their strokes") << 1 + 64 + 128 << Edit([](EditorFields &) {}) << none
            << shown << true << QStringList{"contact=1"};
        QTest::newRow("up times crossed, stored anyway") << 49
            << Edit([](EditorFields &f) { f.minUpTime = "5"; f.maxUpTime = "2"; }) << none
            << QStringList{UpTimes, "shown"} << false << QStringList{"maxUpTime=2000", "minUpTime=5000"};
        QTest::newRow("all five checks in one OK") << 49 << Edit([](EditorFields &f) {
                f.minDownTime = "3"; f.minUpTime = "4";
                f.lowerBounce = 200; f.upperBounce = 100;
                f.upMinResist = "500"; f.upMaxResist = "100";
                f.downMinResist = "50"; f.downMaxResist = "15.9";
            }) << none << QStringList{DownTimes, UpTimes, Thresholds, UpTolerances, DownTolerances, "shown"}
            << false << QStringList{"upperBounce=100", "lowerBounce=200", "minDownTol=49"};
        QTest::newRow("open up minimum over a finite maximum") << 49
            << Edit([](EditorFields &f) { f.upMinResist = "Open"; f.upMaxResist = "100"; }) << none
            << QStringList{UpTolerances, "shown"} << false << QStringList{"minUpTol=1023", "maxUpTol=93"};
        QTest::newRow("constant rate ignores the minimum fields") << 49
            << Edit([](EditorFields &f) { f.constantRate = true; f.minUpTime = "9"; f.minDownTime = "9";
                                          f.maxDownTime = "1.5"; })
            << none << shown << true << QStringList{"maxDownTime=1500", "minDownTime=1500", "maxUpTime=500", "minUpTime=500"};
        QTest::newRow("none stores no test bits") << 49
            << Edit([](EditorFields &f) { f.contactType = 0; }) << none << shown << true
            << QStringList{"contact=0"};
        QTest::newRow("normally closed, up test and up bounce") << 49
            << Edit([](EditorFields &f) { f.contactType = 2; f.downStroke = false; f.upBounce = true; }) << none << shown << true
            << QStringList{"contact=162"};
        QTest::newRow("clamped down times, Yes to review them") << 49
            << Edit([](EditorFields &f) { f.maxDownTime = "0.01"; f.minDownTime = "0.02"; })
            << QList<int16_t>{AnswerYes} << QStringList{"shown", "readjust"} << false
            << QStringList{"maxDownTime=25", "minDownTime=25"};
        // Beyond what a 32-bit limit holds: the largest limit, after asking; No accepts it.
        QTest::newRow("cycle limit beyond 32 bits") << 49
            << Edit([](EditorFields &f) { f.maxTestCycles = "99999999999"; f.maxFailures = "1e400"; })
            << QList<int16_t>{AnswerNo} << QStringList{"shown", "readjust"} << true
            << QStringList{"cycleLimit=10000000", "failLimit=10000000"};
    }
    void okCheck()
    {
        QFETCH(int, contact);
        QFETCH(Edit, edit);
        QFETCH(QList<int16_t>, answers);
        QFETCH(QStringList, calls);
        QFETCH(bool, accepted);
        QFETCH(QStringList, expected);

        TesterState s = BaseEditCopy(contact);
        FakeMessageDialogs dialogs;
        dialogs.answers = answers;
        ConfigEditor editor(s, dialogs);
        EditorFields fields = editor.DisplayEditValues();
        edit(fields);
        QCOMPARE(editor.ApplyEditedConfig(fields, [&] { dialogs.calls << "shown"; }), accepted);
        QCOMPARE(dialogs.calls, calls);
        const QStringList stored = EditCopy(s);
        for (const QString &item : expected)
            QVERIFY2(stored.contains(item), qPrintable(stored.join(' ')));
    }

    void estimate_data()
    {
        QTest::addColumn<QStringList>("times");   // max up, min up, max down, min down
        QTest::addColumn<bool>("constant");
        QTest::addColumn<QString>("cycles");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("time");
        const QStringList second = {"1.000", "0.500", "1.000", "0.500"};
        QTest::newRow("empty fields") << QStringList{"", "", "", ""} << false << "" << "???" << "???";
        QTest::newRow("minutes") << second << false << "1000" << "1800 / hr" << "33.3 mins";
        QTest::newRow("days") << second << false << "100000" << "1800 / hr" << "2.3 days";
        QTest::newRow("just under a day is hours") << second << false << "43199" << "1800 / hr" << "24.0 hours";
        QTest::newRow("just over a day is days") << second << false << "43200" << "1800 / hr" << "1.0 days";
        QTest::newRow("a minimum above its maximum counts")
            << QStringList{"2", "3", "1", "0.5"} << false << "10" << "900 / hr" << "40.0 secs";
        QTest::newRow("constant rate ignores the minimums")
            << QStringList{"2", "3", "1", "0.5"} << true << "10" << "1200 / hr" << "30.0 secs";
        QTest::newRow("over 100000 per hour") << QStringList{"0.01", "", "0.01", ""} << false << "10" << "???" << "???";
        QTest::newRow("under one per hour") << QStringList{"2000", "", "2000", ""} << false << "10" << "???" << "???";
    }
    void estimate()
    {
        QFETCH(QStringList, times);
        QFETCH(bool, constant);
        QFETCH(QString, cycles);
        QFETCH(QString, rate);
        QFETCH(QString, time);
        const RateEstimate e = ComputeEstimateRate(times[0], times[1], times[2], times[3], constant, cycles);
        QCOMPARE(e.rate, rate);
        QCOMPARE(e.time, time);
    }

    void thresholds_data()
    {
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QStringList>("texts");   // ohms over a 1000-ohm pull-up, percent, volts
        QTest::newRow("128") << 128 << QStringList{"1002.0", "50.2 %", "2.51"};
        QTest::newRow("0") << 0 << QStringList{"0.0", "0.0 %", "0.00"};
        QTest::newRow("255") << 255 << QStringList{"340000.0", "100.0 %", "5.00"};
    }
    void thresholds()
    {
        QFETCH(int, threshold);
        QFETCH(QStringList, texts);
        const ThresholdTexts t = ThresholdValues(BaseEditCopy(), threshold);
        QCOMPARE((QStringList{t.ohms, t.percent, t.volts}), texts);
    }
};

QTEST_GUILESS_MAIN(ConfigEditorTest)
#include "ConfigEditorTest.moc"
