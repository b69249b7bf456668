#include "TesterSteps.h"

#include "engine/supervision/TesterEngine.h"

#include <algorithm>

int ticksOf(uint8_t ticks)
{
    return ticks == 255 ? 300 : 1 + ticks % 32;
}

QList<TesterStep> readSteps(const uint8_t *data, size_t size)
{
    QList<TesterStep> steps;
    size_t at = 0;
    while (at < size) {
        TesterStep step;
        step.action = data[at++];
        step.ticks = at < size ? data[at++] : 0;
        const size_t length = at < size ? data[at++] : 0;
        const size_t taken = std::min(length, size - at);
        step.bytes = QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(taken));
        at += taken;
        steps.append(step);
    }
    return steps;
}

QByteArray writeSteps(const QList<TesterStep> &steps)
{
    QByteArray out;
    for (const TesterStep &step : steps) {
        const QByteArray bytes = step.bytes.left(255);
        out += char(step.action);
        out += char(step.ticks);
        out += char(bytes.size());
        out += bytes;
    }
    return out;
}

void takeAction(TesterEngine &engine, uint8_t action)
{
    switch (action % ActionCount) {
    case SampleData: engine.sendCommand(Command::SampleData); break;
    case RunToLimits: engine.sendCommand(Command::RunToLimits); break;
    case RunOnce: engine.sendCommand(Command::RunOnce); break;
    case RunNoLimit: engine.sendCommand(Command::RunNoLimit); break;
    case StopRun: engine.sendCommand(Command::Stop); break;
    case ReadVersion: engine.sendCommand(Command::ReadSoftwareVersion); break;
    case ReadCycleLimit: engine.sendCommand(Command::ReadCycleLimit); break;
    case ResetCounters:
        engine.setClearAll();
        engine.doNextClear(Command::None);
        break;
    case DownloadConfig: engine.startOrdinaryDownload(); break;
    case DownloadMaster: engine.startMasterDownload(); break;
    case SetCycleLimit: engine.sendValueCommand(Command::WriteCycleLimit, QStringLiteral("5000")); break;
    default: break;
    }
}
