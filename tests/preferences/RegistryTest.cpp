#include "engine/preferences/Registry.h"
#include "platform/QtSettingsStore.h"

#include "support/MemorySettingsStore.h"
#include "support/TestKit.h"
#include "support/Wine.h"

class RegistryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
#ifdef Q_OS_WIN
        // Windows keeps the settings in the registry, under the user's key.
        // Only a private Wine prefix may be emptied; never a real user's.
        if (!underWine())
            QSKIP("would overwrite this user's settings in the registry");
        place = QStringLiteral("\\HKEY_CURRENT_USER\\Software\\RuqLifeCycle\\RuqLifeCycle");
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "RuqLifeCycle", "RuqLifeCycle").clear();
#else
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY2(!config.isEmpty(), "the test must run with its own configuration folder");
        place = QDir(config).filePath("RuqLifeCycle/RuqLifeCycle.ini");
        QFile::remove(place);
#endif
    }

    // The registry's values survive a restart, where the platform keeps a
    // user's settings: the ini file in the user's configuration folder, the
    // registry on Windows.
    void registrySurvivesRestart()
    {
        {
            QtSettingsStore store;
            Registry registry(store);
            registry.addRecentFile("/data/first.txt");
            registry.addRecentFile("/data/second.txt");
            registry.saveCommChannel(5);
            QCOMPARE(store.fileName(), place);
        }
        QtSettingsStore store;
        Registry registry(store);
        QCOMPARE(registry.readRecentFiles(), (QStringList{"/data/second.txt", "/data/first.txt"}));
        QCOMPARE(registry.savedPort(), 5);
#ifdef Q_OS_WIN
        const QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "RuqLifeCycle", "RuqLifeCycle");
        QCOMPARE(stored.value("Preferences/CommChannel").toString(), QStringLiteral("5"));
#else
        QFile file(place);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("[Preferences]") && text.contains("CommChannel=5"), text.constData());
#endif
    }

    void recentLists_data()
    {
        addColumns<QStringList, QStringList>("opened", "expected");
        const QString a = "/d/A.txt", b = "/d/B.txt", c = "/d/C.txt", d = "/d/D.txt", e = "/d/E.txt";
        addRow("reopen the third", QStringList{a, b, c, d, e, c}, QStringList{c, e, d, b});
        addRow("case makes two entries", QStringList{"/d/a.txt", "/d/A.txt"}, QStringList{"/d/A.txt", "/d/a.txt"});
    }
    // Both lists follow the same rules, each under its own names, and each
    // tells its own menu once per change.
    void recentLists()
    {
        QFETCH(QStringList, opened);
        QFETCH(QStringList, expected);
        MemorySettingsStore store;
        Registry registry(store);
        int dataChanges = 0, configChanges = 0;
        QObject::connect(&registry, &Registry::recentFilesChanged, [&] { ++dataChanges; });
        QObject::connect(&registry, &Registry::recentConfigFilesChanged, [&] { ++configChanges; });

        for (const QString &path : opened)
            registry.addRecentFile(path);
        QCOMPARE(registry.readRecentFiles(), expected);
        QCOMPARE(configChanges, 0);
        for (const QString &path : opened)
            registry.addRecentConfigFile(path + ".cfg");
        QCOMPARE(dataChanges, int(opened.size()));
        QCOMPARE(configChanges, int(opened.size()));
        QCOMPARE(registry.readRecentFiles(), expected);
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(store.read("RecentFiles", "RecentFile" + QString::number(i + 1)), expected.at(i));
            QCOMPARE(store.read("ConfigFiles", "RecentCnfgFile" + QString::number(i + 1)), expected.at(i) + ".cfg");
        }
    }

    void loadsSavedPort_data()
    {
        addColumns<QString, int>("text", "expected");   // text none: nothing stored
        addRow("missing", QString(), 0);
        addRow("too large for a port", QString("99999999"), 0);
        addRow("a port", QString("12"), 12);
    }
    void loadsSavedPort()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        MemorySettingsStore store;
        if (!text.isNull())
            store.write("Preferences", "CommChannel", text);
        QCOMPARE(Registry(store).savedPort(), expected);
    }

private:
    QString place;   // where QtSettingsStore keeps the values
};

QTEST_GUILESS_MAIN(RegistryTest)
#include "RegistryTest.moc"
