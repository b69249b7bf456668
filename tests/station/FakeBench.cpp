#include "FakeBench.h"

#include <utility>

class FakeBench::Port : public SerialPort
{
public:
    Port(FakeBench &bench, int index) : bench(bench), index(index) {}

    void selectPort(int portNumber) override { selected = portNumber; }
    bool open() override
    {
        if (bench.testers.count(selected) == 0)
            return false;
        openPort = selected;
        bench.opens.append({selected, index});
        return true;
    }
    void close() override
    {
        openPort = 0;
        input.clear();
    }
    bool isOpen() const override { return openPort != 0; }
    int bytesWaiting() override { return int(input.size()); }
    QByteArray readAll() override { return std::exchange(input, {}); }
    void write(const QByteArray &bytes) override
    {
        if (openPort != 0)
            bench.tester(openPort).receive(bytes);
    }
    void discardInput() override { input.clear(); }
    void discardOutput() override {}
    QString deviceName() const override { return QStringLiteral("/dev/bench%1").arg(openPort); }
    bool portExists(int portNumber) const override
    {
        return bench.mapped.isEmpty() || bench.mapped.contains(portNumber);
    }

    FakeBench &bench;
    const int index;
    int selected = 0;
    int openPort = 0;
    QByteArray input;
};

FakeBench::FakeBench() = default;
FakeBench::~FakeBench() = default;

SimulatorConfig FakeBench::simulatorConfig(const QString &serialNumber, bool running)
{
    SimulatorConfig config;
    config.serialNumber = serialNumber;
    config.periodMs = 200;
    config.signalQuietMs = 120;
    config.startRunning = running;
    return config;
}

SimulatedTester &FakeBench::plug(int port, const SimulatorConfig &config)
{
    testers[port] = std::make_unique<SimulatedTester>(config);
    return *testers[port];
}

void FakeBench::pull(int port)
{
    testers.erase(port);
    for (auto &object : ports)
        if (object->openPort == port)
            object->close();
}

SerialPort &FakeBench::newPort()
{
    ports.push_back(std::make_unique<Port>(*this, int(ports.size())));
    return *ports.back();
}

void FakeBench::step(int ms)
{
    for (auto &[number, tester] : testers) {
        const QByteArray out = tester->takeOutput();
        for (auto &object : ports)
            if (object->openPort == number)
                object->input += out;
        tester->advance(ms);
    }
}
