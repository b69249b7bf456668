#include "engine/web/WebJson.h"

#include "engine/archive/RunCatalog.h"
#include "engine/run/RunGlance.h"
#include "engine/session/TesterSession.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendHistory.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace {

QJsonValue isoTime(const QDateTime &t)
{
    return t.isValid() ? QJsonValue(t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate)) : QJsonValue();
}

QJsonValue jsonNumber(float value)
{
    return std::isfinite(value) ? QJsonValue(double(value)) : QJsonValue();
}

const char *linkWord(LinkHistory::State state)
{
    switch (state) {
    case LinkHistory::State::Connected: return "connected";
    case LinkHistory::State::Lost: return "lost";
    case LinkHistory::State::Searching: break;
    }
    return "searching";
}

}   // namespace

QJsonObject testerJson(const TesterSession &session)
{
    const TesterState &s = session.state();
    const RunGlance &glance = session.glance();
    const RunProgress &progress = glance.progress();
    const QString serial = s.vSerialNumber.trimmed();
    const int64_t toLimit = progress.secondsToLimit(s.CycleCount, s.vCycleLimit, endsAtCycleLimit(glance.runMode(s)));
    const bool sampled = !session.trendHistory().empty();
    QJsonObject o;
    o["serial"] = serial.isEmpty() ? QJsonValue() : QJsonValue(serial);
    o["port"] = glance.port();
    o["device"] = glance.device();
    o["link"] = QLatin1String(linkWord(glance.link().state()));
    o["linkText"] = glance.linkStateText();
    o["run"] = glance.runText(s);
    o["cycles"] = sampled ? QJsonValue(qint64(s.CycleCount)) : QJsonValue();
    o["cycleLimit"] = qint64(s.vCycleLimit);
    o["failures"] = sampled ? QJsonValue(qint64(s.FailCount)) : QJsonValue();
    o["sequentialFailures"] = sampled ? QJsonValue(qint64(s.SeqCount)) : QJsonValue();
    o["ratePerHour"] = progress.hasRate() ? QJsonValue(std::round(progress.cyclesPerHour())) : QJsonValue();
    o["secondsToLimit"] = toLimit >= 0 ? QJsonValue(qint64(toLimit)) : QJsonValue();
    o["timeToLimit"] = durationText(toLimit);
    o["lastSample"] = sampled ? isoTime(s.vUpdateTime) : QJsonValue();
    o["dataFile"] = s.DataFileOpen ? QJsonValue(QFileInfo(s.DataFileName).fileName()) : QJsonValue();
    return o;
}

QByteArray testerListJson(const std::vector<const TesterSession *> &sessions)
{
    QJsonArray testers;
    for (const TesterSession *session : sessions)
        testers.append(testerJson(*session));
    return QJsonDocument(testers).toJson(QJsonDocument::Compact);
}

QByteArray runsJson(const std::vector<RunSummary> &runs)
{
    QJsonArray list;
    for (const RunSummary &run : runs) {
        QJsonObject o;
        o["id"] = run.id;
        o["serial"] = run.serialNumber;
        o["host"] = run.host;
        o["start"] = isoTime(run.start);
        o["end"] = isoTime(run.end);
        o["cycles"] = run.cycles;
        o["failures"] = run.failures;
        o["samples"] = run.samples;
        o["ended"] = run.endedHow.isEmpty() ? QJsonValue() : QJsonValue(run.endedHow);
        list.append(o);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

QByteArray sampleJson(const TesterState &s)
{
    QJsonObject o;
    o["time"] = isoTime(s.vUpdateTime);
    o["cycles"] = qint64(s.CycleCount);
    o["failures"] = qint64(s.FailCount);
    o["sequentialFailures"] = qint64(s.SeqCount);
    o["errorCode"] = s.vErrorCode;
    o["downContact"] = qint64(s.vLastMeasuredDownResist);
    o["upContact"] = qint64(s.vLastMeasuredUpResist);
    o["downTimeMs"] = qint64(s.vLastDownStrokeTime);
    o["upTimeMs"] = qint64(s.vLastUpStrokeTime);
    o["downBounce"] = qint64(s.vLastDownBounceTime);
    o["upBounce"] = qint64(s.vLastUpBounceTime);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray trendJson(const TrendHistory &history, size_t most)
{
    QJsonArray cycle, down, up, failures;
    const size_t count = history.size();
    const size_t step = most == 0 || count <= most ? 1 : (count + most - 1) / most;
    for (size_t i = 0; i < count; i += step) {
        // The last sample is always drawn: it is the one the row shows.
        const TrendSample &sample = history.at(i + step >= count ? count - 1 : i);
        cycle.append(qint64(sample.cycle));
        down.append(jsonNumber(sample.contact[TrendDown]));
        up.append(jsonNumber(sample.contact[TrendUp]));
        failures.append(sample.failCount);
    }
    QJsonObject o;
    o["samples"] = qint64(count);
    o["cycle"] = cycle;
    o["downContact"] = down;
    o["upContact"] = up;
    o["failures"] = failures;
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}
