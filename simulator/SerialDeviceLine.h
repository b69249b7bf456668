#pragma once

#include "simulator/SimulatorLine.h"

#include <QSerialPort>
#include <QString>

// The simulated tester on a real serial device, for a program on another
// machine at the end of a null-modem cable. 57600 8N1, no handshaking. A
// device that goes away is closed at its first error.
class SerialDeviceLine : public SimulatorLine
{
public:
    explicit SerialDeviceLine(const QString &device);

    bool open();
    QString errorText() const { return port.errorString(); }

    bool isOpen() const override { return port.isOpen(); }
    QByteArray read() override;
    void write(const QByteArray &bytes) override;
    void close() override;

private:
    bool closeIfDead();

    QSerialPort port;
};
