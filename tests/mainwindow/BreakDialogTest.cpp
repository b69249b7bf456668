#include "mainwindow/BreakDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class BreakDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void okNeedsAUsableCount_data();
    void okNeedsAUsableCount();
    void saveBoxInAndOut_data();
    void saveBoxInAndOut();
    void cancelLeavesNoCount();
};

void BreakDialogTest::okNeedsAUsableCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");   // 0: the dialog stays open
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("text") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("above the tester's range") << "32768" << 0;
    QTest::newRow("far above") << "100000" << 0;
    QTest::newRow("a half rounds to zero") << "0.5" << 0;
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("largest") << "32767" << 32767;
    QTest::newRow("leading number of the text") << " 12 cycles" << 12;
    QTest::newRow("a half rounds to even") << "2.5" << 2;
    QTest::newRow("full stop, not the locale's comma") << "1,5" << 1;
}

void BreakDialogTest::okNeedsAUsableCount()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    BreakDialog dialog;
    dialog.show();
    dialog.findChild<QLineEdit *>("BreakCountEdit")->setText(text);
    QTest::mouseClick(dialog.findChild<QPushButton *>("OKButton"), Qt::LeftButton);
    QCOMPARE(dialog.isVisible(), count == 0);
    QCOMPARE(int(dialog.BreakCount), count);
    if (count)
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void BreakDialogTest::saveBoxInAndOut_data()
{
    QTest::addColumn<bool>("checkedIn");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<bool>("checkedOut");
    QTest::newRow("starts ticked, kept") << true << false << true;
    QTest::newRow("starts ticked, unticked") << true << true << false;
    QTest::newRow("starts unticked, ticked") << false << true << true;
}

void BreakDialogTest::saveBoxInAndOut()
{
    QFETCH(bool, checkedIn);
    QFETCH(bool, toggle);
    QFETCH(bool, checkedOut);
    BreakDialog dialog;
    dialog.checked = checkedIn;
    dialog.show();
    auto *box = dialog.findChild<QCheckBox *>("SaveToDatabase");
    QCOMPARE(box->isChecked(), checkedIn);
    QCOMPARE(dialog.findChild<QLineEdit *>("BreakCountEdit")->text(), QString("0"));
    if (toggle)
        QTest::mouseClick(box, Qt::LeftButton);
    dialog.findChild<QLineEdit *>("BreakCountEdit")->setText("10");
    QTest::mouseClick(dialog.findChild<QPushButton *>("OKButton"), Qt::LeftButton);
    QCOMPARE(dialog.checked, checkedOut);
}

void BreakDialogTest::cancelLeavesNoCount()
{
    BreakDialog dialog;
    dialog.show();
    dialog.findChild<QLineEdit *>("BreakCountEdit")->setText("10");
    QTest::mouseClick(dialog.findChild<QPushButton *>("CancelButton"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(int(dialog.BreakCount), 0);
}

QTEST_MAIN(BreakDialogTest)
#include "BreakDialogTest.moc"
