#pragma once

#include "engine/link/SerialPort.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <functional>

// The tester's line on a real serial device: 57600 baud, 8 data bits, no
// parity, one stop bit, no handshaking. Only polled, never read on events of
// its own. A device that goes away (a pulled USB adapter, a closed
// pseudo-terminal) makes QSerialPort report read errors without end; the
// port closes itself on the first one, so isOpen() turns false and the
// search goes on instead of the process spinning.
class QtSerialPort : public QObject, public SerialPort
{
public:
    // deviceForPort names the device of port N, or empty when there is none.
    explicit QtSerialPort(std::function<QString(int)> deviceForPort, QObject *parent = nullptr);
    ~QtSerialPort() override;

    void selectPort(int portNumber) override;
    bool open() override;
    void close() override;
    bool isOpen() const override;
    int bytesWaiting() override;
    QByteArray readAll() override;
    void write(const QByteArray &bytes) override;
    void discardInput() override;
    void discardOutput() override;

    QString deviceName() const override { return device; }   // of the port last opened or tried
    QString openProblem() const override { return problem; }
    bool portExists(int portNumber) const override { return !portExistsFor || portExistsFor(portNumber); }

    // Which port numbers the search tries; unset, every one.
    std::function<bool(int)> portExistsFor;

    // What a failed open means for the operator. mayReadWrite: the user has
    // read and write access to the device file; group: the file's group.
    static QString openProblemText(QSerialPort::SerialPortError error, bool mayReadWrite, const QString &group,
                                   const QString &systemText);

    static constexpr qint64 ReadBufferSize = 1024;

private:
    void onError(QSerialPort::SerialPortError error);
    bool closeIfDead();

    std::function<QString(int)> deviceForPort;
    QSerialPort port;
    int portNumber = 0;
    QString device;
    QString problem;
};
