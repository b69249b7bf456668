#include "engine/preferences/Registry.h"

#include "engine/preferences/SettingsStore.h"
#include "engine/state/NumberReader.h"

#include <functional>
#include <limits>

namespace {

const QString PreferencesSection = QStringLiteral("Preferences");
const QString CommChannelName = QStringLiteral("CommChannel");
const QString ArchiveName = QStringLiteral("Archive");
const QString RunFilesName = QStringLiteral("RunFiles");
const QString RunFilesFolderName = QStringLiteral("RunFilesFolder");
const QString DriveEveryTesterName = QStringLiteral("DriveEveryTester");
const QString NotifySection = QStringLiteral("Notify");
const QString EventsOffName = QStringLiteral("EventsOff");
const QString WebhookName = QStringLiteral("Webhook");
const QString WebViewName = QStringLiteral("WebView");
const QString WebTokenName = QStringLiteral("WebToken");
const QString DataSection = QStringLiteral("RecentFiles");
const QString DataPrefix = QStringLiteral("RecentFile");
const QString ConfigSection = QStringLiteral("ConfigFiles");
const QString ConfigPrefix = QStringLiteral("RecentCnfgFile");
const QString WindowSection = QStringLiteral("Window");
const QString WindowPlaceName = QStringLiteral("Place");
constexpr int RecentCount = 4;

QString entryName(const QString &prefix, int index)
{
    return prefix + QString::number(index);
}

// Entries are only ever created at the top and shifted down, so the list
// ends at the first empty one.
QStringList loadRecent(const SettingsStore &store, const QString &section, const QString &prefix)
{
    QStringList paths;
    for (int i = 1; i <= RecentCount; ++i) {
        const QString path = store.read(section, entryName(prefix, i));
        if (path.isEmpty())
            break;
        paths.append(path);
    }
    return paths;
}

// The path moves to the top; the entries above its old place move down one,
// the ones below keep their places, and a new path pushes the fourth out.
void addRecent(SettingsStore &store, const QString &section, const QString &prefix, const QString &path,
               const std::function<void()> &changed)
{
    const int above = Registry::findRecent(loadRecent(store, section, prefix), path);
    for (int j = above; j >= 1; --j) {
        const QString moved = store.read(section, entryName(prefix, j));
        if (!moved.isEmpty())
            store.write(section, entryName(prefix, j + 1), moved);
    }
    store.write(section, entryName(prefix, 1), path);
    if (changed)
        changed();
}

}   // namespace

Registry::Registry(SettingsStore &store) : store(store) {}

int Registry::savedPort() const
{
    const QString text = store.read(PreferencesSection, CommChannelName);
    if (text.isEmpty())
        return 0;
    const double port = roundHalfEven(parseNumber(text));
    // A damaged value that does not fit a port number counts as nothing stored.
    if (!(port >= std::numeric_limits<int16_t>::min() && port <= std::numeric_limits<int16_t>::max()))
        return 0;
    return int(port);
}

void Registry::saveCommChannel(int comChan)
{
    store.write(PreferencesSection, CommChannelName, QString::number(comChan));
}

QString Registry::loadArchive() const
{
    return store.read(PreferencesSection, ArchiveName);
}

void Registry::saveArchive(const QString &archive)
{
    store.write(PreferencesSection, ArchiveName, archive.trimmed());
}

bool Registry::loadRunFiles() const
{
    return store.read(PreferencesSection, RunFilesName) == QLatin1String("1");
}

QString Registry::loadRunFilesFolder() const
{
    return store.read(PreferencesSection, RunFilesFolderName);
}

void Registry::saveRunFiles(bool on, const QString &folder)
{
    store.write(PreferencesSection, RunFilesName, on ? QStringLiteral("1") : QStringLiteral("0"));
    store.write(PreferencesSection, RunFilesFolderName, folder);
}

bool Registry::loadDriveEveryTester() const
{
    return store.read(PreferencesSection, DriveEveryTesterName) == QLatin1String("1");
}

void Registry::saveDriveEveryTester(bool on)
{
    store.write(PreferencesSection, DriveEveryTesterName, on ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList Registry::readRecentFiles() const
{
    return loadRecent(store, DataSection, DataPrefix);
}

void Registry::addRecentFile(const QString &path)
{
    addRecent(store, DataSection, DataPrefix, path, [this] { Q_EMIT recentFilesChanged(); });
}

QStringList Registry::readRecentConfigFiles() const
{
    return loadRecent(store, ConfigSection, ConfigPrefix);
}

void Registry::addRecentConfigFile(const QString &path)
{
    addRecent(store, ConfigSection, ConfigPrefix, path, [this] { Q_EMIT recentConfigFilesChanged(); });
}

QByteArray Registry::loadWindowPlace() const
{
    return QByteArray::fromBase64(store.read(WindowSection, WindowPlaceName).toLatin1());
}

void Registry::storeWindowPlace(const QByteArray &place)
{
    store.write(WindowSection, WindowPlaceName, QString::fromLatin1(place.toBase64()));
}

int Registry::findRecent(const QStringList &captions, const QString &path)
{
    const int shown = qMin(int(captions.size()), RecentCount);
    for (int i = 0; i < shown; ++i)
        if (captions.at(i) == path)
            return i;
    return RecentCount - 1;
}

QStringList Registry::loadEventsOff() const
{
    return store.read(NotifySection, EventsOffName).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void Registry::saveEventsOff(const QStringList &names)
{
    store.write(NotifySection, EventsOffName, names.join(QLatin1Char(' ')));
}

QString Registry::loadWebhook() const
{
    return store.read(NotifySection, WebhookName);
}

void Registry::saveWebhook(const QString &url)
{
    store.write(NotifySection, WebhookName, url.trimmed());
}

QString Registry::loadWebView() const
{
    return store.read(NotifySection, WebViewName);
}

QString Registry::loadWebToken() const
{
    return store.read(NotifySection, WebTokenName);
}

void Registry::saveWebView(const QString &address, const QString &token)
{
    store.write(NotifySection, WebViewName, address.trimmed());
    store.write(NotifySection, WebTokenName, token.trimmed());
}
