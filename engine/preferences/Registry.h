#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class SettingsStore;

// The port, the program's preferences and the two recent-file lists kept
// between runs, in the settings store under "Preferences", "RecentFiles"
// and "ConfigFiles".
class Registry
{
public:
    explicit Registry(SettingsStore &store);

    int LoadCommChannel() const;                 // saved port minus one; start-up clamps it
    void SaveCommChannel(int comChan);

    QStringList LoadRecentFiles() const;         // at most four, most recent first, no gaps
    void AddRecentFile(const QString &path);
    QStringList LoadRecentConfigFiles() const;
    void AddRecentConfigFile(const QString &path);

    // The program's preferences: the run archive (an SQLite file or a
    // postgresql:// URL; empty for the default file) and unattended logging,
    // every run to its own data file in a folder.
    QString LoadArchive() const;
    void SaveArchive(const QString &archive);
    bool LoadRunFiles() const;
    QString LoadRunFilesFolder() const;
    void SaveRunFiles(bool on, const QString &folder);
    // The folder for the run files, or empty while that logging is off.
    QString RunFilesFolder() const { return LoadRunFiles() ? LoadRunFilesFolder() : QString(); }

    // Position of path among the captions (exact text, case matters), or 3.
    static int FindRecent(const QStringList &captions, const QString &path);

    // Called after a list changed, so the menus can be filled again.
    std::function<void()> recentFilesChanged;
    std::function<void()> recentConfigFilesChanged;

private:
    SettingsStore &store;
};
