#include "engine/archive/ArchiveRecord.h"

#include <QDataStream>
#include <QIODevice>

namespace {

constexpr ArchiveColumn longColumn(const char *name, StateField<TesterState::Long> field)
{
    return {name, field, nullptr};
}
constexpr ArchiveColumn integerColumn(const char *name, StateField<TesterState::Integer> field)
{
    return {name, nullptr, field};
}

// The spool's record layout; a record of another layout is not read. Layout
// 1 had no first cycle count; a spool left by an older program still reads.
constexpr quint8 RecordLayout = 2;

qint64 readColumn(const TesterState &s, const ArchiveColumn &column)
{
    return column.longField ? qint64(column.longField(s)) : qint64(column.integerField(s));
}

void writeColumn(TesterState &s, const ArchiveColumn &column, qint64 value)
{
    if (column.longField)
        column.longField(s) = TesterState::Long(value);
    else
        column.integerField(s) = TesterState::Integer(value);
}

template <std::size_t N>
ArchiveNumbers readColumns(const TesterState &s, const ArchiveColumn (&columns)[N])
{
    ArchiveNumbers numbers{};
    for (std::size_t i = 0; i < N; ++i)
        numbers[i] = readColumn(s, columns[i]);
    return numbers;
}

template <std::size_t N>
void writeColumns(TesterState &s, const ArchiveColumn (&columns)[N], const ArchiveNumbers &numbers)
{
    for (std::size_t i = 0; i < N; ++i)
        writeColumn(s, columns[i], numbers[i]);
}

}   // namespace

const ArchiveColumn SampleColumns[SampleColumnCount] = {
    longColumn("cycles", stateField<&TesterState::counters, &TesterCounters::cycleCount>),
    longColumn("failures", stateField<&TesterState::counters, &TesterCounters::failCount>),
    longColumn("seq_failures", stateField<&TesterState::counters, &TesterCounters::seqCount>),
    longColumn("min_down_r", stateField<&TesterState::counters, &TesterCounters::minDownResistance>),
    longColumn("max_down_r", stateField<&TesterState::counters, &TesterCounters::maxDownResistance>),
    longColumn("min_up_r", stateField<&TesterState::counters, &TesterCounters::minUpResistance>),
    longColumn("max_up_r", stateField<&TesterState::counters, &TesterCounters::maxUpResistance>),
    longColumn("max_down_bounce", stateField<&TesterState::counters, &TesterCounters::maxDownBounce>),
    longColumn("max_up_bounce", stateField<&TesterState::counters, &TesterCounters::maxUpBounce>),
    longColumn("last_down_r", stateField<&TesterState::counters, &TesterCounters::lastDownResistance>),
    longColumn("last_up_r", stateField<&TesterState::counters, &TesterCounters::lastUpResistance>),
    longColumn("last_down_bounce", stateField<&TesterState::counters, &TesterCounters::lastDownBounceTime>),
    longColumn("last_up_bounce", stateField<&TesterState::counters, &TesterCounters::lastUpBounceTime>),
    longColumn("last_down_time", stateField<&TesterState::counters, &TesterCounters::lastDownStrokeTime>),
    longColumn("last_up_time", stateField<&TesterState::counters, &TesterCounters::lastUpStrokeTime>),
    integerColumn("error_code", stateField<&TesterState::counters, &TesterCounters::errorCode>),
};

const ArchiveColumn ConfigColumns[ConfigColumnCount] = {
    longColumn("cycle_limit", stateField<&TesterState::reported, &TesterConfig::cycleLimit>),
    longColumn("fail_limit", stateField<&TesterState::reported, &TesterConfig::failLimit>),
    longColumn("seq_limit", stateField<&TesterState::reported, &TesterConfig::seqLimit>),
    longColumn("min_down_tol", stateField<&TesterState::reported, &TesterConfig::minDownResistTol>),
    longColumn("max_down_tol", stateField<&TesterState::reported, &TesterConfig::maxDownResistTol>),
    longColumn("min_up_tol", stateField<&TesterState::reported, &TesterConfig::minUpResistTol>),
    longColumn("max_up_tol", stateField<&TesterState::reported, &TesterConfig::maxUpResistTol>),
    longColumn("down_bounce_tol", stateField<&TesterState::reported, &TesterConfig::maxDownBounceTol>),
    longColumn("up_bounce_tol", stateField<&TesterState::reported, &TesterConfig::maxUpBounceTol>),
    longColumn("min_down_time", stateField<&TesterState::reported, &TesterConfig::minDownTime>),
    longColumn("max_down_time", stateField<&TesterState::reported, &TesterConfig::maxDownTime>),
    longColumn("min_up_time", stateField<&TesterState::reported, &TesterConfig::minUpTime>),
    longColumn("max_up_time", stateField<&TesterState::reported, &TesterConfig::maxUpTime>),
    integerColumn("lower_bounce", stateField<&TesterState::reported, &TesterConfig::lowerBounce>),
    integerColumn("upper_bounce", stateField<&TesterState::reported, &TesterConfig::upperBounce>),
    integerColumn("contact", stateField<&TesterState::reported, &TesterConfig::contact>),
    integerColumn("r_mode", stateField<&TesterState::reported, &TesterConfig::rangeMode>),
    longColumn("r_pullup", stateField<&TesterState::reported, &TesterConfig::rangePullUp>),
    longColumn("software_version", stateField<&TesterState::identity, &TesterIdentity::softwareVersion>),
};

QString stopCauseText(RunEnd how)
{
    switch (how) {
    case RunEnd::LimitReached: return QStringLiteral("limit reached");
    case RunEnd::Stopped: return QStringLiteral("stopped");
    case RunEnd::LinkLost: return QStringLiteral("link lost");
    case RunEnd::ProgramClosed: return QStringLiteral("program closed");
    case RunEnd::CycleLimit: return QStringLiteral("stopped at cycle limit");
    case RunEnd::FailLimit: return QStringLiteral("stopped: failure limit reached");
    case RunEnd::SeqLimit: return QStringLiteral("stopped: sequential failure limit reached");
    case RunEnd::Operator: return QStringLiteral("stopped by the operator");
    case RunEnd::OneCycle: return QStringLiteral("stopped after one cycle");
    case RunEnd::AtTester: return QStringLiteral("stopped at the tester");
    case RunEnd::CountersReset: return QStringLiteral("counters reset");
    case RunEnd::Running: break;
    }
    return QString();
}

QString runEventText(RunEvent event)
{
    switch (event) {
    case RunEvent::LinkFound: return QStringLiteral("link found");
    case RunEvent::LinkLost: return QStringLiteral("link lost");
    case RunEvent::ConfigDownload: return QStringLiteral("configuration download");
    case RunEvent::CounterReset: return QStringLiteral("counter reset");
    case RunEvent::Learn: return QStringLiteral("learn");
    case RunEvent::MasterDownload: return QStringLiteral("master reset");
    case RunEvent::DataFileOpened: return QStringLiteral("data file opened");
    case RunEvent::DataFileClosed: return QStringLiteral("data file closed");
    case RunEvent::Started: return QStringLiteral("started");
    case RunEvent::Stopped: return QStringLiteral("stopped");
    case RunEvent::ProgramStarted: return QStringLiteral("program started");
    case RunEvent::ProgramExited: return QStringLiteral("program exited");
    }
    return QString();
}

QDateTime ArchiveRecord::at() const
{
    return QDateTime::fromMSecsSinceEpoch(atMs, Qt::OffsetFromUTC, utcOffset);
}

void ArchiveRecord::setAt(const QDateTime &time)
{
    atMs = time.toMSecsSinceEpoch();
    utcOffset = time.offsetFromUtc();
}

ArchiveNumbers sampleNumbers(const TesterState &s)
{
    return readColumns(s, SampleColumns);
}
ArchiveNumbers configNumbers(const TesterState &s)
{
    return readColumns(s, ConfigColumns);
}
void applySampleNumbers(TesterState &s, const ArchiveNumbers &numbers)
{
    writeColumns(s, SampleColumns, numbers);
}

void applyConfigNumbers(TesterState &s, const ArchiveNumbers &numbers, const QString &serialNumber)
{
    writeColumns(s, ConfigColumns, numbers);
    s.identity.serialNumber = serialNumber;
}

QByteArray encodeArchiveRecord(const ArchiveRecord &record)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << RecordLayout << qint32(record.kind) << record.runKey << record.atMs << record.utcOffset << record.code
        << record.text << record.host << record.programVersion;
    for (const qint64 number : record.numbers)
        out << number;
    out << record.cycles;
    return bytes;
}

bool decodeArchiveRecord(const QByteArray &bytes, ArchiveRecord &record)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint8 layout = 0;
    qint32 kind = 0;
    ArchiveRecord read;
    in >> layout >> kind >> read.runKey >> read.atMs >> read.utcOffset >> read.code >> read.text >> read.host
        >> read.programVersion;
    for (qint64 &number : read.numbers)
        in >> number;
    if (layout == RecordLayout)
        in >> read.cycles;
    if (in.status() != QDataStream::Ok || !in.atEnd() || layout < 1 || layout > RecordLayout
        || kind < ArchiveRecord::RunBegun || kind > ArchiveRecord::RunDescribed)
        return false;
    read.kind = ArchiveRecord::Kind(kind);
    record = std::move(read);
    return true;
}
