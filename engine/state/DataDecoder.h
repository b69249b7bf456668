#pragma once

#include "engine/state/DecodedSample.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

struct TesterState;

// The status byte asks for the piston box ticked (the piston is down).
inline bool pistonIsDown(int16_t status)
{
    return (status & 8) != 0;
}

// Cuts the tester's data record (the reply to a data request) into the
// tester state, and applies the status byte. The record is consumed from
// the front of the reply line; whatever is not taken stays there. It shows
// nothing: whoever decodes tells the views what the sample brought.
class DataDecoder
{
public:
    using Clock = std::function<QDateTime()>;

    DataDecoder(TesterState &state, QString &replyLine);

    void setClock(Clock clock);   // the time stamp of a sample; local time by default

    // Takes the next ";"-separated field from the reply line. An empty field
    // is an empty field; a field missing because the line is used up reads
    // "255".
    void stripStringData(QString &x);
    DecodedSample decodeSample();
    // The serial number a data record (less its "*") carries, as decodeSample would read it.
    static QString serialNumberOf(const QString &record);
    void decodeStatus(int16_t status);

private:
    void readLong(int32_t &field);
    void readInteger(int16_t &field);
    void readByte(int16_t &field);

    TesterState &s;
    QString &ReplyLine;
    Clock clock;
    QString field;
};
