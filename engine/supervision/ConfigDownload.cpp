#include "engine/supervision/ConfigDownload.h"

#include "engine/link/Commands.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/CounterReset.h"

ConfigDownload::ConfigDownload(TesterState &state, Commands &commands, CounterReset &counterReset)
    : s(state), cmds(commands), reset(counterReset)
{
}

void ConfigDownload::StartOrdinaryDownload()
{
    sendStep(225);
}

void ConfigDownload::StartMasterDownload()
{
    sendStep(224);
}

QString ConfigDownload::ValueFor(int code) const
{
    // QString::number never uses the user's locale: a plain decimal text.
    switch (code) {
    case 224: return s.sSerialNumber;
    case 225: return QString::number(s.sContact);
    case 226: return QString::number(s.sFailLimit);
    case 227: return QString::number(s.sSeqLimit);
    case 228: return QString::number(s.sCycleLimit);
    case 229: return QString::number(s.sMaxDownTime);
    case 230: return QString::number(s.sMinDownTime);
    case 231: return QString::number(s.sMaxUpTime);
    case 232: return QString::number(s.sMinUpTime);
    case 233: return QString::number(s.sUpperBounce);
    case 234: return QString::number(s.sLowerBounce);
    case 235: return QString::number(s.sMaxUpResistTol);
    case 236: return QString::number(s.sMinUpResistTol);
    case 237: return QString::number(s.sMaxDownResistTol);
    case 238: return QString::number(s.sMinDownResistTol);
    case 239: return QString::number(s.sRPullUp);
    case 240: return QString::number(s.sRMode);
    case 241: return QString::number(s.sMaxDownBounceTol);
    case 242: return QString::number(s.sMaxUpBounceTol);
    case 243: return QString::number(s.RepeatCount);
    default: return QString();
    }
}

void ConfigDownload::sendStep(int code)
{
    cmds.SendValueCommand(code, ValueFor(code));
}

void ConfigDownload::OnReply(int code)
{
    switch (code) {
    case 224:
        s.MasterUpdate = true;
        sendStep(225);
        return;
    case 238:
        // Only a master download rewrites the range value and the mode.
        sendStep(s.MasterUpdate ? 239 : 241);
        return;
    case 242:
        if (s.MasterUpdate || s.LearnConfigure) {
            reset.SetClearAll();
            cmds.SendCommand(194);
            s.MasterUpdate = false;
        } else {
            cmds.SendCommand(174);   // show the tester's new values
        }
        return;
    default:
        if (code >= 225 && code <= 241)
            sendStep(code + 1);
        return;
    }
}
