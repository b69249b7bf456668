// The main window against the simulated tester on a pseudo-terminal:
// Configure Edit sends the edited configuration and the window shows what
// the tester then reports; Reset Limits clears only what was ticked.

#include "MainWindowRig.h"

#include "support/ModalAnswerer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

struct WindowRig : MainWindowRig
{
    WindowRig()
    {
        // Minimum stroke times the editor accepts as they are (25 ms and up).
        rig.tester.settings().minDownTime = 50;
        rig.tester.settings().minUpTime = 60;
    }
};

void click(QDialog *dialog, const char *name)
{
    dialog->findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
}

} // namespace

class ConfigEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editSendsTheConfiguration_data()
    {
        QTest::addColumn<bool>("newLearn");
        QTest::addColumn<QString>("cycles");   // typed as the cycle limit; empty: unchanged
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("dirtyAfter");
        QTest::newRow("cycle limit changed") << false << "1234" << true << true;
        QTest::newRow("nothing changed, sent all the same") << false << "" << true << false;
        QTest::newRow("after a learn, cancelled") << true << "" << false << true;
    }
    void editSendsTheConfiguration()
    {
        QFETCH(bool, newLearn);
        QFETCH(QString, cycles);
        QFETCH(bool, ok);
        QFETCH(bool, dirtyAfter);

        WindowRig w;
        QVERIFY(w.connect());
        w.rig.takeFrames();
        w.s().IsDirtyConfig = !dirtyAfter;
        ModalAnswerer answerer;
        answerer.then([&](QDialog *editor) {
            if (!cycles.isEmpty())
                editor->findChild<QLineEdit *>("MaxTestCycleEd")->setText(cycles);
            click(editor, ok ? "cmdOK" : "cmdCancel");
        });
        if (newLearn)
            w.form.EditConfiguration(true);
        else
            w.trigger("ConfigureEditMenu");
        QCOMPARE(answerer.answered, 1);
        QCOMPARE(w.s().IsDirtyConfig, dirtyAfter);
        QVERIFY(w.settle());

        const QString limit = cycles.isEmpty() ? QStringLiteral("100000") : cycles;
        const QStringList sent = {"E1241", "E210", "E33", "E4" + limit, "E5100", "E650", "E7100", "E860",
                                  "E9200", "EA50", "EB1023", "EC1000", "ED20", "EE0", "F13000", "F23000", "AE"};
        QCOMPARE(w.rig.takeFrames(), ok ? sent : QStringList());
        QCOMPARE(w.rig.tester.settings().cycleLimit, limit.toInt());
        QCOMPARE(w.shown("CycleCntLimit"), limit);
        QCOMPARE(w.dialogs.calls, QStringList());
    }

    // Only "Cycle Count" ticked: the tester clears its cycle count alone,
    // and the next showing of the dialog starts with all four ticked again.
    void resetLimitsClearsWhatIsTicked()
    {
        WindowRig w;
        w.rig.tester.receive("AC\r");   // a few cycles, so there is something to clear
        w.rig.tester.advance(5 * SimulatedRig::FastConfig().periodMs + 10);
        w.rig.tester.receive("A1\r");
        w.rig.tester.takeOutput();
        QVERIFY(w.connect());
        QCOMPARE(w.shown("CycleCntBox"), QStringLiteral("5"));
        w.rig.takeFrames();

        ModalAnswerer answerer;
        QString warning;
        answerer.then([&](QDialog *reset) {
            warning = reset->findChild<QLabel *>("Label2")->text();
            for (const char *box : {"FailCountChkBx", "SeqCountChkBx", "MinMaxChkBx"})
                reset->findChild<QCheckBox *>(box)->setChecked(false);
            click(reset, "OKButton");
        });
        w.trigger("ConfigureResetLimits");
        QVERIFY(w.settle());
        QVERIFY(warning.contains("Cycle Tester.  This includes"));   // two spaces after each full stop
        QCOMPARE(w.rig.takeFrames(), (QStringList{"CB", "AE"}));
        QCOMPARE(w.rig.tester.cycleCount(), 0);
        QCOMPARE(w.shown("CycleCntBox"), QStringLiteral("0"));

        QStringList ticked;
        answerer.then([&](QDialog *reset) {
            for (QCheckBox *box : reset->findChildren<QCheckBox *>())
                if (box->isChecked())
                    ticked << box->objectName();
            click(reset, "CancelButton");
        });
        w.trigger("ConfigureResetLimits");
        QCOMPARE(ticked.size(), 4);
        w.rig.tick(3);
        QCOMPARE(w.rig.takeFrames(), QStringList());
    }
};

QTEST_MAIN(ConfigEndToEndTest)
#include "ConfigEndToEndTest.moc"
