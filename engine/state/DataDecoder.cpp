#include "engine/state/DataDecoder.h"

#include "engine/state/NumberReader.h"
#include "engine/state/StateTexts.h"
#include "engine/state/TesterState.h"

DataDecoder::DataDecoder(TesterState &state, QString &replyLine)
    : s(state), ReplyLine(replyLine), clock(&QDateTime::currentDateTime)
{
}

void DataDecoder::setClock(Clock newClock)
{
    clock = newClock ? std::move(newClock) : Clock(&QDateTime::currentDateTime);
}

void DataDecoder::stripStringData(QString &x)
{
    if (ReplyLine.isEmpty()) {
        x = QStringLiteral("255");
        return;
    }
    const qsizetype separator = ReplyLine.indexOf(QLatin1Char(';'));
    if (separator < 0) {
        x = ReplyLine;
        ReplyLine.clear();
        return;
    }
    // An empty field (";" first) is taken as an empty field, so that the
    // fields after it keep their places in the record.
    x = ReplyLine.left(separator);
    ReplyLine.remove(0, separator + 1);
}

// A number that does not fit its field leaves the field as it was.
void DataDecoder::readLong(int32_t &target)
{
    stripStringData(field);
    parseLong(field, target);
}

void DataDecoder::readInteger(int16_t &target)
{
    stripStringData(field);
    parseInteger(field, target);
}

void DataDecoder::readByte(int16_t &target)
{
    stripStringData(field);
    parseByte(field, target);
}

QString DataDecoder::serialNumberOf(const QString &record)
{
    // After the version, two bounce tolerances, two stroke times, two
    // contact readings and the status.
    return record.section(QLatin1Char(';'), 8, 8);
}

DecodedSample DataDecoder::decodeSample()
{
    readLong(s.identity.softwareVersion);
    readLong(s.reported.maxDownBounceTol);
    readLong(s.reported.maxUpBounceTol);
    readLong(s.counters.lastDownStrokeTime);
    readLong(s.counters.lastUpStrokeTime);
    readLong(s.counters.lastDownResistance);
    readLong(s.counters.lastUpResistance);
    readInteger(s.counters.status);
    decodeStatus(s.counters.status);
    stripStringData(s.identity.serialNumber);
    readLong(s.reported.failLimit);
    readLong(s.reported.seqLimit);
    readLong(s.reported.cycleLimit);
    readLong(s.counters.failCount);
    readLong(s.counters.seqCount);
    readLong(s.counters.cycleCount);
    readLong(s.reported.maxDownTime);
    readLong(s.reported.minDownTime);
    readLong(s.reported.maxUpTime);
    readLong(s.reported.minUpTime);
    readLong(s.counters.maxUpResistance);
    readLong(s.counters.minUpResistance);
    readLong(s.counters.maxDownResistance);
    readLong(s.counters.minDownResistance);
    readLong(s.counters.maxUpBounce);
    readLong(s.counters.maxDownBounce);
    readByte(s.reported.upperBounce);
    readByte(s.reported.lowerBounce);
    readByte(s.reported.contact);
    readLong(s.reported.maxUpResistTol);
    readLong(s.reported.minUpResistTol);
    readLong(s.reported.maxDownResistTol);
    readLong(s.reported.minDownResistTol);
    readLong(s.reported.rangePullUp);
    readInteger(s.reported.rangeMode);
    readInteger(s.counters.errorCode);
    // Older tester software ends the record here.
    if (hasLastBounce(s)) {
        readLong(s.counters.lastDownBounceTime);
        readLong(s.counters.lastUpBounceTime);
    }

    s.counters.updateTime = clock();
    s.session.dirtyData = true;
    s.session.downloadedOnce = true;
    DecodedSample sample;
    sample.takenAt = s.counters.updateTime;
    sample.pistonDown = pistonIsDown(s.counters.status);
    return sample;
}

void DataDecoder::decodeStatus(int16_t status)
{
    s.counters.running = (status & 1) != 0;
    if (status & 16)
        s.counters.ledState = 2;   // blinking wins over lit
    else if (status & 2)
        s.counters.ledState = 0;
    else
        s.counters.ledState = 1;
}
