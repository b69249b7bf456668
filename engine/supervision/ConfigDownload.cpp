#include "engine/supervision/ConfigDownload.h"

#include "engine/link/Commands.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/CounterReset.h"

ConfigDownload::ConfigDownload(TesterState &state, Commands &commands, CounterReset &counterReset)
    : s(state), cmds(commands), reset(counterReset)
{
}

void ConfigDownload::startOrdinaryDownload()
{
    sendStep(Command::WriteContact);
}

void ConfigDownload::startMasterDownload()
{
    sendStep(Command::WriteSerialNumber);
}

QString ConfigDownload::valueFor(Command command) const
{
    // QString::number never uses the user's locale: a plain decimal text.
    switch (command) {
    case Command::WriteSerialNumber: return s.pending.serialNumber;
    case Command::WriteContact: return QString::number(s.pending.contact);
    case Command::WriteFailLimit: return QString::number(s.pending.failLimit);
    case Command::WriteSeqLimit: return QString::number(s.pending.seqLimit);
    case Command::WriteCycleLimit: return QString::number(s.pending.cycleLimit);
    case Command::WriteMaxDownTime: return QString::number(s.pending.maxDownTime);
    case Command::WriteMinDownTime: return QString::number(s.pending.minDownTime);
    case Command::WriteMaxUpTime: return QString::number(s.pending.maxUpTime);
    case Command::WriteMinUpTime: return QString::number(s.pending.minUpTime);
    case Command::WriteUpperBounce: return QString::number(s.pending.upperBounce);
    case Command::WriteLowerBounce: return QString::number(s.pending.lowerBounce);
    case Command::WriteMaxUpResistTol: return QString::number(s.pending.maxUpResistTol);
    case Command::WriteMinUpResistTol: return QString::number(s.pending.minUpResistTol);
    case Command::WriteMaxDownResistTol: return QString::number(s.pending.maxDownResistTol);
    case Command::WriteMinDownResistTol: return QString::number(s.pending.minDownResistTol);
    case Command::WriteRange: return QString::number(s.pending.rangePullUp);
    case Command::WriteMode: return QString::number(s.pending.rangeMode);
    case Command::WriteMaxDownBounceTol: return QString::number(s.pending.maxDownBounceTol);
    case Command::WriteMaxUpBounceTol: return QString::number(s.pending.maxUpBounceTol);
    case Command::ArmBreakUpdate: return QString::number(s.session.repeatCount);
    default: return QString();
    }
}

void ConfigDownload::sendStep(Command command)
{
    cmds.sendValueCommand(command, valueFor(command));
}

void ConfigDownload::onReply(Command command)
{
    switch (command) {
    case Command::WriteSerialNumber:
        s.session.masterUpdate = true;
        sendStep(Command::WriteContact);
        return;
    case Command::WriteMinDownResistTol:
        // Only a master download rewrites the range value and the mode.
        sendStep(s.session.masterUpdate ? Command::WriteRange : Command::WriteMaxDownBounceTol);
        return;
    case Command::WriteMaxUpBounceTol:
        if (s.session.masterUpdate || s.session.learnConfigure) {
            reset.setClearAll();
            cmds.sendCommand(Command::ClearMinMax);
            s.session.masterUpdate = false;
        } else {
            cmds.sendCommand(Command::SampleData);   // show the tester's new values
        }
        return;
    default:
        // The rest of the chain goes in the order of the codes.
        if (command >= Command::WriteContact && command <= Command::WriteMaxDownBounceTol)
            sendStep(Command(wireCode(command) + 1));
        return;
    }
}
