#include "mainwindow/frmAbout.h"
#include "support/FakeMessageDialogs.h"

#include <QPushButton>
#include <QTest>

class AboutBoxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void systemInfo_data();
    void systemInfo();
};

void AboutBoxTest::systemInfo_data()
{
    QTest::addColumn<QStringList>("tool");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<QStringList>("messages");
    const QStringList unavailable = {"error:System Error|System Information Is Unavailable At This Time"};
    QTest::newRow("no tool on this machine") << QStringList() << true << QStringList() << unavailable;
    QTest::newRow("tool starts") << QStringList{"/usr/bin/hardinfo"} << true
                                 << QStringList{"/usr/bin/hardinfo"} << QStringList();
    QTest::newRow("tool fails to start") << QStringList{"/usr/bin/hardinfo"} << false
                                         << QStringList{"/usr/bin/hardinfo"} << unavailable;
}

void AboutBoxTest::systemInfo()
{
    QFETCH(QStringList, tool);
    QFETCH(bool, starts);
    QFETCH(QStringList, started);
    QFETCH(QStringList, messages);
    FakeMessageDialogs dialogs;
    frmAbout about(dialogs);
    QStringList startedCommand;
    about.findTool = [&tool] { return tool; };
    about.startTool = [&](const QStringList &command) {
        startedCommand = command;
        return starts;
    };
    QTest::mouseClick(about.findChild<QPushButton *>("cmdSysInfo"), Qt::LeftButton);
    QCOMPARE(startedCommand, started);
    QCOMPARE(dialogs.calls, messages);
}

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
