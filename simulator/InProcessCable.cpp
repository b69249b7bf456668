#include "simulator/InProcessCable.h"

#include <utility>

void InProcessCable::append(QByteArray &queue, const QByteArray &bytes)
{
    queue.append(bytes);
    if (queue.size() > MaxQueued)
        queue.remove(0, queue.size() - MaxQueued);
}

QByteArray InProcessCable::read()
{
    return std::exchange(toTester, QByteArray());
}

void InProcessCable::write(const QByteArray &bytes)
{
    // Nobody listens on a cable that is pulled or that no program opened.
    if (plugged && taken)
        append(toProgram, bytes);
}

void InProcessCable::close()
{
    plugged = false;
    taken = false;
    ++pulls;
    toProgram.clear();
    toTester.clear();
}

void InProcessCable::plugIn()
{
    plugged = true;
    toProgram.clear();
    toTester.clear();
}

InProcessSerialPort::InProcessSerialPort(std::function<InProcessCable *(int)> cableForPort)
    : cableForPort(std::move(cableForPort))
{
}

InProcessSerialPort::~InProcessSerialPort()
{
    close();
}

bool InProcessSerialPort::open()
{
    close();
    InProcessCable *found = cableForPort ? cableForPort(number) : nullptr;
    device = found ? found->name() : QString();
    problem.clear();
    if (!found)
        return false;
    if (!found->plugged) {
        problem = QStringLiteral("not present");
        return false;
    }
    if (found->taken) {
        problem = QStringLiteral("device busy (used by another program)");
        return false;
    }
    cable = found;
    cable->taken = true;
    openedAtPull = cable->pulls;
    cable->toProgram.clear();
    cable->toTester.clear();
    return true;
}

void InProcessSerialPort::close()
{
    if (live())
        cable->taken = false;
    cable = nullptr;
}

// A port whose cable was pulled stays dead, even once the cable is back:
// the program has to open it again, as with a device that went away.
bool InProcessSerialPort::live() const
{
    return cable && cable->plugged && cable->pulls == openedAtPull;
}

bool InProcessSerialPort::isOpen() const
{
    return live();
}

int InProcessSerialPort::bytesWaiting()
{
    return isOpen() ? int(cable->toProgram.size()) : 0;
}

QByteArray InProcessSerialPort::readAll()
{
    return isOpen() ? std::exchange(cable->toProgram, QByteArray()) : QByteArray();
}

void InProcessSerialPort::write(const QByteArray &bytes)
{
    if (isOpen())
        InProcessCable::append(cable->toTester, bytes);
}

void InProcessSerialPort::discardInput()
{
    if (isOpen())
        cable->toProgram.clear();
}

void InProcessSerialPort::discardOutput()
{
    if (isOpen())
        cable->toTester.clear();
}
