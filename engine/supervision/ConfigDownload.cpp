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
    case Command::WriteSerialNumber: return s.sSerialNumber;
    case Command::WriteContact: return QString::number(s.sContact);
    case Command::WriteFailLimit: return QString::number(s.sFailLimit);
    case Command::WriteSeqLimit: return QString::number(s.sSeqLimit);
    case Command::WriteCycleLimit: return QString::number(s.sCycleLimit);
    case Command::WriteMaxDownTime: return QString::number(s.sMaxDownTime);
    case Command::WriteMinDownTime: return QString::number(s.sMinDownTime);
    case Command::WriteMaxUpTime: return QString::number(s.sMaxUpTime);
    case Command::WriteMinUpTime: return QString::number(s.sMinUpTime);
    case Command::WriteUpperBounce: return QString::number(s.sUpperBounce);
    case Command::WriteLowerBounce: return QString::number(s.sLowerBounce);
    case Command::WriteMaxUpResistTol: return QString::number(s.sMaxUpResistTol);
    case Command::WriteMinUpResistTol: return QString::number(s.sMinUpResistTol);
    case Command::WriteMaxDownResistTol: return QString::number(s.sMaxDownResistTol);
    case Command::WriteMinDownResistTol: return QString::number(s.sMinDownResistTol);
    case Command::WriteRange: return QString::number(s.sRPullUp);
    case Command::WriteMode: return QString::number(s.sRMode);
    case Command::WriteMaxDownBounceTol: return QString::number(s.sMaxDownBounceTol);
    case Command::WriteMaxUpBounceTol: return QString::number(s.sMaxUpBounceTol);
    case Command::ArmBreakUpdate: return QString::number(s.RepeatCount);
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
        s.MasterUpdate = true;
        sendStep(Command::WriteContact);
        return;
    case Command::WriteMinDownResistTol:
        // Only a master download rewrites the range value and the mode.
        sendStep(s.MasterUpdate ? Command::WriteRange : Command::WriteMaxDownBounceTol);
        return;
    case Command::WriteMaxUpBounceTol:
        if (s.MasterUpdate || s.LearnConfigure) {
            reset.setClearAll();
            cmds.sendCommand(Command::ClearMinMax);
            s.MasterUpdate = false;
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
