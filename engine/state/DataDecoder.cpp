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

DecodedSample DataDecoder::decodeSample()
{
    readLong(s.vSoftwareVersion);
    readLong(s.vMaxDownBounceTol);
    readLong(s.vMaxUpBounceTol);
    readLong(s.vLastDownStrokeTime);
    readLong(s.vLastUpStrokeTime);
    readLong(s.vLastMeasuredDownResist);
    readLong(s.vLastMeasuredUpResist);
    readInteger(s.vStatus);
    decodeStatus(s.vStatus);
    stripStringData(s.vSerialNumber);
    readLong(s.vFailLimit);
    readLong(s.vSeqLimit);
    readLong(s.vCycleLimit);
    readLong(s.FailCount);
    readLong(s.SeqCount);
    readLong(s.CycleCount);
    readLong(s.vMaxDownTime);
    readLong(s.vMinDownTime);
    readLong(s.vMaxUpTime);
    readLong(s.vMinUpTime);
    readLong(s.vMaxUpResistance);
    readLong(s.vMinUpResistance);
    readLong(s.vMaxDownResistance);
    readLong(s.vMinDownResistance);
    readLong(s.vMaxUpBounce);
    readLong(s.vMaxDownBounce);
    readByte(s.vUpperBounce);
    readByte(s.vLowerBounce);
    readByte(s.vContact);
    readLong(s.vMaxUpResistTol);
    readLong(s.vMinUpResistTol);
    readLong(s.vMaxDownResistTol);
    readLong(s.vMinDownResistTol);
    readLong(s.vRPullUp);
    readInteger(s.vRMode);
    readInteger(s.vErrorCode);
    // Older tester software ends the record here.
    if (hasLastBounce(s)) {
        readLong(s.vLastDownBounceTime);
        readLong(s.vLastUpBounceTime);
    }

    s.vUpdateTime = clock();
    s.IsDirtyData = true;
    s.DownLoadedOnce = true;
    DecodedSample sample;
    sample.takenAt = s.vUpdateTime;
    sample.pistonDown = pistonIsDown(s.vStatus);
    return sample;
}

void DataDecoder::decodeStatus(int16_t status)
{
    s.Running = (status & 1) != 0;
    if (status & 16)
        s.LEDState = 2;   // blinking wins over lit
    else if (status & 2)
        s.LEDState = 0;
    else
        s.LEDState = 1;
}
