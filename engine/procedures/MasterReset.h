#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class MessageDialogs;
class TesterEngine;
struct TesterState;

// The identity a master reset gives the tester, as the operator typed it.
struct MasterEntries
{
    QString serialNumber;   // 1 to 8 letters and digits, kept as typed
    int16_t mode = 0;       // 0 resistance, 1 current, 2 voltage (3 is let through)
    int32_t pullUp = 0;     // the range value, 0..65535
};

// Checks the three entries in the order serial number, mode, pull-up and
// returns the message for the first bad one ("Invalid Serial Number",
// "Invalid Resistance Mode", "Invalid Resistance Value"), or an empty text
// with `entries` filled when all three are good.
QString checkMasterEntries(const QString &serial, const QString &mode, const QString &pullUp, MasterEntries &entries);

// Configure, Master Reset: during a running test the operator is asked
// first, and No leaves everything as it was. Then the default
// configuration with serial "00000000", resistance mode and a 1000 ohm
// pull-up goes into the edit copy; `askMasterValues` (the master dialog)
// lets the operator change the three identity values and is true when
// they were accepted; then the master download sends them with the
// defaults and clears the counters.
void performMasterReset(TesterState &s, TesterEngine &engine, MessageDialogs &dialogs,
                        const std::function<bool()> &askMasterValues);
