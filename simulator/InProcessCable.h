#pragma once

#include "engine/link/SerialPort.h"
#include "simulator/SimulatorLine.h"

#include <QByteArray>
#include <QString>
#include <functional>

// A cable inside the process, for the built-in simulated tester where the
// system offers no pseudo-terminal (Windows): the tester holds this end, a
// SimulatorLine, and the program opens the other end through an
// InProcessSerialPort. Each direction is a byte queue bounded like a
// device's buffer (the oldest bytes go first). Only one program port has the
// cable open at a time, as a serial device is opened by one program. Closing
// the tester's end is a pulled cable: the program's port turns closed and
// does not open again until plugIn().
class InProcessCable : public SimulatorLine
{
public:
    explicit InProcessCable(const QString &name) : cableName(name) {}
    InProcessCable(const InProcessCable &) = delete;
    InProcessCable &operator=(const InProcessCable &) = delete;

    QString name() const { return cableName; }

    // The tester's end.
    bool isOpen() const override { return plugged; }
    QByteArray read() override;                     // what the program wrote
    void write(const QByteArray &bytes) override;   // for the program to read
    void close() override;                          // pulls the cable
    void plugIn();                                  // back in, both queues empty

    static constexpr int MaxQueued = 8192;

private:
    friend class InProcessSerialPort;
    static void append(QByteArray &queue, const QByteArray &bytes);

    QString cableName;
    bool plugged = true;
    bool taken = false;   // a program port has it open
    int pulls = 0;        // how often it was pulled: a port opened before is dead
    QByteArray toProgram;
    QByteArray toTester;
};

// The program's end: port N is the cable cableForPort(N) gives, or no device
// when it gives none. Polled like any other port.
class InProcessSerialPort : public SerialPort
{
public:
    explicit InProcessSerialPort(std::function<InProcessCable *(int)> cableForPort);
    ~InProcessSerialPort() override;
    InProcessSerialPort(const InProcessSerialPort &) = delete;
    InProcessSerialPort &operator=(const InProcessSerialPort &) = delete;

    void selectPort(int portNumber) override { number = portNumber; }
    bool open() override;
    void close() override;
    bool isOpen() const override;
    int bytesWaiting() override;
    QByteArray readAll() override;
    void write(const QByteArray &bytes) override;
    void discardInput() override;
    void discardOutput() override;
    QString deviceName() const override { return device; }
    QString openProblem() const override { return problem; }
    // Only the numbers that have a cable: the simulated testers' ports.
    bool portExists(int portNumber) const override { return cableForPort && cableForPort(portNumber); }

private:
    std::function<InProcessCable *(int)> cableForPort;
    bool live() const;

    InProcessCable *cable = nullptr;   // while open
    int openedAtPull = 0;              // the cable's pull count when opened
    int number = 0;
    QString device;
    QString problem;
};
