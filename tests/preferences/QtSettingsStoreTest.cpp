#include "preferences/QtSettingsStore.h"
#include "preferences/Registry.h"

#include <QDir>
#include <QFile>
#include <QTest>

class QtSettingsStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY2(!config.isEmpty(), "the test must run with its own configuration folder");
        iniPath = QDir(config).filePath("RuqLifeCycle/RuqLifeCycle.ini");
        QFile::remove(iniPath);
    }

    // The registry's values survive a restart, in the user's own ini file.
    void registrySurvivesRestart()
    {
        {
            QtSettingsStore store;
            Registry registry(store);
            registry.AddRecentFile("/data/first.txt");
            registry.AddRecentFile("/data/second.txt");
            registry.SaveCommChannel(5);
            QCOMPARE(store.fileName(), iniPath);
        }
        QtSettingsStore store;
        Registry registry(store);
        QCOMPARE(registry.LoadRecentFiles(), (QStringList{"/data/second.txt", "/data/first.txt"}));
        QCOMPARE(registry.LoadCommChannel(), 4);
        QFile file(iniPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("[Preferences]") && text.contains("CommChannel=5"), text.constData());
    }

private:
    QString iniPath;
};

QTEST_GUILESS_MAIN(QtSettingsStoreTest)
#include "QtSettingsStoreTest.moc"
