#include "engine/web/WebJson.h"

#include "engine/archive/RunCatalog.h"
#include "engine/run/RunGlance.h"
#include "engine/session/ShownDataFile.h"
#include "engine/session/TesterSession.h"
#include "engine/state/DataFormat.h"
#include "engine/state/StateTexts.h"
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

// A value as the data log wrote its text; null where the log has no number.
QJsonValue loggedValue(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);   // QString reads a full stop in any locale
    return ok && std::isfinite(value) ? QJsonValue(value) : QJsonValue();
}

// A contact reading in the unit of the mode, null and flagged open when
// the contact was open.
void putContact(QJsonObject &o, const char *name, const char *openName, const TesterState &s, int32_t count)
{
    const QString text = formatResistance(s, count, false);
    const bool open = text == QLatin1String("open");
    o[QLatin1String(name)] = open ? QJsonValue() : loggedValue(text);
    o[QLatin1String(openName)] = open;
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
    const QString serial = s.identity.serialNumber.trimmed();
    const int64_t toLimit = glance.secondsToLimit(s);
    const bool sampled = !session.trendHistory().empty();
    QJsonObject o;
    o["serial"] = serial.isEmpty() ? QJsonValue() : QJsonValue(serial);
    o["port"] = glance.port();
    o["device"] = glance.device();
    o["link"] = QLatin1String(linkWord(glance.link().state()));
    o["lostAt"] = glance.linkLost() ? isoTime(glance.link().changedAt()) : QJsonValue();
    // Connected, but nothing gets through: the text says so, as the Station row does.
    const QDateTime now = glance.clock();
    const QString warning = glance.linkWarning(s, now);
    o["linkText"] = warning.isEmpty() ? glance.linkStateText() : warning;
    o["recordsRefused"] = glance.link().state() == LinkHistory::State::Connected && recordsRefused(s);
    o["staleSince"] = isoTime(glance.staleSince(s, now));
    o["run"] = glance.runText(s);
    o["cycles"] = sampled ? QJsonValue(qint64(s.counters.cycleCount)) : QJsonValue();
    o["cycleLimit"] = qint64(s.reported.cycleLimit);
    o["failures"] = sampled ? QJsonValue(qint64(s.counters.failCount)) : QJsonValue();
    o["sequentialFailures"] = sampled ? QJsonValue(qint64(s.counters.seqCount)) : QJsonValue();
    o["ratePerHour"] =
        progress.hasRate() && !glance.linkLost() ? QJsonValue(std::round(progress.cyclesPerHour())) : QJsonValue();
    o["secondsToLimit"] = toLimit >= 0 ? QJsonValue(qint64(toLimit)) : QJsonValue();
    o["timeToLimit"] = durationText(toLimit);
    o["lastSample"] = sampled ? isoTime(s.counters.updateTime) : QJsonValue();
    const ShownDataFile dataFile = shownDataFile(session);
    o["dataFile"] = dataFile.open() ? QJsonValue(QFileInfo(dataFile.path).fileName()) : QJsonValue();
    return o;
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
        const auto given = [](const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); };
        o["part"] = given(run.part);
        o["operator"] = given(run.operatorName);
        o["notes"] = given(run.notes);
        list.append(o);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

QJsonValue modeName(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("resistance");
    case 1: return QStringLiteral("current");
    case 2: return QStringLiteral("voltage");
    default: return QJsonValue();
    }
}

QJsonValue contactUnit(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("ohm");
    case 1: return QStringLiteral("mA");
    case 2: return QStringLiteral("V");
    default: return QJsonValue();
    }
}

QByteArray sampleJson(const TesterState &s, bool withMode)
{
    QJsonObject o;
    o["time"] = isoTime(s.counters.updateTime);
    o["cycles"] = qint64(s.counters.cycleCount);
    o["failures"] = qint64(s.counters.failCount);
    o["sequentialFailures"] = qint64(s.counters.seqCount);
    o["errorCode"] = s.counters.errorCode;
    putContact(o, "downContact", "downOpen", s, s.counters.lastDownResistance);
    putContact(o, "upContact", "upOpen", s, s.counters.lastUpResistance);
    o["downTime"] = loggedValue(formatStrokeTime(s.counters.lastDownStrokeTime));
    o["upTime"] = loggedValue(formatStrokeTime(s.counters.lastUpStrokeTime));
    // Testers before software 1.2 report no last bounce times.
    const bool bounce = hasLastBounce(s);
    o["downBounce"] = bounce ? loggedValue(formatBounceTime(s.counters.lastDownBounceTime)) : QJsonValue();
    o["upBounce"] = bounce ? loggedValue(formatBounceTime(s.counters.lastUpBounceTime)) : QJsonValue();
    if (withMode) {
        o["mode"] = modeName(s.reported.rangeMode);
        o["contactUnit"] = contactUnit(s.reported.rangeMode);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray trendJson(const TrendHistory &history, size_t most)
{
    QJsonArray cycle, down, up, downOpen, upOpen, failures;
    const size_t count = history.size();
    const size_t step = most == 0 || count <= most ? 1 : (count + most - 1) / most;
    const int mode = count ? history.segmentOf(count - 1).limits.mode : -1;
    const auto contact = [mode](float value, QJsonArray &values, QJsonArray &open) {
        const bool isOpen = std::isinf(value) && value > 0;
        values.append(std::isfinite(value) ? loggedValue(formatContactValue(mode, double(value))) : QJsonValue());
        open.append(isOpen);
    };
    for (size_t i = 0; i < count; i += step) {
        // The last sample is always drawn: it is the one the row shows.
        const TrendSample &sample = history.at(i + step >= count ? count - 1 : i);
        cycle.append(qint64(sample.cycle));
        contact(sample.contact[TrendDown], down, downOpen);
        contact(sample.contact[TrendUp], up, upOpen);
        failures.append(sample.failCount);
    }
    QJsonObject o;
    o["samples"] = qint64(count);
    o["mode"] = modeName(mode);
    o["contactUnit"] = contactUnit(mode);
    o["cycle"] = cycle;
    o["downContact"] = down;
    o["upContact"] = up;
    o["downOpen"] = downOpen;
    o["upOpen"] = upOpen;
    o["failures"] = failures;
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}
