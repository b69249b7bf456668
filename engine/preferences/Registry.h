#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class SettingsStore;

// The port and the two recent-file lists kept between runs, in the settings
// store under "Preferences", "RecentFiles" and "ConfigFiles", and where a
// tester's own window was last, under "Window".
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

    // The window's place as the platform saves it; empty when none was saved.
    QByteArray LoadWindowPlace() const;
    void SaveWindowPlace(const QByteArray &place);

    // Position of path among the captions (exact text, case matters), or 3.
    static int FindRecent(const QStringList &captions, const QString &path);

    // Called after a list changed, so the menus can be filled again.
    std::function<void()> recentFilesChanged;
    std::function<void()> recentConfigFilesChanged;

private:
    SettingsStore &store;
};
