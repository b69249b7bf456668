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
void TesterEngine::pollTick()
{
    poll->pollTick();
}
void TesterEngine::restartSearch()
{
    poll->restartSearch();
}
bool TesterEngine::commReady() const
{
    return serialLink.commReady();
}
int TesterEngine::ledDrawing() const
{
    return poll->ledDrawing();
}
void TesterEngine::sendCommand(Command command)
{
    cmds.sendCommand(command);
}
void TesterEngine::sendValueCommand(Command command, const QString &value)
{
    cmds.sendValueCommand(command, value);
}
void TesterEngine::setClearAll()
{
    counterReset->setClearAll();
}

void TesterEngine::doNextClear(Command lastCommand)
{
    if (lastCommand == Command::None)
        view.testerChanged(TesterChange::CounterReset);
    counterReset->doNextClear(lastCommand);
}

void TesterEngine::startOrdinaryDownload()
{
    view.testerChanged(s.session.learnConfigure ? TesterChange::Learn : TesterChange::ConfigDownload);
    download->startOrdinaryDownload();
}

void TesterEngine::startMasterDownload()
{
    view.testerChanged(TesterChange::MasterDownload);
    download->startMasterDownload();
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
