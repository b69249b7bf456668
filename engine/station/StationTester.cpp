#include "engine/station/StationTester.h"

#include "engine/preferences/Registry.h"
#include "engine/session/TesterSession.h"
#include "engine/state/TesterState.h"

QString stationTesterName(const TesterState &s, const RunGlance &summary)
{
    const QString port =
        summary.port() > 0 ? QStringLiteral("Comm %1").arg(summary.port()) : QStringLiteral("a new tester");
    if (s.identity.serialNumber.trimmed().isEmpty())
        return port;
    return s.identity.serialNumber.trimmed() + QStringLiteral(" on ") + port;
}

StationTester::StationTester(const StationOutside &outside, PortClaims &claims)
    : store(outside.settings), dialogs(outside.dialogs, *this)
{
    // Each tester's runs go to the archive on their own: the archive keys
    // them by the tester's serial number.
    SessionOutside own{outside.newPort(),        store,           dialogs, outside.dataFileDialog,
                       outside.configFileDialog, outside.archive, &claims};
    testerSession = std::make_unique<TesterSession>(own, 0);
}

StationTester::~StationTester() = default;

QString StationTester::name() const
{
    return stationTesterName(testerSession->state(), testerSession->glance());
}

void StationTester::sampleTaken()
{
    const TesterState &s = testerSession->state();
    if (store.setSerialNumber(s.identity.serialNumber)) {
        Registry &registry = testerSession->registry();
        Q_EMIT registry.recentFilesChanged();
    }
    // The first sample is where the watch begins; a counter reset begins it again.
    if (seenFailures < 0 || s.counters.failCount < seenFailures)
        seenFailures = s.counters.failCount;
}

bool StationTester::newFailure() const
{
    return seenFailures >= 0 && testerSession->state().counters.failCount > seenFailures;
}

void StationTester::failuresSeen()
{
    if (seenFailures >= 0)
        seenFailures = testerSession->state().counters.failCount;
}
