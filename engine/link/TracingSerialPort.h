#pragma once

#include "engine/link/SerialPort.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <functional>

// Wraps the port the engine talks through and appends every byte sent and
// received to a text file, one line per write or read:
//
//   2024-05-02 14:03:07.125 > AE\r
//   2024-05-02 14:03:07.180 < *12;0;0;...\r
//
// ">" is to the tester, "<" from it. Printable characters are written as
// they are; CR, LF, ESC and every other byte outside the printable range as
// \r, \n, \e and \xHH, and a backslash as \\. Opening and closing the port
// are noted as "# open 3 ok", "# close". When several testers' ports trace
// into one file, each line names its port after the time: "... [3] > AE\r".
class TracingSerialPort : public SerialPort
{
public:
    TracingSerialPort(SerialPort &inner, const QString &fileName);

    bool traceOpen() const { return file.isOpen(); }   // false when the file could not be opened

    void selectPort(int portNumber) override;
    bool open() override;
    void close() override;
    bool isOpen() const override { return inner.isOpen(); }
    int bytesWaiting() override { return inner.bytesWaiting(); }
    QByteArray readAll() override;
    void write(const QByteArray &bytes) override;
    void discardInput() override { inner.discardInput(); }
    void discardOutput() override { inner.discardOutput(); }
    QString deviceName() const override { return inner.deviceName(); }
    QString openProblem() const override { return inner.openProblem(); }
    bool portExists(int portNumber) const override { return inner.portExists(portNumber); }

    static QByteArray escaped(const QByteArray &bytes);

    std::function<QDateTime()> clock = &QDateTime::currentDateTime;   // tests fix the time
    bool namePort = false;

private:
    void note(const QByteArray &text);

    SerialPort &inner;
    QFile file;
    int portNumber = 0;
};
