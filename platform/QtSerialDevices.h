#pragma once

#include "engine/link/SerialDevices.h"

#include <QMap>
#include <functional>

class PortMap;
class SettingsStore;

// The serial devices of this machine from QSerialPortInfo, each with the
// Comm number the port map gives it, and the pin kept in the settings
// store (section "Ports", value "Tester").
class QtSerialDevices : public SerialDevices
{
public:
    QtSerialDevices(const PortMap &ports, SettingsStore &settings);

    QList<SerialDevice> devices() const override;
    QString pinnedDevice() const override;
    void pinDevice(const QString &device) override;

    // What the system lists, without the console; tests replace it.
    std::function<QList<SerialDevice>()> listSystem = &QtSerialDevices::listSystemDevices;
    static QList<SerialDevice> listSystemDevices();
    static QString usbIdText(quint16 vendor, quint16 product);   // "0403:6001"

    // The system's devices with their numbers and the pin marked, followed
    // by the numbered and pinned devices the system does not list.
    static QList<SerialDevice> mergeDevices(QList<SerialDevice> system, const QMap<int, QString> &numbering,
                                            const QString &pinned);

private:
    const PortMap &ports;
    SettingsStore &settings;
};
