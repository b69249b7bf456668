#pragma once

#include "engine/state/LinkState.h"

#include <QDateTime>
#include <QString>
#include <cstdint>

// The record of everything the program knows about one attached tester and
// its session. Each TesterSession owns one; the engine, the dialogs and the
// file code read and write it directly.
//
// Names beginning with v hold what the tester last reported; the same name
// beginning with s is the operator's setting that a download writes to it.
// Widths follow the tester: Integer fields are 16-bit, Long fields 32-bit.
struct TesterState
{
    using Integer = int16_t;
    using Long = int32_t;

    Long CycleCount = 0;
    Long FailCount = 0;
    Long SeqCount = 0;   // current run of sequential failed cycles
    bool Running = false;
    bool IsDirtyData = false;      // a sample was taken that is not yet in a data file
    bool IsDirtyConfig = false;    // the configuration differs from its file
    bool GoAgainFlag = false;      // the tester sent "+" since the last arming or run command
    bool GoAgainMode = false;      // break-update mode is armed in the tester
    bool SaveToDatabase = false;   // in break-update mode, log each break's sample
    bool DataFileOpen = false;
    Integer RepeatCount = 0;       // cycles between breaks in break-update mode
    bool MasterUpdate = false;     // the download carries the master fields and ends with a counter reset
    bool LearnConfigure = false;   // a learn is in progress; its download ends with a reset and a run start
    bool Terminated = false;       // the tester sent "-": the test has ended
    bool DownLoadedOnce = false;   // a full record was decoded since the port opened
    bool ClearCycleCount = true;
    bool ClearFailCount = true;
    bool ClearSeqCount = true;
    bool ClearMinMax = true;
    QString DataFileName;
    QString ConfigFileName;
    LinkState link;

    Long vMaxDownTime = 0, sMaxDownTime = 0;   // ms
    Long vMinDownTime = 0, sMinDownTime = 0;   // ms, used only if the contact is measured
    Long vMaxUpTime = 0, sMaxUpTime = 0;       // ms
    Long vMinUpTime = 0, sMinUpTime = 0;       // ms
    Long vCycleLimit = 0, sCycleLimit = 0;
    Long vSeqLimit = 0, sSeqLimit = 0;
    Long vFailLimit = 0, sFailLimit = 0;
    Integer vStatus = 0;                          // status byte: 1 running, 2 LED on, 8 piston down, 16 LED blinking
    Integer vContact = 0, sContact = 0;           // contact type in bits 0-3; 16/32 test down/up, 64/128 bounce down/up
    Integer vUpperBounce = 0, sUpperBounce = 0;   // bounce detection thresholds, 0..255
    Integer vLowerBounce = 0, sLowerBounce = 0;
    Long vRPullUp = -1, sRPullUp = 0;                // range value; -1 = not yet reported
    Integer vRMode = -1, sRMode = 0;                 // 0 resistance, 1 current, 2 voltage; -1 = not yet reported
    Integer vErrorCode = 0;                          // failure bits shown by the eight failure boxes
    Long vMaxUpResistTol = 0, sMaxUpResistTol = 0;   // counts
    Long vMinUpResistTol = 0, sMinUpResistTol = 0;
    Long vMaxDownResistTol = 0, sMaxDownResistTol = 0;
    Long vMinDownResistTol = 0, sMinDownResistTol = 0;
    Long vMaxDownBounceTol = 0, sMaxDownBounceTol = 0;   // bounce ticks of 1.6 us
    Long vMaxUpBounceTol = 0, sMaxUpBounceTol = 0;
    Long vLastDownStrokeTime = 0;   // ms
    Long vLastUpStrokeTime = 0;
    Long vLastMeasuredResist = 0;   // manual control reading, count
    Long vLastMeasuredDownResist = 0;
    Long vLastMeasuredUpResist = 0;
    Long vLastDownBounceTime = 0;   // ticks; reported from software 1.2 on
    Long vLastUpBounceTime = 0;
    Long vMaxUpResistance = 1022;
    Long vMinUpResistance = 0;
    Long vMaxDownResistance = 1022;
    Long vMinDownResistance = 0;
    Long vMaxUpBounce = 0;
    Long vMaxDownBounce = 0;
    QString vSerialNumber;
    QString sSerialNumber;       // written by a master download
    Long vSoftwareVersion = 0;   // tenths: 12 is version 1.2
    QDateTime vUpdateTime;       // when the last full record was decoded
    Integer LEDState = 1;        // error LED: 0 lit, 1 dark, 2 blinking
};
