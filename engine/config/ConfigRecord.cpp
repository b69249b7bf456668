#include "engine/config/ConfigRecord.h"

#include "engine/state/TesterState.h"

void copyCurrentConfigToEdit(TesterState &s)
{
    // The serial number to send is the one item a master file or a master
    // reset sets; the tester's own is its identity's.
    const QString serialNumber = s.pending.serialNumber;
    s.pending = s.reported;
    s.pending.serialNumber = serialNumber;
}
