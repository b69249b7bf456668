#include "mainwindow/frmAbout.h"
#include "support/FakeMessageDialogs.h"

#include <QPushButton>
#include <QTest>

class AboutBoxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void systemInfo_data()
    {
        QTest::addColumn<QStringList>("tool");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QStringList>("messages");
        const QStringList unavailable = {"error:System Error|System Information Is Unavailable At This Time"};
        QTest::newRow("no tool on this machine") << QStringList() << true << unavailable;
        QTest::newRow("tool starts") << QStringList{"/usr/bin/hardinfo"} << true << QStringList();
    }

    void systemInfo()
    {
        QFETCH(QStringList, tool);
        QFETCH(bool, starts);
        FakeMessageDialogs dialogs;
        frmAbout about(dialogs);
        QStringList started;
        about.findTool = [&tool] { return tool; };
        about.startTool = [&](const QStringList &command) {
            started = command;
            return starts;
        };
        QTest::mouseClick(about.findChild<QPushButton *>("cmdSysInfo"), Qt::LeftButton);
        QCOMPARE(started, tool);
        QTEST(dialogs.calls, "messages");
    }
};

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
