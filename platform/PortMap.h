#pragma once

#include <QElapsedTimer>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class SettingsStore;

// Which device is port N (1..16) on this machine. On Windows port N is
// "COMN". Elsewhere a port given on the command line wins, and when any port
// is given there only those ports exist; otherwise port N is the device named
// in the settings store (section "Ports", value "Comm" + N), else the N-th
// serial device of the system in name order. A port without a device has an
// empty name and fails to open.
//
// The tester may be pinned to one device (section "Ports", value "Tester"):
// then that device is the only port, under the number it has in the list
// above (1 when it has none), and the search tries nothing else. A pin to a
// device that the command line's ports do not hold is ignored for that run.
class PortMap
{
public:
    PortMap(const QMap<int, QString> &givenPorts, const SettingsStore *settings);

    QString deviceFor(int port) const;
    // Whether the search tries port N: with ports given or a device pinned,
    // only the ports that have a device; otherwise every number 1..16, as a
    // device may be plugged in under any of them.
    bool portExists(int port) const;
    // The ports 1..16 that have a device, as if nothing were pinned.
    QMap<int, QString> numbering() const;
    // The device the tester is pinned to, empty when the search is automatic.
    QString pinnedDevice() const;

    // Whether two names lead to the same device (a link and its target).
    static bool sameDevice(const QString &a, const QString &b);

    // Replaces the ports given for this run (the simulated tester maps its
    // pseudo-terminal here, and maps it again when it comes back).
    void setGivenPorts(const QMap<int, QString> &ports) { given = ports; }

    // The system's serial devices; tests replace the lister.
    std::function<QStringList()> listDevices = &PortMap::listSystemDevices;
    bool windowsNames = WindowsHost;

    // The rule itself, without the caching of the device list.
    static QString deviceNameForPort(int port, const QMap<int, QString> &givenPorts, const SettingsStore *settings,
                                     const QStringList &systemDevices, bool windowsNames);

    // The serial devices the system lists, in name order with numbers
    // compared as numbers (ttyUSB2 before ttyUSB10), without the console.
    static QStringList listSystemDevices();
    static QStringList sortedByName(QStringList devices);
    // The kernel console's devices ("ttyS0" on a server): never a port.
    static QSet<QString> consoleDevices();

#ifdef Q_OS_WIN
    static constexpr bool WindowsHost = true;
#else
    static constexpr bool WindowsHost = false;
#endif

private:
    QStringList cachedDevices() const;
    QString numberedDevice(int port) const;
    int pinnedPort(const QString &pinned) const;

    QMap<int, QString> given;
    const SettingsStore *settings;
    mutable QStringList devices;
    mutable QElapsedTimer devicesAge;
    mutable QString pinShown;   // the pin whose number was last worked out
    mutable int pinShownPort = 0;
    mutable QElapsedTimer pinAge;
};
