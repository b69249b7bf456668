#pragma once

#include "simulator/SimulatorLine.h"

#include <QString>

// A pseudo-terminal pair in raw mode: the simulated tester holds the master
// side, the program opens the slave device (slavePath()) as its serial port.
// Raw settings are given when the pair is made, so nothing is echoed and CR
// stays CR even before the program has opened its side. Closing the master
// is a pulled cable: the program's port sees the device vanish.
class PseudoTerminal : public SimulatorLine
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal() override;
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool open();   // a new pair; the old one is closed first
    void close() override;
    bool isOpen() const override { return master >= 0; }
    QString slavePath() const { return path; }
    QString errorText() const { return error; }

    QByteArray read() override;
    void write(const QByteArray &bytes) override;
    int readableHandle() const override { return master; }

    // Bytes not yet taken by the pseudo-terminal; bounded, the oldest go first.
    int pendingBytes() const { return int(pending.size()); }
    static constexpr int MaxPending = 8192;

private:
    void flushPending();

    int master = -1;
    int slave = -1;   // held open so the pair survives the program closing its port
    QString path;
    QString error;
    QByteArray pending;
};
