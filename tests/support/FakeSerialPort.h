#pragma once

#include "engine/link/SerialPort.h"

#include <QtCore>
#include <functional>
#include <utility>

// A serial port for tests, driven tick by tick.
//
// - Every byte the engine writes is kept in `written`, in order.
// - queueInput() puts bytes on the line; the next readAll() takes them all.
// - existing, when not empty, names the only ports that exist (given with
//   --port, or a pinned device).
// - refusePort(n) / refuseAll make open() fail for those port numbers; a
//   refused port says the reason in `problems` (by port number), if any.
// - vanish() simulates a device that went away: the port closes itself
//   (isOpen() turns false), as the real backend does on a read error.
// - onWrite, when set, is called after every write with the written bytes:
//   a test can answer like a tester would.
class FakeSerialPort : public SerialPort
{
public:
    void selectPort(int portNumber) override { selectedPort = portNumber; }
    bool open() override
    {
        openAttempts.append(selectedPort);
        lastProblem.clear();
        if (refuseAll || refused.contains(selectedPort)) {
            lastProblem = problems.value(selectedPort);
            return false;
        }
        return opened = true;
    }
    QString openProblem() const override { return lastProblem; }
    QString deviceName() const override { return device; }
    bool portExists(int portNumber) const override { return existing.isEmpty() || existing.contains(portNumber); }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    int bytesWaiting() override { return int(input.size()); }
    QByteArray readAll() override { return std::exchange(input, {}); }
    void write(const QByteArray &bytes) override
    {
        written += bytes;
        if (onWrite)
            onWrite(bytes);
    }
    void discardInput() override { input.clear(); }
    void discardOutput() override {}

    void queueInput(const QByteArray &bytes) { input += bytes; }
    void refusePort(int portNumber) { refused.insert(portNumber); }
    void vanish()
    {
        opened = false;
        input.clear();
    }

    // The written bytes cut into frames (see takeFramesFrom below).
    QStringList frames() const;
    // Frames written since the last call of takeFrames(), then forgets them.
    QStringList takeFrames();

    QByteArray written;
    QByteArray input;          // bytes on the line, not yet read
    int selectedPort = 0;      // last port number selected
    QList<int> openAttempts;   // port numbers open() was tried on
    bool refuseAll = false;
    QMap<int, QString> problems;
    QSet<int> existing;   // the ports the search may try; empty: every port
    QString device;       // the device name the port reports
    std::function<void(const QByteArray &bytes)> onWrite;

private:
    bool opened = false;
    QString lastProblem;
    QSet<int> refused;
    int framesTaken = 0;
};

// Cuts the complete frames off the front of `bytes`: "<ESC>" for each
// wake-up byte, each CR-terminated command without its CR ("AE", "E4-1").
QStringList takeFramesFrom(QByteArray &bytes);
