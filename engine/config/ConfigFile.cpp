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
};

constexpr Item byteItem(StateField<TesterState::Integer> field)
{
    return {Kind::Byte, nullptr, field};
}
constexpr Item longItem(Kind kind, StateField<TesterState::Long> field)
{
    return {kind, field, nullptr};
}

// Limits failure, sequential, cycle; times down before up and maximum before
// minimum; tolerances up before down; bounce times down before up.
const Item Items[] = {
    byteItem(stateField<&TesterState::pending, &TesterConfig::contact>),
    longItem(Kind::Count, stateField<&TesterState::pending, &TesterConfig::failLimit>),
    longItem(Kind::Count, stateField<&TesterState::pending, &TesterConfig::seqLimit>),
    longItem(Kind::Count, stateField<&TesterState::pending, &TesterConfig::cycleLimit>),
    longItem(Kind::StrokeTime, stateField<&TesterState::pending, &TesterConfig::maxDownTime>),
    longItem(Kind::StrokeTime, stateField<&TesterState::pending, &TesterConfig::minDownTime>),
    longItem(Kind::StrokeTime, stateField<&TesterState::pending, &TesterConfig::maxUpTime>),
    longItem(Kind::StrokeTime, stateField<&TesterState::pending, &TesterConfig::minUpTime>),
    byteItem(stateField<&TesterState::pending, &TesterConfig::upperBounce>),
    byteItem(stateField<&TesterState::pending, &TesterConfig::lowerBounce>),
    longItem(Kind::Tolerance, stateField<&TesterState::pending, &TesterConfig::maxUpResistTol>),
    longItem(Kind::Tolerance, stateField<&TesterState::pending, &TesterConfig::minUpResistTol>),
    longItem(Kind::Tolerance, stateField<&TesterState::pending, &TesterConfig::maxDownResistTol>),
    longItem(Kind::Tolerance, stateField<&TesterState::pending, &TesterConfig::minDownResistTol>),
    longItem(Kind::BounceTime, stateField<&TesterState::pending, &TesterConfig::maxDownBounceTol>),
    longItem(Kind::BounceTime, stateField<&TesterState::pending, &TesterConfig::maxUpBounceTol>),
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

private:
    const QByteArray &text;
    qsizetype pos = 0;
};

// Contact code and thresholds: a whole decimal number 0..255 and nothing
// else. A fraction or a word there is a damaged file, not a value to round.
bool readByteField(const QString &field, TesterState::Integer &target)
{
    bool ok = false;
    const int value = field.trimmed().toInt(&ok, 10);
    if (!ok || value < 0 || value > 255)
        return false;
    target = TesterState::Integer(value);
    return true;
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
        int mode = 0;
        if (!readInteger16(field, mode) || mode < 0 || mode > 255)
            return false;
        s.pending.rangeMode = TesterState::Integer(mode);
    } else if (parseNumber(field) != s.pending.rangeMode) {
        return false;
    }
    if (!reader.next(field))
        return false;
    if (master) {
        int range = 0;
        if (!readInteger16(field, range) || range < 0)
            return false;
        s.pending.rangePullUp = range;
    } else if (parseNumber(field) != s.pending.rangePullUp) {
        return false;
    }
    return true;
}

// The sixteen items into the edit copy; false at the first that is missing
// or out of its range.
bool readItemValues(FieldReader &reader, TesterState &s)
{
    QString field;
    for (const Item &item : Items) {
        if (!reader.next(field))
            return false;
        bool readjust = false;
        switch (item.kind) {
        case Kind::Byte:
            if (!readByteField(field, item.integerField(s)))
                return false;
            break;
        case Kind::Count: item.longField(s) = parseCount(field, readjust); break;
        case Kind::StrokeTime: item.longField(s) = parseStrokeTime(field, readjust); break;
        case Kind::Tolerance: item.longField(s) = parseTolerance(s, field, readjust); break;
        case Kind::BounceTime: item.longField(s) = parseBounceTime(field, readjust); break;
        }
        if (readjust)
            return false;
    }
    return true;
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
    // A value beyond its item's range is rejected, never clamped.
    message = InvalidData;
    return readItemValues(reader, s);
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
