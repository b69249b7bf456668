#include "engine/station/StationExit.h"

#include "engine/config/ConfigCommands.h"
#include "engine/datalog/DataLog.h"
#include "engine/session/TesterSession.h"
#include "engine/state/MessageDialogs.h"
#include "engine/station/Station.h"

#include <QStringList>

namespace {

const QChar LineEnd = QLatin1Char('\n');

}   // namespace

bool readyToExit(Station &station, MessageDialogs &dialogs)
{
    QStringList breaking, unsaved;
    QList<TesterSession *> toSave;
    for (int i = 0; i < station.count(); ++i) {
        StationTester &tester = station.tester(i);
        TesterSession &session = tester.session();
        const TesterState &s = session.state();
        if (s.session.goAgainMode)
            breaking << QStringLiteral("%1: stops after %2 cycles").arg(tester.name()).arg(s.session.repeatCount);
        // A sample that waits for an open data file goes to it first.
        session.dataLog().checkDataSaved(false);
        QStringList what;
        if (s.session.dirtyData)
            what << QStringLiteral("test data");
        if (s.session.dirtyConfig)
            what << QStringLiteral("test configuration");
        if (what.isEmpty())
            continue;
        unsaved << tester.name() + QStringLiteral(": ") + what.join(QStringLiteral(", "));
        toSave << &session;
    }
    if (!breaking.isEmpty())
        dialogs.showError(QStringLiteral("Break Update Mode Cancel"),
                          QStringLiteral("These testers are set to stop at their next break and will not "
                                         "restart if the program is terminated:")
                              + LineEnd + breaking.join(LineEnd));
    if (unsaved.isEmpty())
        return true;
    const int16_t answer = dialogs.askYesNo(
        QStringLiteral("Save Data"),
        QStringLiteral("These testers have test data or a test configuration that has not been saved:") + LineEnd
            + unsaved.join(LineEnd) + LineEnd + LineEnd + QStringLiteral("Do you want to save them?"));
    if (answer == AnswerNo)
        return true;
    if (answer != AnswerYes)
        return false;
    for (TesterSession *session : toSave) {
        if (session->state().session.dirtyData && !session->dataLog().saveData(1))
            return false;
        if (session->state().session.dirtyConfig && !session->configCommands().saveConfiguration())
            return false;
    }
    return true;
}
