// The two small dialogs of the main window: the break dialog and the about box.

#include "mainwindow/BreakDialog.h"
#include "mainwindow/frmAbout.h"
#include "support/FakeMessageDialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class SmallDialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void okNeedsAUsableCount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");   // 0: the dialog stays open
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("text") << "abc" << 0;
        QTest::newRow("above the tester's range") << "32768" << 0;
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("largest") << "32767" << 32767;
        QTest::newRow("a half rounds to even") << "2.5" << 2;
        QTest::newRow("full stop, not the locale's comma") << "1,5" << 1;
    }

    void okNeedsAUsableCount()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        BreakDialog dialog;
        dialog.checked = true;   // the save box starts as the caller sets it and hands back its state
        dialog.show();
        QTest::mouseClick(dialog.findChild<QCheckBox *>("SaveToDatabase"), Qt::LeftButton);
        dialog.findChild<QLineEdit *>("BreakCountEdit")->setText(text);
        QTest::mouseClick(dialog.findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        QCOMPARE(dialog.isVisible(), count == 0);
        QCOMPARE(int(dialog.BreakCount), count);
        if (count)
            QVERIFY(!dialog.checked);
    }

    void systemInfo_data()
    {
        QTest::addColumn<QStringList>("tool");
        QTest::addColumn<QStringList>("messages");
        const QStringList unavailable = {"error:System Error|System Information Is Unavailable At This Time"};
        QTest::newRow("no tool on this machine") << QStringList() << unavailable;
        QTest::newRow("tool starts") << QStringList{"/usr/bin/hardinfo"} << QStringList();
    }

    void systemInfo()
    {
        QFETCH(QStringList, tool);
        FakeMessageDialogs dialogs;
        frmAbout about(dialogs);
        QStringList started;
        about.findTool = [&tool] { return tool; };
        about.startTool = [&](const QStringList &command) {
            started = command;
            return true;
        };
        QTest::mouseClick(about.findChild<QPushButton *>("cmdSysInfo"), Qt::LeftButton);
        QCOMPARE(started, tool);
        QTEST(dialogs.calls, "messages");
    }
};

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
