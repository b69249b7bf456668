#include "simulator/SerialDeviceLine.h"

SerialDeviceLine::SerialDeviceLine(const QString &device)
{
    port.setPortName(device);
    QObject::connect(&port, &QSerialPort::errorOccurred, &port,
                     [this](QSerialPort::SerialPortError) { closeIfDead(); });
}

bool SerialDeviceLine::open()
{
    port.setBaudRate(QSerialPort::Baud57600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.clearError();
    return true;
}

QByteArray SerialDeviceLine::read()
{
    if (closeIfDead())
        return QByteArray();
    return port.readAll();
}

void SerialDeviceLine::write(const QByteArray &bytes)
{
    if (closeIfDead())
        return;
    port.write(bytes);
    port.flush();
}

void SerialDeviceLine::close()
{
    if (port.isOpen())
        port.close();
}

bool SerialDeviceLine::closeIfDead()
{
    if (!port.isOpen())
        return true;
    switch (port.error()) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError: port.close(); return true;
    default: return false;
    }
}
