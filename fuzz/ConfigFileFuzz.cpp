// The configuration file reader on any bytes, against a tester of software
// 1.2 measuring resistance with a 1000-ohm pull-up (master files bring other
// modes and ranges). A file it accepts must come back the same when it is
// saved and opened again.

#include "FuzzSupport.h"

#include "engine/config/ConfigFile.h"
#include "engine/preferences/Registry.h"
#include "engine/state/TesterState.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <array>

namespace {

TesterState testerWith(int mode, TesterState::Long range)
{
    TesterState s;
    s.identity.softwareVersion = 12;
    s.reported.rangeMode = TesterState::Integer(mode);
    s.reported.rangePullUp = range;
    return s;
}

// What a configuration file sets, less the contact tolerances: the file
// keeps those to one decimal (or three), which at a small range holds less
// than the tester's count; they come back with the same text.
std::array<int64_t, 14> exactSettings(const TesterState &s)
{
    return {s.pending.contact,     s.pending.failLimit,   s.pending.seqLimit,         s.pending.cycleLimit,
            s.pending.maxDownTime, s.pending.minDownTime, s.pending.maxUpTime,        s.pending.minUpTime,
            s.pending.upperBounce, s.pending.lowerBounce, s.pending.maxDownBounceTol, s.pending.maxUpBounceTol,
            s.pending.rangeMode,   s.pending.rangePullUp};
}

QByteArray savedText(const TesterState &s)
{
    QByteArray text;
    for (const QString &line : configFileLines(s))
        text += line.toLatin1() + "\r\n";
    return text;
}

bool openConfig(TesterState &s, const QString &path)
{
    FakeMessageDialogs dialogs;
    MemorySettingsStore store;
    Registry registry(store);
    ConfigFile file(s, dialogs, registry);
    const bool accepted = file.openConfigFile(path);
    fuzzCheck(accepted == dialogs.calls.isEmpty(), "a refused file says why, an accepted one says nothing");
    return accepted;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TesterState s = testerWith(0, 1000);
    if (!openConfig(s, inputFilePath(data, size)))
        return 0;

    // Downloaded, the tester measures in the file's mode and range; saved
    // as this program writes it and opened again on that tester.
    s.reported.rangeMode = s.pending.rangeMode;
    s.reported.rangePullUp = s.pending.rangePullUp;
    const QByteArray saved = savedText(s);
    TesterState again = testerWith(s.pending.rangeMode, s.pending.rangePullUp);
    fuzzCheck(
        openConfig(again, inputFilePath(reinterpret_cast<const uint8_t *>(saved.constData()), size_t(saved.size()))),
        "a saved configuration opens again");
    fuzzCheck(exactSettings(again) == exactSettings(s) && savedText(again) == saved,
              "a saved configuration opens as it was");
    return 0;
}
