#include "platform/PortMap.h"

#include "engine/preferences/SettingsStore.h"
#include "engine/state/Protocol.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>
#include <algorithm>

namespace {

// The search asks for one port per poll tick; listing the system's devices
// that often is wasteful, and a second is quick enough to see a plugged
// adapter.
constexpr qint64 DeviceListLifetimeMs = 1000;

// Compares names with runs of digits taken as numbers.
bool naturalLess(const QString &a, const QString &b)
{
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            int i2 = i, j2 = j;
            while (i2 < a.size() && a.at(i2).isDigit())
                ++i2;
            while (j2 < b.size() && b.at(j2).isDigit())
                ++j2;
            QString da = a.mid(i, i2 - i), db = b.mid(j, j2 - j);
            while (da.size() > 1 && da.startsWith(QLatin1Char('0')))
                da.remove(0, 1);
            while (db.size() > 1 && db.startsWith(QLatin1Char('0')))
                db.remove(0, 1);
            if (da.size() != db.size())
                return da.size() < db.size();
            if (da != db)
                return da < db;
            i = i2;
            j = j2;
        } else {
            if (a.at(i) != b.at(j))
                return a.at(i) < b.at(j);
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

}   // namespace

// The kernel console may be a serial port (a server's ttyS0): the search
// writes wake-up bytes to every port it tries, so the console is never one.
QSet<QString> PortMap::consoleDevices()
{
    QSet<QString> names;
    QFile active(QStringLiteral("/sys/class/tty/console/active"));
    if (active.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> words = active.readAll().simplified().split(' ');
        for (const QByteArray &word : words)
            if (!word.isEmpty())
                names.insert(QString::fromLatin1(word));
    }
    return names;
}

PortMap::PortMap(const QMap<int, QString> &givenPorts, const SettingsStore *settings)
    : given(givenPorts), settings(settings)
{
}

QString PortMap::deviceFor(int port) const
{
    if (port < 1 || port > PortCount)
        return QString();
    const QString pinned = pinnedDevice();
    if (!pinned.isEmpty())
        return port == pinnedPort(pinned) ? pinned : QString();
    return numberedDevice(port);
}

bool PortMap::portExists(int port) const
{
    if (port < 1 || port > PortCount)
        return false;
    if (given.isEmpty() && pinnedDevice().isEmpty())
        return true;
    return !deviceFor(port).isEmpty();
}

QString PortMap::pinnedDevice() const
{
    const QString pinned =
        settings ? settings->read(QStringLiteral("Ports"), QStringLiteral("Tester")).trimmed() : QString();
    if (pinned.isEmpty() || given.isEmpty())
        return pinned;
    for (const QString &device : given)
        if (sameDevice(device, pinned))
            return pinned;
    return QString();
}

int PortMap::pinnedPort(const QString &pinned) const
{
    // The search asks every tick; the number changes only when devices come
    // and go, so it is worked out as often as the device list is.
    if (pinned == pinShown && pinAge.isValid() && pinAge.elapsed() <= DeviceListLifetimeMs)
        return pinShownPort;
    pinShown = pinned;
    pinShownPort = 1;
    const QMap<int, QString> ports = numbering();
    for (auto it = ports.cbegin(); it != ports.cend(); ++it) {
        if (sameDevice(it.value(), pinned)) {
            pinShownPort = it.key();
            break;
        }
    }
    pinAge.start();
    return pinShownPort;
}

QMap<int, QString> PortMap::numbering() const
{
    QMap<int, QString> ports;
    for (int port = 1; port <= PortCount; ++port) {
        const QString device = numberedDevice(port);
        if (!device.isEmpty())
            ports.insert(port, device);
    }
    return ports;
}

bool PortMap::sameDevice(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    if (WindowsHost)
        return a.compare(b, Qt::CaseInsensitive) == 0;
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

QString PortMap::numberedDevice(int port) const
{
    if (windowsNames || !given.isEmpty())
        return deviceNameForPort(port, given, settings, QStringList(), windowsNames);
    if (settings) {
        const QString named = deviceNameForPort(port, given, settings, QStringList(), false);
        if (!named.isEmpty())
            return named;
    }
    return deviceNameForPort(port, given, nullptr, cachedDevices(), false);
}

QString PortMap::deviceNameForPort(int port, const QMap<int, QString> &givenPorts, const SettingsStore *settings,
                                   const QStringList &systemDevices, bool windowsNames)
{
    if (port < 1 || port > PortCount)
        return QString();
    if (windowsNames)
        return QStringLiteral("COM%1").arg(port);
    if (!givenPorts.isEmpty())
        return givenPorts.value(port);
    if (settings) {
        const QString named = settings->read(QStringLiteral("Ports"), QStringLiteral("Comm%1").arg(port)).trimmed();
        if (!named.isEmpty())
            return named;
    }
    return port <= systemDevices.size() ? systemDevices.at(port - 1) : QString();
}

QStringList PortMap::sortedByName(QStringList devices)
{
    std::sort(devices.begin(), devices.end(), naturalLess);
    return devices;
}

QStringList PortMap::listSystemDevices()
{
    const QSet<QString> console = consoleDevices();
    QStringList found;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        if (console.contains(info.portName()))
            continue;
        found << info.systemLocation();
    }
    return sortedByName(found);
}

QStringList PortMap::cachedDevices() const
{
    if (!devicesAge.isValid() || devicesAge.elapsed() > DeviceListLifetimeMs) {
        devices = listDevices ? listDevices() : QStringList();
        devicesAge.start();
    }
    return devices;
}
