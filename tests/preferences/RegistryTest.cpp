#include "preferences/Registry.h"

#include "support/MemorySettingsStore.h"

#include <QTest>

class RegistryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recentLists_data();
    void recentLists();
    void listsAreSeparate();
    void loadStopsAtFirstGap();
    void loadsCommChannel_data();
    void loadsCommChannel();
    void savesCommChannel();
};

void RegistryTest::recentLists_data()
{
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("expected");

    const QString a = "/data/A.txt", b = "/data/B.txt", c = "/data/C.txt", d = "/data/D.txt",
                  e = "/data/E.txt";
    QTest::newRow("first run") << QStringList{} << QStringList{};
    QTest::newRow("short list") << QStringList{a, b, c} << QStringList{c, b, a};
    QTest::newRow("fifth pushes the first out") << QStringList{a, b, c, d, e} << QStringList{e, d, c, b};
    QTest::newRow("reopen the third") << QStringList{a, b, c, d, e, c} << QStringList{c, e, d, b};
    QTest::newRow("reopen the top") << QStringList{a, b, c, d, e, e} << QStringList{e, d, c, b};
    QTest::newRow("reopen the fourth") << QStringList{a, b, c, d, e, b} << QStringList{b, e, d, c};
    QTest::newRow("reopen in a short list") << QStringList{a, b, a} << QStringList{a, b};
    QTest::newRow("case makes two entries") << QStringList{"/data/a.txt", "/data/A.txt"}
                                            << QStringList{"/data/A.txt", "/data/a.txt"};
}

// The data list and the configuration list follow the same rules, each
// under its own names, and each tells its own menu once per change.
void RegistryTest::recentLists()
{
    QFETCH(QStringList, opened);
    QFETCH(QStringList, expected);

    MemorySettingsStore store;
    Registry registry(store);
    int dataChanges = 0, configChanges = 0;
    registry.recentFilesChanged = [&] { ++dataChanges; };
    registry.recentConfigFilesChanged = [&] { ++configChanges; };

    for (const QString &path : opened) registry.AddRecentFile(path);
    QCOMPARE(registry.LoadRecentFiles(), expected);
    QCOMPARE(dataChanges, int(opened.size()));
    QCOMPARE(configChanges, 0);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(store.read("RecentFiles", "RecentFile" + QString::number(i + 1)), expected.at(i));

    QStringList configs;
    for (const QString &path : opened) configs.append(QString(path).replace(".txt", ".cfg"));
    for (const QString &path : configs) registry.AddRecentConfigFile(path);
    QStringList expectedConfigs;
    for (const QString &path : expected) expectedConfigs.append(QString(path).replace(".txt", ".cfg"));
    QCOMPARE(registry.LoadRecentConfigFiles(), expectedConfigs);
    QCOMPARE(configChanges, int(opened.size()));
    for (int i = 0; i < expectedConfigs.size(); ++i)
        QCOMPARE(store.read("ConfigFiles", "RecentCnfgFile" + QString::number(i + 1)), expectedConfigs.at(i));
}

void RegistryTest::listsAreSeparate()
{
    MemorySettingsStore store;
    Registry registry(store);
    registry.AddRecentFile("/data/run.txt");
    QCOMPARE(registry.LoadRecentConfigFiles(), QStringList{});
    registry.AddRecentConfigFile("/data/run.cfg");
    QCOMPARE(registry.LoadRecentFiles(), QStringList{"/data/run.txt"});
}

void RegistryTest::loadStopsAtFirstGap()
{
    MemorySettingsStore store;
    store.write("RecentFiles", "RecentFile1", "/data/A.txt");
    store.write("RecentFiles", "RecentFile3", "/data/C.txt");
    store.write("ConfigFiles", "RecentCnfgFile1", "/cfg/1.cfg");
    store.write("ConfigFiles", "RecentCnfgFile2", "/cfg/2.cfg");
    store.write("ConfigFiles", "RecentCnfgFile3", "/cfg/3.cfg");
    store.write("ConfigFiles", "RecentCnfgFile4", "/cfg/4.cfg");
    store.write("ConfigFiles", "RecentCnfgFile5", "/cfg/5.cfg");
    Registry registry(store);
    QCOMPARE(registry.LoadRecentFiles(), QStringList{"/data/A.txt"});
    QCOMPARE(registry.LoadRecentConfigFiles(),
             (QStringList{"/cfg/1.cfg", "/cfg/2.cfg", "/cfg/3.cfg", "/cfg/4.cfg"}));
}

void RegistryTest::loadsCommChannel_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("missing") << false << "" << -1;
    QTest::newRow("empty") << true << "" << -1;
    QTest::newRow("first port") << true << "1" << 0;
    QTest::newRow("port 3") << true << "3" << 2;
    QTest::newRow("port 12") << true << "12" << 11;
    QTest::newRow("zero") << true << "0" << -1;
    QTest::newRow("half rounds to even") << true << "3.5" << 2;
    QTest::newRow("not a number") << true << "COM3" << -1;
    QTest::newRow("too large for a port") << true << "99999999" << -1;
}

void RegistryTest::loadsCommChannel()
{
    QFETCH(bool, stored);
    QFETCH(QString, text);
    QFETCH(int, expected);
    MemorySettingsStore store;
    if (stored) store.write("Preferences", "CommChannel", text);
    QCOMPARE(Registry(store).LoadCommChannel(), expected);
}

void RegistryTest::savesCommChannel()
{
    MemorySettingsStore store;
    Registry registry(store);
    registry.SaveCommChannel(16);
    QCOMPARE(store.read("Preferences", "CommChannel"), QStringLiteral("16"));
    QCOMPARE(registry.LoadCommChannel(), 15);
}

QTEST_GUILESS_MAIN(RegistryTest)
#include "RegistryTest.moc"
