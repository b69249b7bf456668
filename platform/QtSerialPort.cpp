#include "platform/QtSerialPort.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

QtSerialPort::QtSerialPort(std::function<QString(int)> deviceForPort, QObject *parent)
    : QObject(parent), deviceForPort(std::move(deviceForPort))
{
    QObject::connect(&port, &QSerialPort::errorOccurred, this,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

QtSerialPort::~QtSerialPort()
{
    port.disconnect(this);
    if (port.isOpen())
        port.close();
}

void QtSerialPort::selectPort(int number)
{
    portNumber = number;
}

bool QtSerialPort::open()
{
    if (port.isOpen())
        return true;
    problem.clear();
    device = deviceForPort ? deviceForPort(portNumber) : QString();
    if (device.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    // The search tries a port every tick. A device that is not there is
    // told by one look at the file system, where QSerialPort would first
    // write a lock file and sync it to disk.
    if (!QFileInfo::exists(device)) {
        problem = openProblemText(QSerialPort::DeviceNotFoundError, true, QString(), QString());
        return false;
    }
#endif
    port.setPortName(device);
    port.setBaudRate(QSerialPort::Baud57600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.setReadBufferSize(ReadBufferSize);
    if (!port.open(QIODevice::ReadWrite)) {
        bool mayReadWrite = true;
#ifdef Q_OS_UNIX
        mayReadWrite = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
#endif
        problem = openProblemText(port.error(), mayReadWrite, QFileInfo(device).group(), port.errorString());
        port.clearError();
        return false;
    }
    port.clearError();
    return true;
}

QString QtSerialPort::openProblemText(QSerialPort::SerialPortError error, bool mayReadWrite, const QString &group,
                                      const QString &systemText)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return QStringLiteral("not present");
    case QSerialPort::PermissionError:
        // Refused although the file may be opened: another program holds
        // the device (its lock, or the device opened exclusively).
        if (mayReadWrite)
            return QStringLiteral("device busy (used by another program)");
        return QStringLiteral("permission denied (add the user to the %1 group)")
            .arg(group.isEmpty() || group == QLatin1String("root") ? QStringLiteral("dialout") : group);
    case QSerialPort::OpenError: return QStringLiteral("device busy (already open here)");
    default: return QStringLiteral("cannot be opened (%1)").arg(systemText);
    }
}

void QtSerialPort::close()
{
    if (port.isOpen())
        port.close();
    port.clearError();
}

bool QtSerialPort::isOpen() const
{
    const_cast<QtSerialPort *>(this)->closeIfDead();
    return port.isOpen();
}

int QtSerialPort::bytesWaiting()
{
    if (closeIfDead())
        return 0;
    return int(port.bytesAvailable());
}

QByteArray QtSerialPort::readAll()
{
    if (closeIfDead())
        return QByteArray();
    return port.readAll();
}

void QtSerialPort::write(const QByteArray &bytes)
{
    if (closeIfDead())
        return;
    port.write(bytes);
    // Out at once rather than on the next pass of the event loop: the reply
    // timeout counts from the write.
    port.flush();
    closeIfDead();
}

void QtSerialPort::discardInput()
{
    if (!closeIfDead())
        port.clear(QSerialPort::Input);
}

void QtSerialPort::discardOutput()
{
    if (!closeIfDead())
        port.clear(QSerialPort::Output);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        // Closing here stops the storm of errors at its first signal.
        if (port.isOpen())
            port.close();
        break;
    default: break;
    }
}

// The signal covers errors raised inside the event loop; this covers the
// ones raised by our own calls, whatever the order of events.
bool QtSerialPort::closeIfDead()
{
    if (!port.isOpen())
        return true;
    const QSerialPort::SerialPortError error = port.error();
    if (error == QSerialPort::ReadError || error == QSerialPort::WriteError || error == QSerialPort::ResourceError) {
        port.close();
        return true;
    }
    return false;
}
