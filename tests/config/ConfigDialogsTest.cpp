// The configuration editor and the counter reset dialog as widgets: what
// screen readers find, the tabs, the masked minimum times, the bounce boxes
// that follow their strokes, and how the editor closes.

#include "ConfigSnapshot.h"
#include "config/frmOptions.h"
#include "procedures/ResetDialog.h"
#include "support/FakeMessageDialogs.h"

#include <QApplication>
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
    explicit EditorRig(int contact = 49) : s(BaseEditCopy(contact)), form(s, dialogs) { form.show(); }

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
        TesterState s = BaseEditCopy();
        FakeMessageDialogs dialogs;
        std::unique_ptr<QDialog> shown(dialog == "editor" ? static_cast<QDialog *>(new frmOptions(s, dialogs))
                                                          : new ResetDialog(s));
        QHash<QWidget *, QString> labelOf;
        for (QLabel *label : shown->findChildren<QLabel *>())
            if (label->buddy())
                labelOf[label->buddy()] = label->text();
        int found = 0;
        for (QWidget *w : shown->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (qobject_cast<QAbstractSpinBox *>(w->parentWidget()) || qobject_cast<QTabBar *>(w->parentWidget()))
                continue;   // the text part of a spin box, the tab bar's scroll arrows
            if (auto *button = qobject_cast<QAbstractButton *>(w)) {
                QCOMPARE(button->accessibleName(), button->text());
                QVERIFY2(!button->toolTip().isEmpty() || name == "ConstRateChk", qPrintable(name));
            } else if (w->inherits("QLineEdit") || w->inherits("QAbstractSpinBox") || w->inherits("QComboBox")) {
                ++found;
                QCOMPARE(w->accessibleName(), labelOf.value(w, QStringLiteral("(no label) ") + name));
                QVERIFY2(!w->toolTip().isEmpty(), qPrintable(name));
                QCOMPARE(w->accessibleDescription(), w->toolTip());
            }
        }
        QCOMPARE(found, inputs);
    }

    // Ctrl+Tab selects the next tab wherever the focus is, after the last the
    // first; only the chosen panel takes input; Recalculate belongs to the first tab.
    void ctrlTabWraps()
    {
        EditorRig rig;
        auto *tabs = rig.find<QTabBar>("tbsOptions");
        QApplication::setActiveWindow(&rig.form);   // a shortcut acts in the active window
        QVERIFY(QTest::qWaitForWindowActive(&rig.form));
        tabs->setCurrentIndex(1);
        QTest::keyClick(rig.find("ContactSelect"), Qt::Key_Tab, Qt::ControlModifier);   // a list wants keys too
        QCOMPARE(tabs->currentIndex(), 2);
        QVERIFY(!rig.find("Recalc")->isVisible() && !rig.find("picOptions0")->isEnabled());
        QTest::keyClick(rig.find("MaxTestCycleEd"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(rig.find("Recalc")->isVisible() && rig.find("picOptions0")->isEnabled());
        QVERIFY(!rig.find("picOptions2")->isEnabled());
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
        QCOMPARE(minUp->text(), QStringLiteral("0.050"));
    }

    // A bounce test can be ticked only on a stroke whose contact is tested.
    void bounceFollowsItsStroke()
    {
        EditorRig rig(1 | 32 | 128);
        rig.find<QTabBar>("tbsOptions")->setCurrentIndex(1);
        auto *upBounce = rig.find<QCheckBox>("TestUpBounce");
        rig.click("UpStrokeCheck");
        QVERIFY(!upBounce->isChecked());
        rig.click("TestUpBounce");
        QVERIFY(!upBounce->isChecked());
    }

    void keysCloseTheEditor_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("maxDownTime");
        QTest::addColumn<int>("useSelect");   // 0: the editor stays open
        QTest::newRow("Enter presses OK") << int(Qt::Key_Return) << "1.000" << 1;
        QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << "1.000" << 2;
        // Yes to the readjust question: the editor stays open on the clamped value.
        QTest::newRow("clamped, Yes to review") << int(Qt::Key_Return) << "0.01" << 0;
    }
    void keysCloseTheEditor()
    {
        QFETCH(int, key);
        QFETCH(QString, maxDownTime);
        QFETCH(int, useSelect);
        EditorRig rig;
        rig.dialogs.answers = {AnswerYes};
        rig.find<QLineEdit>("MaxTestCycleEd")->setText(QStringLiteral("5000"));
        rig.find<QLineEdit>("MaxDownTimeEd")->setText(maxDownTime);
        rig.find<QLineEdit>("MinDownTimeEd")->setText(maxDownTime);
        QTest::keyClick(rig.find("MaxUpTimeEd"), Qt::Key(key));
        QCOMPARE(rig.form.isVisible(), useSelect == 0);
        QCOMPARE(int(rig.form.UseSelect), useSelect == 0 ? 2 : useSelect);
        QCOMPARE(rig.form.IsDirty, useSelect == 1);
        QCOMPARE(rig.s.sCycleLimit, useSelect == 2 ? 100000 : 5000);
        if (useSelect == 0) {
            QCOMPARE(rig.find<QLineEdit>("MaxDownTimeEd")->text(), QStringLiteral("0.025"));
            QCOMPARE(rig.text("EstimatedRate"), QStringLiteral("6857 / hr"));
        }
    }

    // An alternate-action contact, and only such a contact, gets a fourth
    // list entry, and OK keeps its type.
    void alternateActionKeepsItsType()
    {
        QCOMPARE(EditorRig(1).find<QComboBox>("ContactSelect")->count(), 3);
        EditorRig rig(3 + 32);
        QCOMPARE(rig.find<QComboBox>("ContactSelect")->currentText(), QStringLiteral("Alternate Action"));
        rig.click("cmdOK");
        QCOMPARE(int(rig.s.sContact), 3 + 32);
        QVERIFY(!rig.form.IsDirty);
    }

    // The threshold texts follow the spin boxes; the estimate waits for Recalculate.
    void thresholdsFollowEstimateWaits()
    {
        EditorRig rig;
        rig.find<QSpinBox>("SpinDownBounce")->setValue(128);
        QCOMPARE(rig.text("BounceLowerPercent"), QStringLiteral("50.2 %"));
        QCOMPARE(rig.text("EstimatedTime"), QStringLiteral("1.2 days"));
        rig.find<QLineEdit>("MaxTestCycleEd")->setText(QStringLiteral("10"));
        QCOMPARE(rig.text("EstimatedTime"), QStringLiteral("1.2 days"));
        rig.click("Recalc");
        QCOMPARE(rig.text("EstimatedTime"), QStringLiteral("10.0 secs"));
    }
};

QTEST_MAIN(ConfigDialogsTest)
#include "ConfigDialogsTest.moc"
