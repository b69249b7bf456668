// The program's command line from any text, the arguments split at NUL
// bytes. Whatever is given, the program either stops with 0 or 2 or starts
// with options in range; an archive named there is read as at start.

#include "FuzzSupport.h"

#include "app/AppOptions.h"
#include "engine/archive/ArchiveLocation.h"
#include "engine/state/Protocol.h"

#include <QLocale>
#include <cmath>

namespace {

// The help and the complaints about a bad option go nowhere while the
// fuzzer runs; its own report and a broken property still reach stderr.
class Silenced
{
public:
    Silenced() : out(stdout), err(stderr) { stdout = stderr = nowhere(); }
    ~Silenced() { stdout = out, stderr = err; }

private:
    static FILE *nowhere()
    {
        static FILE *const file = std::fopen("/dev/null", "w");
        return file;
    }
    FILE *out, *err;
};

bool inRange(const AppOptions &o)
{
    for (auto port = o.portMap.cbegin(); port != o.portMap.cend(); ++port)
        if (port.key() < 1 || port.key() > PortCount || port.value().isEmpty())
            return false;
    bool isId = false;
    const qint64 id = QLocale::c().toLongLong(o.exportRun, &isId);
    const bool runNamed = o.exportRun.isEmpty() || o.exportRun == QLatin1String("last") || (isId && id >= 1);
    const bool trendPicture = std::isfinite(o.trendZoomFrom) && std::isfinite(o.trendZoomTo)
                              && (o.trendZoomFrom < o.trendZoomTo || (o.trendZoomFrom == 0 && o.trendZoomTo == 0))
                              && !std::isinf(o.trendCursor);
    return o.pollPeriodMs >= 1 && o.pollPeriodMs <= 1000 && runNamed && !(o.listRuns && !o.exportRun.isEmpty())
           && o.simulatedTesters >= 0 && o.simulatedTesters <= PortCount && trendPicture;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList args{QStringLiteral("lifecycle")};
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QByteArray &arg : text.split('\0'))
        args << QString::fromLocal8Bit(arg);
    AppOptions options;
    {
        Silenced quiet;
        options = parseCommandLine(args);
    }
    if (options.exitNow) {
        fuzzCheck(options.exitCode == 0 || options.exitCode == 2, "a stop before start exits with 0 or 2");
        return 0;
    }
    fuzzCheck(inRange(options), "a start has its options in range");
    if (!options.archive.isEmpty()) {
        ArchiveLocation location;
        parseArchiveLocation(options.archive, location);
    }
    return 0;
}
