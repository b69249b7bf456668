#include "platform/QtSerialDevices.h"

#include "engine/preferences/SettingsStore.h"
#include "platform/PortMap.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace {

const QString PortsSection = QStringLiteral("Ports");
const QString PinName = QStringLiteral("Tester");

// The name under /dev/serial/by-id that leads to device: it stays the same
// when adapters are plugged in another order, where ttyUSB numbers change.
QString stableNameOf(const QString &device)
{
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (PortMap::sameDevice(link.filePath(), device))
            return link.filePath();
    return QString();
}

}   // namespace

QtSerialDevices::QtSerialDevices(const PortMap &portMap, SettingsStore &store) : ports(portMap), settings(store) {}

QList<SerialDevice> QtSerialDevices::devices() const
{
    return mergeDevices(listSystem ? listSystem() : QList<SerialDevice>(), ports.numbering(), pinnedDevice());
}

QString QtSerialDevices::pinnedDevice() const
{
    return settings.read(PortsSection, PinName).trimmed();
}

void QtSerialDevices::pinDevice(const QString &device)
{
    settings.write(PortsSection, PinName, device);
}

QList<SerialDevice> QtSerialDevices::listSystemDevices()
{
    const QSet<QString> console = PortMap::consoleDevices();
    QList<SerialDevice> found;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        if (console.contains(info.portName()))
            continue;
        SerialDevice d;
        d.device = PortMap::WindowsHost ? info.portName() : info.systemLocation();
        d.stableName = PortMap::WindowsHost ? QString() : stableNameOf(d.device);
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            d.usbId = usbIdText(info.vendorIdentifier(), info.productIdentifier());
        found << d;
    }
    const QStringList order = PortMap::sortedByName([&found] {
        QStringList names;
        for (const SerialDevice &d : found)
            names << d.device;
        return names;
    }());
    std::sort(found.begin(), found.end(), [&order](const SerialDevice &a, const SerialDevice &b) {
        return order.indexOf(a.device) < order.indexOf(b.device);
    });
    return found;
}

QString QtSerialDevices::usbIdText(quint16 vendor, quint16 product)
{
    return QStringLiteral("%1:%2").arg(vendor, 4, 16, QLatin1Char('0')).arg(product, 4, 16, QLatin1Char('0'));
}

QList<SerialDevice> QtSerialDevices::mergeDevices(QList<SerialDevice> system, const QMap<int, QString> &numbering,
                                                  const QString &pinned)
{
    const auto isPinned = [&pinned](const QString &name) {
        return !pinned.isEmpty() && !name.isEmpty() && PortMap::sameDevice(name, pinned);
    };
    QMap<int, QString> unmatched = numbering;
    bool pinShown = pinned.isEmpty();
    for (SerialDevice &d : system) {
        for (auto it = unmatched.begin(); it != unmatched.end(); ++it) {
            if (PortMap::sameDevice(it.value(), d.device)) {
                d.comm = it.key();
                unmatched.erase(it);
                break;
            }
        }
        d.pinned = isPinned(d.device) || isPinned(d.stableName);
        pinShown = pinShown || d.pinned;
    }
    // The port map makes a pinned device without a number port 1.
    for (SerialDevice &d : system)
        if (d.pinned && d.comm == 0)
            d.comm = 1;
    for (auto it = unmatched.cbegin(); it != unmatched.cend(); ++it) {
        SerialDevice d;
        d.device = it.value();
        d.comm = it.key();
        d.listed = false;
        d.pinned = isPinned(d.device);
        pinShown = pinShown || d.pinned;
        system << d;
    }
    if (!pinShown) {
        SerialDevice d;
        d.device = pinned;
        d.comm = 1;
        d.listed = false;
        d.pinned = true;
        system << d;
    }
    return system;
}
