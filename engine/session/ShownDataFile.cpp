#include "engine/session/ShownDataFile.h"

#include "engine/archive/RunFileLog.h"
#include "engine/datalog/DataLog.h"
#include "engine/session/TesterSession.h"

ShownDataFile shownDataFile(const TesterSession &session)
{
    const TesterState &s = session.state();
    if (s.session.dataFileOpen)
        return {s.session.dataFileName, session.dataLog().linesWritten(), session.dataLog().lastLineTime()};
    const RunFileLog &runFile = session.runFile();
    if (runFile.isOpen())
        return {runFile.fileName(), runFile.linesWritten(), runFile.lastLineTime()};
    return {};
}
