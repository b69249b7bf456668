#include "TesterSteps.h"

#include "engine/supervision/TesterEngine.h"

#include <algorithm>

int TicksOf(uint8_t ticks)
{
    return ticks == 255 ? 300 : 1 + ticks % 32;
}

QList<TesterStep> ReadSteps(const uint8_t *data, size_t size)
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

QByteArray WriteSteps(const QList<TesterStep> &steps)
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

void TakeAction(TesterEngine &engine, uint8_t action)
{
    switch (action % ActionCount) {
    case SampleData: engine.SendCommand(Command::SampleData); break;
    case RunToLimits: engine.SendCommand(Command::RunToLimits); break;
    case RunOnce: engine.SendCommand(Command::RunOnce); break;
    case RunNoLimit: engine.SendCommand(Command::RunNoLimit); break;
    case StopRun: engine.SendCommand(Command::Stop); break;
    case ReadVersion: engine.SendCommand(Command::ReadSoftwareVersion); break;
    case ReadCycleLimit: engine.SendCommand(Command::ReadCycleLimit); break;
    case ResetCounters:
        engine.SetClearAll();
        engine.DoNextClear(Command::None);
        break;
    case DownloadConfig: engine.StartOrdinaryDownload(); break;
    case DownloadMaster: engine.StartMasterDownload(); break;
    case SetCycleLimit: engine.SendValueCommand(Command::WriteCycleLimit, QStringLiteral("5000")); break;
    default: break;
    }
}
