#pragma once

#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/TesterView.h"

// Every sample the engine decodes goes to the data log (when a file is
// open), then to the archive and the run's own file.
class ArchivedSampleLog : public SampleLog
{
public:
    ArchivedSampleLog(DataLog &log, RunRecorder &recorder) : log(log), recorder(recorder) {}
    void SaveToFile() override
    {
        log.SaveToFile();
        recorder.sampleTaken();
    }

private:
    DataLog &log;
    RunRecorder &recorder;
};
