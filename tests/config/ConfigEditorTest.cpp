// The configuration editor's checks, keys and texts, and what screen readers find in it.

#include "ConfigSnapshot.h"
#include "engine/config/EditorComputations.h"
#include "engine/procedures/ManualControl.h"
#include "engine/supervision/TesterEngine.h"
#include "features/config/ConfigEditorDialog.h"
#include "features/procedures/ManualDialog.h"
#include "mainwindow/TesterWindow.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/FakeView.h"
#include "support/Fetched.h"
#include "support/MemorySettingsStore.h"
#include "support/OneLine.h"
#include "support/ScreenReader.h"
#include "support/SessionWindow.h"
#include "support/TestKit.h"
#include "ui/FailureCheckBox.h"

#include <QtWidgets>

namespace {

// "field=text": a line takes the text, a spin box, list or check box a number.
void set(QWidget &form, const QString &edit)
{
    QWidget *w = form.findChild<QWidget *>(edit.section('=', 0, 0));
    const QString text = edit.section('=', 1);
    if (auto *line = qobject_cast<QLineEdit *>(w))
        line->setText(text);
    else if (auto *spin = qobject_cast<QSpinBox *>(w))
        spin->setValue(text.toInt());
    else if (auto *list = qobject_cast<QComboBox *>(w))
        list->setCurrentIndex(text.toInt());
    else
        qobject_cast<QAbstractButton *>(w)->setChecked(text == "1");
}

QString error(const char *text)
{
    return "error:Configuration Error|" + QString::fromLatin1(text);
}

// The window a screen reader is tried on: "editor", "main" or "manual", over a base configuration.
struct ReadWindow
{
    explicit ReadWindow(const QString &window)
    {
        baseConfig(s);
        if (window == "editor") {
            owned = std::make_unique<ConfigEditorDialog>(s, dialogs);
        } else if (window == "main") {
            mainWindow = std::make_unique<SessionWindow>(port, settings, dialogs, files, 24 * 3600 * 1000);
            mainWindow->form.state().reported.contact = 16 | 32 | 64 | 128;
            mainWindow->form.state().counters.cycleCount = 4711;
            mainWindow->form.showReadings();
        } else {
            owned = std::make_unique<ManualDialog>(manual);
            s.link.portOpen = true, s.link.busy = false;
            manual.runManualMenu([this] { manual.showManualReading("107.5"); });
        }
    }
    QWidget *shown() { return mainWindow ? &mainWindow->form : owned.get(); }

    TesterState s;
    FakeMessageDialogs dialogs;
    FakeSerialPort port;
    MemorySettingsStore settings;
    FakeDataFileDialog files;
    FakeView view;
    TesterEngine engine{s, port, view};
    ManualControl manual{s, engine};
    std::unique_ptr<QWidget> owned;
    std::unique_ptr<SessionWindow> mainWindow;
};

}   // namespace

class ConfigEditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void closeWithKey_data()
    {
        // outcome: 0: the editor stays open, 1: accepted, 2: cancelled; expected: items of the edit copy afterwards;
        // answers: to the readjust question; focused: on review: the field first readjusted
        addColumns<QStringList, int, QStringList, QStringList, QList<int16_t>, QString, int>(
            "edits", "outcome", "expected", "calls", "answers", "focused", "key");
        const auto row = [](const char *name, const QStringList &edits, int outcome, const QStringList &expected,
                            const QStringList &calls = {}, QList<int16_t> answers = {}, const QString &focused = {},
                            int key = Qt::Key_Return) {
            QTest::newRow(name) << edits << outcome << expected << calls << answers << focused << key;
        };
        row("no change, Enter", {}, 1, {"contact=49", "maxUpTol=1023", "minUpTol=512", "maxUpBounce=62500"});
        row("Escape cancels", {"maxTestCyclesEdit=5000"}, 2, {"cycleLimit=100000"}, {}, {}, {}, Qt::Key_Escape);
        // An open up minimum counts as full scale, over any finite maximum.
        row("all five checks in one OK, stored anyway",
            {"minDownTimeEdit=3", "minUpTimeEdit=4", "upperThresholdSpin=100", "lowerThresholdSpin=200",
             "upMinResistEdit=Open", "upMaxResistEdit=100", "downMinResistEdit=50", "downMaxResistEdit=15.9"},
            0, {"upperBounce=100", "lowerBounce=200", "minDownTol=49", "minUpTol=1023", "maxUpTol=93"},
            {error("Minimum Down Stroke Time Is Greater Than Maximum Down Stroke Time."),
             error("Minimum Up Stroke Time Is Greater Than Maximum Up Stroke Time."),
             error("Lower Bounce/Transition Threshold Is Greater Than Upper."),
             error("Minimum Up Stroke Contact Tolerance Is Greater Than Maximum Up Stroke Contact Tolerance."),
             error("Minimum Down Stroke Contact Tolerance Is Greater Than Maximum Down Stroke Contact Tolerance.")});
        row("equal pairs pass every check",
            {"minDownTimeEdit=0.5", "minUpTimeEdit=0.500", "upperThresholdSpin=127", "lowerThresholdSpin=127",
             "upMinResistEdit=open", "downMinResistEdit=15.9"},
            1, {"minDownTime=500", "minUpTime=500", "lowerBounce=127", "minUpTol=1023", "minDownTol=16"});
        row("constant rate ignores the minimum fields",
            {"constantRateCheck=1", "minUpTimeEdit=9", "minDownTimeEdit=9", "maxDownTimeEdit=1.5"}, 1,
            {"maxDownTime=1500", "minDownTime=1500", "maxUpTime=500", "minUpTime=500"});
        row("the word open is a tolerance, not a readjustment", {"downMaxResistEdit=open", "downMinResistEdit=Open"}, 1,
            {"minDownTol=1023", "maxDownTol=1023"});
        row("None stores no test bits", {"contactTypeSelect=0"}, 1, {"contact=0"});
        row("normally closed, up test and up bounce", {"contactTypeSelect=2", "downStrokeCheck=0", "upBounceCheck=1"},
            1, {"contact=162"});
        // The question lists each text typed and the value used; the fields already show the stored ones.
        row("clamped down times, Yes to review them", {"maxDownTimeEdit=0.01", "minDownTimeEdit=0.01"}, 0,
            {"maxDownTime=25", "minDownTime=25"},
            {"readjust:Down Stroke Max Time (sec): 0.01 becomes 0.025|"
             "Down Stroke Min Time (sec): 0.01 becomes 0.025 (shows 0.025)"},
            {AnswerYes}, "maxDownTimeEdit");
        row("cycle limit beyond 32 bits, No keeps the largest", {"maxTestCyclesEdit=99999999999"}, 1,
            {"cycleLimit=10000000"}, {"readjust:Maximum Test Cycles: 99999999999 becomes 10000000 (shows 0.500)"},
            {AnswerNo});
        row("not a number on the Limits tab, Yes: reviewed there", {"maxSeqFailuresEdit=3", "maxFailuresEdit=ten"}, 0,
            {"failLimit=1", "seqLimit=3"},
            {"readjust:Maximum Test Failures: \"ten\" is not a number, becomes 1 (shows 0.500)"}, {AnswerYes},
            "maxFailuresEdit");
        row("a bounce time that is not a number reads 0 but is named", {"maxUpBounceTimeEdit=abc"}, 1,
            {"maxUpBounce=0"},
            {"readjust:Up Stroke Max Bounce Time: \"abc\" is not a number, becomes 0.000000 (shows 0.500)"},
            {AnswerNo});
    }
    void closeWithKey()
    {
        QFETCH(QStringList, edits);
        QFETCH(int, outcome);
        QFETCH(QString, focused);
        TesterState s;
        baseConfig(s, 49);
        FakeMessageDialogs dialogs;
        dialogs.answers = fetched<QList<int16_t>>("answers");
        ConfigEditorDialog form(s, dialogs);
        form.show();
        // The readjust question comes with the stored values already in the fields.
        dialogs.whileOpen = [&] {
            if (dialogs.calls.last().startsWith("readjust"))
                dialogs.calls.last() += " (shows " + form.findChild<QLineEdit *>("maxDownTimeEdit")->text() + ")";
        };
        for (const QString &edit : edits)
            set(form, edit);

        QTest::keyClick(form.findChild<QWidget *>("maxUpTimeEdit"), Qt::Key(fetched<int>("key")));

        QTEST(dialogs.calls, "calls");
        QCOMPARE(form.isVisible(), outcome == 0);
        QCOMPARE(form.result() == QDialog::Accepted, outcome == 1);
        if (outcome == 1)
            QCOMPARE(form.valuesChanged, !edits.isEmpty());
        for (const QString &item : fetched<QStringList>("expected"))
            QVERIFY2(editCopy(s).contains(item), qPrintable(editCopy(s).join(' ')));
        if (!focused.isEmpty()) {
            QCOMPARE(form.focusWidget()->objectName(), focused);
            QVERIFY(form.focusWidget()->isVisible());   // its tab is the one shown
        }
    }

    // The estimate from the time fields, and a threshold's texts over a 1000-ohm pull-up: ohms, percent, volts.
    void estimateAndThresholdTexts()
    {
        const auto estimate = [](const QString &strokeTime, const QString &cycles) {
            const RateEstimate e = computeEstimateRate(strokeTime, "", strokeTime, "", false, cycles);
            return e.rate + ", " + e.time;
        };
        QCOMPARE(estimate("1.000", "100000"), "1800 / hr, 2.3 days");
        QCOMPARE(estimate("1.000", "30"), "1800 / hr, 1.0 mins");        // a minute
        QCOMPARE(estimate("1.000", "1800"), "1800 / hr, 1.0 hours");     // an hour
        QCOMPARE(estimate("1.000", "43199"), "1800 / hr, 24.0 hours");   // just under a day
        QCOMPARE(estimate("1.000", "43201"), "1800 / hr, 1.0 days");     // just over
        QCOMPARE(computeEstimateRate("1.000", "9", "1.000", "9", true, "1000").time, "33.3 mins");
        // A minimum above its maximum is what the tester waits for: 0.3 + 0.2 s a cycle.
        QCOMPARE(computeEstimateRate("0.1", "0.3", "0.2", "0.1", false, "90").rate, "7200 / hr");
        QCOMPARE(estimate("0.01", "10"), "???, ???");   // over 100000 per hour
        QCOMPARE(estimate("2000", "10"), "???, ???");   // under one per hour
        TesterState s;
        baseConfig(s);
        const ThresholdTexts t = thresholdValues(s, 128);
        QCOMPARE((QStringList{t.ohms, t.percent, t.volts}), (QStringList{"1002.0", "50.2 %", "2.51"}));
    }

    // On opening, thresholds are held within 0..255. Constant rate greys and
    // masks the minimum times; a bounce box follows its stroke box; Ctrl+Tab wraps.
    void openingAndBoxes()
    {
        TesterState s;
        baseConfig(s, 49 + 128);
        s.pending.upperBounce = 300, s.pending.lowerBounce = -5;
        FakeMessageDialogs dialogs;
        ConfigEditorDialog form(s, dialogs);
        form.show();
        QCOMPARE((QList<int>{s.pending.upperBounce, s.pending.lowerBounce}), (QList<int>{255, 0}));
        form.findChild<QAbstractButton *>("constantRateCheck")->click();
        for (const char *name : {"minUpTimeEdit", "minDownTimeEdit"}) {
            const QLineEdit *field = form.findChild<QLineEdit *>(name);
            QCOMPARE(field->isEnabled() ? "enabled" : field->displayText(), "*****");
        }
        form.findChild<QTabBar *>()->setCurrentIndex(1);
        auto *bounce = form.findChild<QAbstractButton *>("upBounceCheck");
        form.findChild<QAbstractButton *>("upStrokeCheck")->click();
        QVERIFY(!bounce->isChecked());
        bounce->click();
        QVERIFY(!bounce->isChecked());
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClick(&form, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(form.findChild<QTabBar *>()->currentIndex(), 0);
    }

    // Input fields are named by their labels and described by their tool tips, buttons by their captions;
    // every value display has a name and reads its value as text.
    void screenReadersFindEveryField_data()
    {
        // counts: inputs, values and check boxes that only show the tester's state; shows: one value a screen reader
        // must read
        addColumns<QString, QString, QString>("window", "counts", "shows");
        addRow("configuration editor", "editor", "16 8 0", "3600 / hr");
        addRow("main window with its run overview", "main", "0 32 8", "4711");
        addRow("manual control", "manual", "0 1 1", "107.5");
    }

    void screenReadersFindEveryField()
    {
        ReadWindow read(fetched<QString>("window"));
        QWidget *shown = read.shown();
        QHash<QWidget *, QString> labelOf;
        for (QLabel *label : shown->findChildren<QLabel *>())
            if (label->buddy())
                labelOf[label->buddy()] = label->text();
        int inputs = 0, values = 0, stateBoxes = 0;
        QStringList texts;
        for (QWidget *w : shown->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (qobject_cast<QAbstractSpinBox *>(w->parentWidget()) || qobject_cast<QTabBar *>(w->parentWidget())
                || name.startsWith("qt_") || w->window() != shown)
                continue;   // the text part of a spin box, the tab bar's scroll arrows, Qt's own parts, other windows
            auto *field = qobject_cast<QLineEdit *>(w);
            if (auto *box = dynamic_cast<FailureCheckBox *>(w)) {
                ++stateBoxes;
                // Neither a screen reader's toggle nor its press changes it.
                box->setFailed(true);
                ScreenReader::act(box, QAccessibleActionInterface::toggleAction());
                ScreenReader::act(box, QAccessibleActionInterface::pressAction());
                QVERIFY2(box->isChecked(), qPrintable(name));
            }
            if (auto *button = qobject_cast<QAbstractButton *>(w)) {
                QCOMPARE(ScreenReader::name(button), QString(button->text()).remove('&'));
                QVERIFY2(!button->toolTip().isEmpty() || name == "constantRateCheck", qPrintable(name));
            } else if (field && field->isReadOnly()) {
                ++values;
                QVERIFY2(!ScreenReader::name(field).isEmpty(), qPrintable(name));
                QVERIFY2(!field->toolTip().isEmpty(), qPrintable(name));
                QCOMPARE(ScreenReader::description(field), field->toolTip());
                QCOMPARE(ScreenReader::text(field), field->text());
                texts << field->text();
            } else if (field || w->inherits("QAbstractSpinBox") || w->inherits("QComboBox")) {
                ++inputs;
                QCOMPARE(w->accessibleName(), labelOf.value(w, "(no label) " + name));
                QVERIFY2(!w->toolTip().isEmpty(), qPrintable(name));
                QCOMPARE(w->accessibleDescription(), w->toolTip());
            }
        }
        QTEST(oneLine(inputs, values, stateBoxes), "counts");
        QFETCH(QString, shows);
        QVERIFY2(texts.contains(shows), qPrintable(texts.join(", ")));
    }
};

QTEST_MAIN(ConfigEditorTest)
#include "ConfigEditorTest.moc"
