#include "engine/archive/ArchiveRecord.h"

#include <QDataStream>
#include <QIODevice>

namespace {

constexpr ArchiveColumn longColumn(const char *name, TesterState::Long TesterState::*field)
{
    return {name, field, nullptr};
}
constexpr ArchiveColumn integerColumn(const char *name, TesterState::Integer TesterState::*field)
{
    return {name, nullptr, field};
}

// The spool's record layout; a record of another layout is not read.
constexpr quint8 RecordLayout = 1;

qint64 readColumn(const TesterState &s, const ArchiveColumn &column)
{
    return column.longField ? qint64(s.*column.longField) : qint64(s.*column.integerField);
}

void writeColumn(TesterState &s, const ArchiveColumn &column, qint64 value)
{
    if (column.longField)
        s.*column.longField = TesterState::Long(value);
    else
        s.*column.integerField = TesterState::Integer(value);
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
    longColumn("cycles", &TesterState::CycleCount),
    longColumn("failures", &TesterState::FailCount),
    longColumn("seq_failures", &TesterState::SeqCount),
    longColumn("min_down_r", &TesterState::vMinDownResistance),
    longColumn("max_down_r", &TesterState::vMaxDownResistance),
    longColumn("min_up_r", &TesterState::vMinUpResistance),
    longColumn("max_up_r", &TesterState::vMaxUpResistance),
    longColumn("max_down_bounce", &TesterState::vMaxDownBounce),
    longColumn("max_up_bounce", &TesterState::vMaxUpBounce),
    longColumn("last_down_r", &TesterState::vLastMeasuredDownResist),
    longColumn("last_up_r", &TesterState::vLastMeasuredUpResist),
    longColumn("last_down_bounce", &TesterState::vLastDownBounceTime),
    longColumn("last_up_bounce", &TesterState::vLastUpBounceTime),
    longColumn("last_down_time", &TesterState::vLastDownStrokeTime),
    longColumn("last_up_time", &TesterState::vLastUpStrokeTime),
    integerColumn("error_code", &TesterState::vErrorCode),
};

const ArchiveColumn ConfigColumns[ConfigColumnCount] = {
    longColumn("cycle_limit", &TesterState::vCycleLimit),
    longColumn("fail_limit", &TesterState::vFailLimit),
    longColumn("seq_limit", &TesterState::vSeqLimit),
    longColumn("min_down_tol", &TesterState::vMinDownResistTol),
    longColumn("max_down_tol", &TesterState::vMaxDownResistTol),
    longColumn("min_up_tol", &TesterState::vMinUpResistTol),
    longColumn("max_up_tol", &TesterState::vMaxUpResistTol),
    longColumn("down_bounce_tol", &TesterState::vMaxDownBounceTol),
    longColumn("up_bounce_tol", &TesterState::vMaxUpBounceTol),
    longColumn("min_down_time", &TesterState::vMinDownTime),
    longColumn("max_down_time", &TesterState::vMaxDownTime),
    longColumn("min_up_time", &TesterState::vMinUpTime),
    longColumn("max_up_time", &TesterState::vMaxUpTime),
    integerColumn("lower_bounce", &TesterState::vLowerBounce),
    integerColumn("upper_bounce", &TesterState::vUpperBounce),
    integerColumn("contact", &TesterState::vContact),
    integerColumn("r_mode", &TesterState::vRMode),
    longColumn("r_pullup", &TesterState::vRPullUp),
    longColumn("software_version", &TesterState::vSoftwareVersion),
};

QString stopCauseText(RunEnd how)
{
    switch (how) {
    case RunEnd::LimitReached: return QStringLiteral("limit reached");
    case RunEnd::Stopped: return QStringLiteral("stopped");
    case RunEnd::LinkLost: return QStringLiteral("link lost");
    case RunEnd::ProgramClosed: return QStringLiteral("program closed");
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
    s.vSerialNumber = serialNumber;
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
    if (in.status() != QDataStream::Ok || !in.atEnd() || layout != RecordLayout || kind < ArchiveRecord::RunBegun
        || kind > ArchiveRecord::RunEnded)
        return false;
    read.kind = ArchiveRecord::Kind(kind);
    record = std::move(read);
    return true;
}
