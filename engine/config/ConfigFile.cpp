#include "engine/config/ConfigFile.h"

#include "engine/config/ConfigRecord.h"
#include "engine/preferences/Registry.h"
#include "engine/state/DataFormat.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/NumberReader.h"
#include "engine/state/StateTexts.h"
#include "engine/state/TesterState.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <limits>

namespace {

const QString Signature = QStringLiteral("Model 418C");
const QString MasterSignature = QStringLiteral("Model 418C Master");
const QString OpenErrorTitle = QStringLiteral("File Open Error");
const QString SaveErrorTitle = QStringLiteral("File Save Error");
const QString CannotOpen = QStringLiteral("An error occurred when opening the file");
const QString Incompatible = QStringLiteral("Incompatible data format");
const QString InvalidData = QStringLiteral("Invalid data in file");
const QString NoAccess = QStringLiteral("Error gaining access to file");
const QString WriteError = QStringLiteral("Error writing data");
const QString CloseError = QStringLiteral("Error closing file");
const char LineEnd[] = "\r\n";

constexpr int SerialLength = 8;
// A configuration is a few hundred bytes and fields after the last are
// ignored: a chosen file that is far larger is read only this far.
constexpr qint64 ReadLimit = 1 << 20;

// Fields 5 to 20, in file order, with how each is written and read.
enum class Kind { Byte, Count, StrokeTime, Tolerance, BounceTime };

struct Item
{
    Kind kind;
    StateField<TesterState::Long> longField;
    StateField<TesterState::Integer> integerField;
    const char *name;   // for the message that refuses its value
};

constexpr Item byteItem(const char *name, StateField<TesterState::Integer> field)
{
    return {Kind::Byte, nullptr, field, name};
}
constexpr Item longItem(const char *name, Kind kind, StateField<TesterState::Long> field)
{
    return {kind, field, nullptr, name};
}

// Limits failure, sequential, cycle; times down before up and maximum before
// minimum; tolerances up before down; bounce times down before up.
const Item Items[] = {
    byteItem("contact code", stateField<&TesterState::pending, &TesterConfig::contact>),
    longItem("failure limit", Kind::Count, stateField<&TesterState::pending, &TesterConfig::failLimit>),
    longItem("sequential failure limit", Kind::Count, stateField<&TesterState::pending, &TesterConfig::seqLimit>),
    longItem("cycle limit", Kind::Count, stateField<&TesterState::pending, &TesterConfig::cycleLimit>),
    longItem("maximum down-stroke time", Kind::StrokeTime,
             stateField<&TesterState::pending, &TesterConfig::maxDownTime>),
    longItem("minimum down-stroke time", Kind::StrokeTime,
             stateField<&TesterState::pending, &TesterConfig::minDownTime>),
    longItem("maximum up-stroke time", Kind::StrokeTime, stateField<&TesterState::pending, &TesterConfig::maxUpTime>),
    longItem("minimum up-stroke time", Kind::StrokeTime, stateField<&TesterState::pending, &TesterConfig::minUpTime>),
    byteItem("upper bounce threshold", stateField<&TesterState::pending, &TesterConfig::upperBounce>),
    byteItem("lower bounce threshold", stateField<&TesterState::pending, &TesterConfig::lowerBounce>),
    longItem("maximum up-stroke tolerance", Kind::Tolerance,
             stateField<&TesterState::pending, &TesterConfig::maxUpResistTol>),
    longItem("minimum up-stroke tolerance", Kind::Tolerance,
             stateField<&TesterState::pending, &TesterConfig::minUpResistTol>),
    longItem("maximum down-stroke tolerance", Kind::Tolerance,
             stateField<&TesterState::pending, &TesterConfig::maxDownResistTol>),
    longItem("minimum down-stroke tolerance", Kind::Tolerance,
             stateField<&TesterState::pending, &TesterConfig::minDownResistTol>),
    longItem("maximum down-stroke bounce time", Kind::BounceTime,
             stateField<&TesterState::pending, &TesterConfig::maxDownBounceTol>),
    longItem("maximum up-stroke bounce time", Kind::BounceTime,
             stateField<&TesterState::pending, &TesterConfig::maxUpBounceTol>),
};

QString itemText(const TesterState &s, const Item &item)
{
    switch (item.kind) {
    case Kind::Byte: return QString::number(item.integerField(s));
    case Kind::Count: return QString::number(item.longField(s));
    case Kind::StrokeTime: return formatStrokeTime(item.longField(s));
    case Kind::Tolerance: return formatResistance(s, item.longField(s), false);
    case Kind::BounceTime: return formatBounceTime(item.longField(s));
    }
    return QString();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool endsField(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}

// The file as a sequence of fields: a field ends at a comma or a line end
// (CR LF, CR or LF), blanks before it are skipped, and a field in double
// quotes is taken without them. Other stations write these files too.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &bytes) : text(bytes) {}

    // False at the end of the file: the file ended early.
    bool next(QString &field)
    {
        const qsizetype n = text.size();
        while (pos < n && isBlank(text[pos]))
            ++pos;
        fieldLine = lineAt(pos);
        if (pos >= n)
            return false;
        qsizetype start = pos;
        qsizetype end;
        if (text[pos] == '"') {
            start = ++pos;
            while (pos < n && text[pos] != '"')
                ++pos;
            end = pos;
            while (pos < n && !endsField(text[pos]))   // after the closing quote
                ++pos;
        } else {
            while (pos < n && !endsField(text[pos]))
                ++pos;
            end = pos;
            while (end > start && isBlank(text[end - 1]))
                --end;
        }
        if (pos < n) {
            const char separator = text[pos++];
            if (separator == '\r' && pos < n && text[pos] == '\n')
                ++pos;
        }
        field = QString::fromLatin1(text.constData() + start, end - start);
        return true;
    }

    // The line the last field began on, from 1; after the end of the file,
    // the line the next field would have begun on.
    int line() const { return fieldLine; }

private:
    // Line ends are CR LF, CR or LF, as the fields' separators.
    int lineAt(qsizetype at)
    {
        for (; counted < at; ++counted) {
            const char c = text[counted];
            if (c == '\n' || (c == '\r' && (counted + 1 >= text.size() || text[counted + 1] != '\n')))
                ++lineEnds;
        }
        return lineEnds + 1;
    }

    const QByteArray &text;
    qsizetype pos = 0;
    qsizetype counted = 0;   // text before this is counted in lineEnds
    int lineEnds = 0;
    int fieldLine = 1;
};

// The range an item is refused beyond, in the words and units of the file.
QString boundText(const TesterState &s, Kind kind, bool upper)
{
    switch (kind) {
    case Kind::Byte: return QString::number(upper ? 255 : 0);
    case Kind::Count: return QString::number(upper ? MaxLimitCount : MinLimitCount);
    case Kind::StrokeTime: return formatStrokeTime(upper ? MaxStrokeTimeMs : MinStrokeTimeMs);
    case Kind::BounceTime: return formatBounceTime(upper ? MaxBounceTicks : 0);
    case Kind::Tolerance: break;
    }
    if (!upper)
        return QStringLiteral("0");
    // The largest tolerance is just short of an open contact in ohms, and
    // full scale in mA or V.
    const double range = s.pending.rangePullUp;
    switch (s.pending.rangeMode) {
    case 0: return formatDecimal(range * (FullScaleCount - 1), 0, 3);
    case 1: return formatDecimal(range / 10, 0, 6);
    case 2: return formatDecimal(range / 1000, 0, 6);
    default: return QStringLiteral("0");
    }
}

// The lowest value an item takes, in the tester's units: a value read back
// as this after a clamp was below the range.
int32_t lowestValue(Kind kind)
{
    switch (kind) {
    case Kind::Count: return MinLimitCount;
    case Kind::StrokeTime: return MinStrokeTimeMs;
    default: return 0;
    }
}

// A field shown in a message: a damaged file may hold a line of any length.
QString shownText(const QString &field)
{
    constexpr int Longest = 40;
    return field.size() > Longest ? field.left(Longest) + QStringLiteral("...") : field;
}

// Reads one item into the edit copy. Says why its text cannot be taken
// ("minimum up-stroke time 0.010 is below 0.025"); empty when it was taken.
// Contact code and thresholds are a whole decimal number 0..255 and nothing
// else: a fraction or a word there is a damaged file, not a value to round.
// Elsewhere a text that holds no number is refused rather than read as 0.
QString readItem(TesterState &s, const Item &item, const QString &field)
{
    const QString text = field.trimmed();
    const QString name = QLatin1String(item.name) + QLatin1Char(' ');
    const bool open = item.kind == Kind::Tolerance && text.contains(QLatin1String("open"), Qt::CaseInsensitive);
    if (!open && !holdsNumber(text))
        return name + QLatin1Char('"') + shownText(text) + QStringLiteral("\" is not a number");
    const QString shown = name + shownText(text);
    bool readjust = false;
    int32_t value = 0;
    switch (item.kind) {
    case Kind::Byte: {
        bool whole = false;
        value = text.toInt(&whole, 10);
        if (!whole)
            return shown + QStringLiteral(" is not a whole number");
        readjust = value < 0 || value > 255;
        if (!readjust)
            item.integerField(s) = TesterState::Integer(value);
        break;
    }
    case Kind::Count: value = item.longField(s) = parseCount(text, readjust); break;
    case Kind::StrokeTime: value = item.longField(s) = parseStrokeTime(text, readjust); break;
    case Kind::Tolerance: value = item.longField(s) = parseTolerance(s, text, readjust); break;
    case Kind::BounceTime: value = item.longField(s) = parseBounceTime(text, readjust); break;
    }
    if (!readjust)
        return QString();
    const bool below = item.kind == Kind::Byte ? value < 0 : value == lowestValue(item.kind);
    return shown + (below ? QStringLiteral(" is below ") : QStringLiteral(" is above "))
           + boundText(s, item.kind, !below);
}

// A master file's mode or range: a number rounded into a 16-bit integer.
// A word there must not rewrite the tester's measuring circuit as 0.
bool readInteger16(const QString &field, int &target)
{
    bool isNumber = false;
    const double value = roundHalfEven(QLocale::c().toDouble(field.trimmed(), &isNumber));
    if (!isNumber || !(value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max()))
        return false;
    target = int(value);
    return true;
}

// The signature (and a master file's serial number), the software version
// and the measuring circuit. A master file brings its own circuit, taken
// before the tolerances are converted; an ordinary one must match the tester's.
bool readFileHead(FieldReader &reader, TesterState &s)
{
    QString field;
    if (!reader.next(field) || (field != Signature && field != MasterSignature))
        return false;
    const bool master = field == MasterSignature;
    s.session.masterUpdate = master;
    if (master) {
        if (!reader.next(field))
            return false;
        s.pending.serialNumber = field.trimmed().left(SerialLength);
    }

    if (!reader.next(field) || field != displayVersion(s))
        return false;

    if (!reader.next(field))
        return false;
    if (master) {
        // The tester measures ohms, mA or V (modes 0 to 2): a file with any
        // other mode would give tolerances no unit to be read or saved in.
        int mode = 0;
        if (!readInteger16(field, mode) || mode < 0 || mode > 2)
            return false;
        s.pending.rangeMode = TesterState::Integer(mode);
    } else if (parseNumber(field) != s.pending.rangeMode) {
        return false;
    }
    if (!reader.next(field))
        return false;
    if (master) {
        // A pull-up or full scale of 0 measures nothing: no tolerance fits it.
        int range = 0;
        if (!readInteger16(field, range) || range < 1)
            return false;
        s.pending.rangePullUp = range;
    } else if (parseNumber(field) != s.pending.rangePullUp) {
        return false;
    }
    return true;
}

// The sixteen items into the edit copy. Says, with its line, why the first
// item that is missing or out of its range was refused; empty when all were
// taken.
QString readItemValues(FieldReader &reader, TesterState &s)
{
    QString field;
    for (const Item &item : Items) {
        const bool present = reader.next(field);
        const QString problem =
            present ? readItem(s, item, field) : QLatin1String(item.name) + QStringLiteral(" is missing");
        if (!problem.isEmpty())
            return QStringLiteral("Line %1: %2.").arg(reader.line()).arg(problem);
    }
    return QString();
}

}   // namespace

QStringList configFileLines(const TesterState &s)
{
    QStringList lines = {Signature, displayVersion(s), QString::number(s.pending.rangeMode),
                         QString::number(s.pending.rangePullUp)};
    for (const Item &item : Items)
        lines << itemText(s, item);
    return lines;
}

ConfigFile::ConfigFile(TesterState &state, MessageDialogs &messageDialogs, Registry &recentLists)
    : s(state), dialogs(messageDialogs), registry(recentLists)
{
}

bool ConfigFile::openConfigFile(const QString &nam)
{
    QString message = CannotOpen;
    s.session.dirtyConfig = false;

    QFile file(nam);
    if (nam.isEmpty() || !file.open(QIODevice::ReadOnly))
        return openFailed(message);
    const QByteArray bytes = file.read(ReadLimit);
    const bool readOk = file.error() == QFileDevice::NoError;
    file.close();
    if (!readOk)
        return openFailed(message);

    const QString serialBefore = s.pending.serialNumber;
    if (!readFields(bytes, message)) {
        s.pending.serialNumber = serialBefore;
        return openFailed(message);
    }

    registry.addRecentConfigFile(nam);
    s.session.configFileName = nam;
    return true;
}

bool ConfigFile::readFields(const QByteArray &bytes, QString &message)
{
    FieldReader reader(bytes);
    message = Incompatible;
    copyCurrentConfigToEdit(s);
    if (!readFileHead(reader, s))
        return false;
    // A value beyond its item's range is rejected, never clamped, and the
    // message names it with its line.
    const QString problem = readItemValues(reader, s);
    message = InvalidData + QLatin1Char('\n') + problem;
    return problem.isEmpty();
}

bool ConfigFile::openFailed(const QString &message)
{
    s.session.configFileName.clear();
    // A file that was not accepted starts no download, master or not.
    s.session.masterUpdate = false;
    dialogs.showError(OpenErrorTitle, message);
    return false;
}

bool ConfigFile::saveConfigFile(const QString &nam)
{
    QString message = NoAccess;
    // The new text goes to a temporary file that replaces the old one only
    // once it is complete: a failed save never leaves a damaged file behind.
    QSaveFile file(nam);
    bool ok = !nam.isEmpty() && file.open(QIODevice::WriteOnly);
    if (ok) {
        message = WriteError;
        copyCurrentConfigToEdit(s);
        for (const QString &line : configFileLines(s)) {
            const QByteArray bytes = line.toLatin1() + LineEnd;
            if (file.write(bytes) != bytes.size()) {
                ok = false;
                break;
            }
        }
        // QSaveFile buffers the lines, and commit() ignores an error that
        // happens while the buffer goes out (a full disk): it would put a
        // cut-off file in place of the old one. Flush first and look.
        ok = ok && file.flush();
    }
    if (ok) {
        message = CloseError;
        ok = file.commit();
    }
    if (!ok) {
        // Not committed: the temporary file goes with `file`, the old one stays.
        s.session.configFileName.clear();
        dialogs.showError(SaveErrorTitle, message);
        return false;
    }
    registry.addRecentConfigFile(nam);
    s.session.configFileName = nam;
    s.session.dirtyConfig = false;
    return true;
}
