#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class SettingsStore;

// The port, the program's preferences and the two recent-file lists kept
// between runs, in the settings store under "Preferences", "RecentFiles"
// and "ConfigFiles", and where a tester's own window was last, under
// "Window".
class Registry : public QObject
{
    Q_OBJECT

public:
    explicit Registry(SettingsStore &store);

    int savedPort() const;   // 0 when none was saved; start-up clamps it
    void saveCommChannel(int comChan);

    QStringList readRecentFiles() const;   // at most four, most recent first, no gaps
    void addRecentFile(const QString &path);
    QStringList readRecentConfigFiles() const;
    void addRecentConfigFile(const QString &path);

    // The window's place as the platform saves it; empty when none was saved.
    QByteArray loadWindowPlace() const;
    void storeWindowPlace(const QByteArray &place);

    // The program's preferences: the run archive (an SQLite file or a
    // postgresql:// URL; empty for the default file) and unattended logging,
    // every run to its own data file in a folder.
    QString loadArchive() const;
    void saveArchive(const QString &archive);
    bool loadRunFiles() const;
    QString loadRunFilesFolder() const;
    void saveRunFiles(bool on, const QString &folder);
    // The folder for the run files, or empty while that logging is off.
    QString runFilesFolder() const { return loadRunFiles() ? loadRunFilesFolder() : QString(); }
    // "Drive every tester found": the program goes on searching after it
    // found a tester, and drives each tester found from the Station window.
    bool loadDriveEveryTester() const;
    void saveDriveEveryTester(bool on);
    // Notifications: the kinds of run event switched off (their names, as
    // the webhook sends them; every kind is on by default), the webhook's
    // URL, and the web view's ADDRESS:PORT (empty: off) with its token.
    QStringList loadEventsOff() const;
    void saveEventsOff(const QStringList &names);
    QString loadWebhook() const;
    void saveWebhook(const QString &url);
    QString loadWebView() const;
    QString loadWebToken() const;
    void saveWebView(const QString &address, const QString &token);

    // Position of path among the captions (exact text, case matters), or 3.
    static int findRecent(const QStringList &captions, const QString &path);

Q_SIGNALS:
    // A list changed, so the menus can be filled again.
    void recentFilesChanged();
    void recentConfigFilesChanged();

private:
    SettingsStore &store;
};
