// The configuration editor and the counter reset dialog as widgets: what
// screen readers find, the tabs, the masked minimum times, the bounce boxes
// that follow their strokes, and how the editor closes.

#include "EditCopy.h"
#include "config/frmOptions.h"
#include "procedures/ResetDialog.h"
#include "support/FakeMessageDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTest>
#include <memory>

namespace {

struct EditorRig
{
    explicit EditorRig(int contact = 241) : s(EditCopy(contact)), form(s, dialogs) { form.show(); }

    template <typename T = QWidget>
    T *find(const char *name)
    {
        T *widget = form.findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no %s in the editor", name);
        return widget;
    }
    // At the left edge: a check box takes clicks only on its box and caption.
    void click(const char *name)
    {
        auto *button = find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    QString text(const char *name) { return find<QLabel>(name)->text(); }

    TesterState s;
    FakeMessageDialogs dialogs;
    frmOptions form;
};

} // namespace

class ConfigDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every input field is named by its label and described by its tool
    // tip; check boxes and buttons are named by their captions.
    void screenReadersFindEveryField_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("inputs");
        QTest::newRow("editor") << "editor" << 16;
        QTest::newRow("reset") << "reset" << 0;
    }
    void screenReadersFindEveryField()
    {
        QFETCH(QString, dialog);
        QFETCH(int, inputs);
        TesterState s = EditCopy();
        FakeMessageDialogs dialogs;
        std::unique_ptr<QDialog> shown;
        if (dialog == "editor")
            shown = std::make_unique<frmOptions>(s, dialogs);
        else
            shown = std::make_unique<ResetDialog>(s);
        QHash<QWidget *, QString> labelOf;
        for (QLabel *label : shown->findChildren<QLabel *>())
            if (label->buddy())
                labelOf[label->buddy()] = label->text();
        int found = 0;
        for (QWidget *w : shown->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (qobject_cast<QLineEdit *>(w) || qobject_cast<QSpinBox *>(w) || qobject_cast<QComboBox *>(w)) {
                if (!qobject_cast<QLineEdit *>(w->parentWidget()) && !qobject_cast<QAbstractSpinBox *>(w->parentWidget())) {
                    ++found;
                    QCOMPARE(w->accessibleName(), labelOf.value(w, QStringLiteral("(no label) ") + name));
                    QVERIFY2(!w->toolTip().isEmpty(), qPrintable(name));
                    QCOMPARE(w->accessibleDescription(), w->toolTip());
                }
            } else if (auto *button = qobject_cast<QAbstractButton *>(w);
                       button && !qobject_cast<QTabBar *>(w->parentWidget())) {   // not its scroll arrows
                QCOMPARE(button->accessibleName(), button->text());
                QVERIFY2(!button->toolTip().isEmpty() || name == "ConstRateChk", qPrintable(name));
            }
        }
        QCOMPARE(found, inputs);
    }

    // Texts whose spelling the operators know, typos included.
    void textsAsOperatorsKnowThem()
    {
        EditorRig rig;
        QCOMPARE(rig.form.windowTitle(), QStringLiteral("Test Parameter Configuration"));
        QCOMPARE(rig.find("MaxDownTimeEd")->toolTip(),
                 QStringLiteral("The maximum down stroke test time (always relavent)"));
        QCOMPARE(rig.find("MaxSeqFailEd")->toolTip(),
                 QStringLiteral("Maximum number of seqencial test cycle failures before stopping"));
        QCOMPARE(rig.find<QTabBar>("tbsOptions")->tabToolTip(1), QStringLiteral("Set Contact Configuration"));
        ResetDialog reset(rig.s);
        QCOMPARE(reset.windowTitle(), QStringLiteral("Reset Test Results"));
        QCOMPARE(reset.findChild<QLabel *>("Label2")->text(),
                 QStringLiteral("This operation will clear the stored test data in the Cycle Tester.  This includes "
                                "the cycle and fail counts.  Select only the values that need to be cleared."));
        QCOMPARE(reset.findChild<QWidget *>("MinMaxChkBx")->toolTip(),
                 QStringLiteral("If checked, the min & max test results will be cleared"));
    }

    // Ctrl+Tab walks the tabs and wraps; only the chosen panel takes input,
    // and Recalculate belongs to the first tab.
    void tabs()
    {
        EditorRig rig;
        auto *tabs = rig.find<QTabBar>("tbsOptions");
        QWidget *recalc = rig.find("Recalc");
        // The key goes to a field of the tab shown, as the operator's would.
        const char *fieldOnTab[] = {"MaxUpTimeEd", "UpMaxResistEd", "MaxTestCycleEd"};
        tabs->setCurrentIndex(2);
        QStringList seen;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(rig.find(fieldOnTab[tabs->currentIndex()]), Qt::Key_Tab, Qt::ControlModifier);
            seen << QStringLiteral("%1%2%3").arg(tabs->currentIndex()).arg(recalc->isVisible() ? "R" : "")
                        .arg(rig.find("picOptions0")->isEnabled() + rig.find("picOptions1")->isEnabled()
                             + rig.find("picOptions2")->isEnabled());
        }
        QCOMPARE(seen, (QStringList{"0R1", "11", "21"}));
    }

    // Make Constant Rate masks the minimum times with "*" and keeps their text.
    void constantRateMasksTheMinimumTimes()
    {
        EditorRig rig;
        auto *minUp = rig.find<QLineEdit>("MinUpTimeEd");
        rig.click("ConstRateChk");
        QVERIFY(!minUp->isEnabled() && !rig.find("MinDownTimeEd")->isEnabled());
        QCOMPARE(minUp->echoMode(), QLineEdit::Password);
        QCOMPARE(minUp->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, minUp), int('*'));
        QCOMPARE(minUp->text(), QStringLiteral("0.600"));
        rig.click("ConstRateChk");
        QVERIFY(minUp->isEnabled());
        QCOMPARE(minUp->echoMode(), QLineEdit::Normal);
    }

    // A bounce test can be ticked only on a stroke whose contact is tested.
    void bounceFollowsItsStroke()
    {
        EditorRig rig(1 | 32 | 128);
        rig.find<QTabBar>("tbsOptions")->setCurrentIndex(1);
        auto *upBounce = rig.find<QCheckBox>("TestUpBounce");
        QVERIFY(upBounce->isChecked());
        rig.click("UpStrokeCheck");
        QVERIFY(!upBounce->isChecked());
        rig.click("TestUpBounce");
        QVERIFY(!upBounce->isChecked());
        rig.click("TestDownBounce");
        QVERIFY(!rig.find<QCheckBox>("TestDownBounce")->isChecked());
        rig.click("DownStrokeCheck");
        rig.click("TestDownBounce");
        QVERIFY(rig.find<QCheckBox>("TestDownBounce")->isChecked());
    }

    void keysCloseTheEditor_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("useSelect");
        QTest::newRow("Enter presses OK") << int(Qt::Key_Return) << 1;
        QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << 2;
    }
    void keysCloseTheEditor()
    {
        QFETCH(int, key);
        QFETCH(int, useSelect);
        EditorRig rig;
        auto *cycles = rig.find<QLineEdit>("MaxTestCycleEd");
        cycles->setText(QStringLiteral("5000"));
        QTest::keyClick(rig.find("MaxUpTimeEd"), Qt::Key(key));
        QVERIFY(!rig.form.isVisible());
        QCOMPARE(int(rig.form.UseSelect), useSelect);
        QCOMPARE(rig.form.IsDirty, useSelect == 1);
        QCOMPARE(rig.s.sCycleLimit, useSelect == 1 ? 5000 : 1000);
    }

    // Yes to the readjust question keeps the editor open on the clamped
    // values; the next OK takes them without asking again.
    void readjustYesKeepsTheEditorOpen()
    {
        EditorRig rig;
        rig.dialogs.answers = {AnswerYes};
        auto *maxDown = rig.find<QLineEdit>("MaxDownTimeEd");
        maxDown->setText(QStringLiteral("0.01"));
        rig.find<QLineEdit>("MinDownTimeEd")->setText(QStringLiteral("0.01"));
        rig.click("cmdOK");
        QVERIFY(rig.form.isVisible());
        QCOMPARE(maxDown->text(), QStringLiteral("0.025"));
        QCOMPARE(rig.text("EstimatedRate"), QStringLiteral("2939 / hr"));
        rig.click("cmdOK");
        QVERIFY(!rig.form.isVisible());
        QCOMPARE(rig.dialogs.calls, QStringList{"readjust"});
        QCOMPARE(int(rig.form.UseSelect), 1);
    }

    // An alternate-action contact gets a fourth list entry and keeps its type.
    void alternateActionEntry_data()
    {
        QTest::addColumn<int>("contact");
        QTest::addColumn<QStringList>("entries");
        const QStringList three = {"None", "Normally Open", "Normally Closed"};
        QTest::newRow("normally open") << 1 << three;
        QTest::newRow("alternate action") << 3 + 32 << three + QStringList{"Alternate Action"};
    }
    void alternateActionEntry()
    {
        QFETCH(int, contact);
        QFETCH(QStringList, entries);
        EditorRig rig(contact);
        auto *list = rig.find<QComboBox>("ContactSelect");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->itemText(i);
        QCOMPARE(shown, entries);
        QCOMPARE(list->currentIndex(), contact & 3);
        rig.click("cmdOK");
        QCOMPARE(int(rig.s.sContact), contact);
        QVERIFY(!rig.form.IsDirty);
    }

    // The threshold texts follow the spin boxes; the estimate waits for Recalculate.
    void thresholdsFollowEstimateWaits()
    {
        EditorRig rig;
        rig.find<QSpinBox>("SpinDownBounce")->setValue(128);
        QCOMPARE(rig.text("BounceLowerPercent"), QStringLiteral("50.2 %"));
        QCOMPARE(rig.text("BounceLowerOhms"), QStringLiteral("1002.0"));
        QCOMPARE(rig.text("EstimatedTime"), QStringLiteral("36.7 mins"));
        rig.find<QLineEdit>("MaxTestCycleEd")->setText(QStringLiteral("10"));
        QCOMPARE(rig.text("EstimatedTime"), QStringLiteral("36.7 mins"));
        rig.click("Recalc");
        QCOMPARE(rig.text("EstimatedTime"), QStringLiteral("22.0 secs"));
    }
};

QTEST_MAIN(ConfigDialogsTest)
#include "ConfigDialogsTest.moc"
