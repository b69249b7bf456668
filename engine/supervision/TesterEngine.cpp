#include "engine/supervision/TesterEngine.h"

#include "engine/state/DataDecoder.h"
#include "engine/state/TesterState.h"
#include "engine/state/TesterView.h"
#include "engine/supervision/ConfigDownload.h"
#include "engine/supervision/CounterReset.h"
#include "engine/supervision/PollCycle.h"
#include "engine/supervision/ReplyEffects.h"

TesterEngine::TesterEngine(TesterState &state, SerialPort &port, TesterView &view)
    : s(state), view(view), serialLink(state, port, view), cmds(state, serialLink, view),
      dataDecoder(std::make_unique<DataDecoder>(state, serialLink.ReplyLine)),
      counterReset(std::make_unique<CounterReset>(state, cmds)),
      download(std::make_unique<ConfigDownload>(state, cmds, *counterReset)),
      replies(
          std::make_unique<ReplyEffects>(state, serialLink, cmds, view, view, *dataDecoder, *counterReset, *download)),
      poll(std::make_unique<PollCycle>(state, serialLink, cmds, view, view, view, *replies))
{
}

TesterEngine::~TesterEngine() = default;

void TesterEngine::setManualDisplay(ManualDisplay *display)
{
    replies->setManualDisplay(display);
}
void TesterEngine::setSampleListener(SampleListener *listener)
{
    replies->setSampleListener(listener);
}
void TesterEngine::Tick()
{
    poll->Tick();
}
void TesterEngine::restartSearch()
{
    poll->restartSearch();
}
bool TesterEngine::CommReady() const
{
    return serialLink.CommReady();
}
int TesterEngine::ledDrawing() const
{
    return poll->ledDrawing();
}
void TesterEngine::SendCommand(Command command)
{
    cmds.SendCommand(command);
}
void TesterEngine::SendValueCommand(Command command, const QString &value)
{
    cmds.SendValueCommand(command, value);
}
void TesterEngine::SetClearAll()
{
    counterReset->SetClearAll();
}

void TesterEngine::DoNextClear(Command lastCommand)
{
    if (lastCommand == Command::None)
        view.testerChanged(TesterChange::CounterReset);
    counterReset->DoNextClear(lastCommand);
}

void TesterEngine::StartOrdinaryDownload()
{
    view.testerChanged(s.LearnConfigure ? TesterChange::Learn : TesterChange::ConfigDownload);
    download->StartOrdinaryDownload();
}

void TesterEngine::StartMasterDownload()
{
    view.testerChanged(TesterChange::MasterDownload);
    download->StartMasterDownload();
}

SerialLink &TesterEngine::link()
{
    return serialLink;
}
Commands &TesterEngine::commands()
{
    return cmds;
}
DataDecoder &TesterEngine::decoder()
{
    return *dataDecoder;
}

void TesterEngine::setClock(const std::function<QDateTime()> &clock)
{
    dataDecoder->setClock(clock);
    poll->clock = clock ? clock : std::function<QDateTime()>(&QDateTime::currentDateTime);
}
