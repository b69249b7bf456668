#pragma once

#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/DecodedSample.h"

#include <vector>

// The one road of every sample the engine decodes: the data log (when it
// takes the sample), then the archive and the run's own file, then whoever
// else listens, in the order they joined. The archive gets every sample,
// break samples included, whatever the data log does with them.
class SampleRoute : public SampleListener
{
public:
    SampleRoute(DataLog &log, RunRecorder &recorder) : log(log), recorder(recorder) {}

    void addListener(SampleListener &listener) { listeners.push_back(&listener); }

    bool takesTester(const QString &serialNumber) override
    {
        for (SampleListener *listener : listeners)
            if (!listener->takesTester(serialNumber))
                return false;
        return true;
    }

    void sampleTaken(const DecodedSample &sample) override
    {
        if (sample.forDataLog)
            log.saveToFile();
        recorder.sampleTaken();
        for (SampleListener *listener : listeners)
            listener->sampleTaken(sample);
    }

private:
    DataLog &log;
    RunRecorder &recorder;
    std::vector<SampleListener *> listeners;
};
