#include "FakeSerialPort.h"

void FakeSerialPort::selectPort(int portNumber)
{
    selectedPort = portNumber;
}

bool FakeSerialPort::open()
{
    openAttempts.append(selectedPort);
    if (refuseAll || refused.contains(selectedPort))
        return false;
    opened = true;
    return true;
}

void FakeSerialPort::close()
{
    opened = false;
}

QByteArray FakeSerialPort::readAll()
{
    QByteArray bytes;
    bytes.swap(input);
    return bytes;
}

void FakeSerialPort::write(const QByteArray &bytes)
{
    written += bytes;
    if (onWrite)
        onWrite(bytes);
}

QStringList FakeSerialPort::frames() const
{
    QStringList result;
    QByteArray command;
    for (char c : written) {
        if (c == 27) {
            result.append(QStringLiteral("<ESC>"));
        } else if (c == '\r') {
            result.append(QString::fromLatin1(command));
            command.clear();
        } else {
            command += c;
        }
    }
    return result;
}

QStringList FakeSerialPort::takeFrames()
{
    const QStringList all = frames();
    const QStringList fresh = all.mid(framesTaken);
    framesTaken = int(all.size());
    return fresh;
}
