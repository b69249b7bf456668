#include "engine/trend/TrendLogReader.h"

#include "engine/datalog/DataLog.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

namespace {

constexpr int ColumnCount = 37;
constexpr float Unknown = std::numeric_limits<float>::quiet_NaN();
constexpr qint64 ChunkBytes = qint64(1) << 22;
constexpr qint64 MinChunkBytes = qint64(1) << 16;
// Far longer than any sample line; a longer run of bytes without a line end
// is garbage and is skipped as one line.
constexpr size_t LineLimit = 4096;

// What a column may hold, as the program writes it.
enum Kind : char {
    Date,      // "mm/dd/yyyy hh:mm:ss"
    Count,     // the tester's counters, never negative
    Integer,   // limits, codes
    Contact,   // a number, or "???" when the range or mode was not known
    Bounce,    // a number, or "?" from testers before software 1.2
    Number,    // times and the version
    Range,     // a number, "-----" before a range was known, "----" for an unknown mode
    Text,      // the serial number
};

constexpr Kind Columns[ColumnCount] = {
    Date,    Count,   Count,   Count,                     // DtTm CyCnt FlCnt SqCnt
    Contact, Contact, Contact, Contact,                   // MnDwR MxDwR MnUpR MxUpR
    Number,  Number,  Contact, Contact,                   // DwBnc UpBnc LstDR LstUR
    Bounce,  Bounce,  Number,  Number,                    // LstDnBnc LstUpBnc LstDT LstUT
    Integer, Integer, Integer, Integer,                   // ErrCd CyLim FlLim SqLim
    Contact, Contact, Contact, Contact,                   // MnDwTol MxDwTol MnUpTol MxUpTol
    Number,  Number,  Number,  Number,  Number, Number,   // DwBncTol UpBncTol MnDwT MxDwT MnUpT MxUpT
    Contact, Contact, Integer, Integer,                   // BncL BncU ConTyp Rmode
    Range,   Number,  Text,                               // Rpull Ver SN
};

enum Column {
    DtTm = 0,
    CyCnt = 1,
    FlCnt = 2,
    LstDR = 10,
    LstUR = 11,
    LstDnBnc = 12,
    LstUpBnc = 13,
    LstDT = 14,
    LstUT = 15,
    MnDwTol = 20,
    MxDwTol = 21,
    MnUpTol = 22,
    MxUpTol = 23,
    DwBncTol = 24,
    UpBncTol = 25,
    MnDwT = 26,
    MxDwT = 27,
    MnUpT = 28,
    MxUpT = 29,
    ConTyp = 32,
    Rmode = 33,
    Rpull = 34,
};

bool is(const char *begin, const char *end, const char *text)
{
    const size_t n = std::strlen(text);
    return size_t(end - begin) == n && std::memcmp(begin, text, n) == 0;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int digitsAt(const char *text, int length)
{
    int value = 0;
    for (int i = 0; i < length; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// "mm/dd/yyyy hh:mm:ss" to the wall clock in milliseconds, NaN for a date
// or time that does not exist (the line is a sample all the same).
bool readDate(const char *begin, const char *end, double &value)
{
    static const char Shape[] = "00/00/0000 00:00:00";
    if (end - begin != qsizetype(sizeof(Shape) - 1))
        return false;
    for (size_t i = 0; i < sizeof(Shape) - 1; ++i) {
        if (Shape[i] == '0' ? !isDigit(begin[i]) : begin[i] != Shape[i])
            return false;
    }
    const int64_t ms = trendWallClockMs(digitsAt(begin + 6, 4), digitsAt(begin, 2), digitsAt(begin + 3, 2),
                                        digitsAt(begin + 11, 2), digitsAt(begin + 14, 2), digitsAt(begin + 17, 2));
    value = ms == TrendUnknownTime ? Unknown : double(ms);
    return true;
}

// A decimal number as the program writes it: an optional minus, digits, and
// an optional point with more digits. Up to ExactDigits digits and decimals
// are gathered as integers and divided once, which rounds as exactly as a
// library reader and is several times faster; a longer number goes to the
// library (gathering its digits would overflow from the 19th on).
constexpr double PowersOfTen[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr int ExactDigits = int(std::size(PowersOfTen)) - 1;

// What a 32-bit field of the tester may hold, its minimum included.
bool fitsInteger(double value)
{
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

bool readNumber(const char *begin, const char *end, double &value, bool integer = false)
{
    const char *p = begin;
    const bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    int64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (; p != end; ++p) {
        if (isDigit(*p)) {
            if (count < ExactDigits)
                digits = digits * 10 + (*p - '0');
            ++count;
            decimals += point;
        } else if (*p == '.' && !point && !integer) {
            point = true;
        } else {
            return false;
        }
    }
    if (count == 0)
        return false;
    if (count > ExactDigits) {
        const auto [at, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
        return error == std::errc() && at == end && std::isfinite(value) && (!integer || fitsInteger(value));
    }
    value = double(negative ? -digits : digits) / PowersOfTen[decimals];
    return !integer || fitsInteger(value);
}

bool readInteger(const char *begin, const char *end, double &value)
{
    return readNumber(begin, end, value, true);
}

bool readColumn(Kind kind, const char *begin, const char *end, double &value)
{
    value = Unknown;
    switch (kind) {
    case Date: return readDate(begin, end, value);
    case Count: return readInteger(begin, end, value) && value >= 0;
    case Integer: return readInteger(begin, end, value);
    case Contact: return is(begin, end, "???") || readNumber(begin, end, value);
    case Bounce: return is(begin, end, "?") || readNumber(begin, end, value);
    case Number: return readNumber(begin, end, value);
    case Range: return is(begin, end, "-----") || is(begin, end, "----") || readNumber(begin, end, value);
    case Text: return true;
    }
    return false;
}

// Resistance columns hold an open contact as twice the largest finite
// resistance, so that every column stays a number.
float contact(double value, int mode, double range)
{
    if (mode == 0 && range >= 1 && value > range * 1022)
        return std::numeric_limits<float>::infinity();
    return float(value);
}

}   // namespace

bool parseTrendLine(const char *begin, const char *end, TrendReading &reading)
{
    double v[ColumnCount];
    int column = 0;
    const char *field = begin;
    for (const char *p = begin;; ++p) {
        if (p != end && *p != ',')
            continue;
        if (column == ColumnCount || !readColumn(Columns[column], field, p, v[column]))
            return false;
        ++column;
        if (p == end)
            break;
        field = p + 1;
    }
    if (column != ColumnCount)
        return false;

    const int mode = int(v[Rmode]);
    const double range = v[Rpull];
    reading.timeMs = std::isnan(v[DtTm]) ? TrendUnknownTime : int64_t(v[DtTm]);
    reading.cycleCount = int32_t(v[CyCnt]);
    reading.failCount = int32_t(v[FlCnt]);
    reading.contact[TrendDown] = contact(v[LstDR], mode, range);
    reading.contact[TrendUp] = contact(v[LstUR], mode, range);
    reading.bounce[TrendDown] = float(v[LstDnBnc]);
    reading.bounce[TrendUp] = float(v[LstUpBnc]);
    reading.strokeTime[TrendDown] = float(v[LstDT]);
    reading.strokeTime[TrendUp] = float(v[LstUT]);
    TrendLimits &l = reading.limits;
    l.mode = mode;
    l.contactCode = int32_t(v[ConTyp]);
    l.minContact[TrendDown] = contact(v[MnDwTol], mode, range);
    l.maxContact[TrendDown] = contact(v[MxDwTol], mode, range);
    l.minContact[TrendUp] = contact(v[MnUpTol], mode, range);
    l.maxContact[TrendUp] = contact(v[MxUpTol], mode, range);
    l.maxBounce[TrendDown] = float(v[DwBncTol]);
    l.maxBounce[TrendUp] = float(v[UpBncTol]);
    l.minTime[TrendDown] = float(v[MnDwT]);
    l.maxTime[TrendDown] = float(v[MxDwT]);
    l.minTime[TrendUp] = float(v[MnUpT]);
    l.maxTime[TrendUp] = float(v[MxUpT]);
    return true;
}

namespace {

// Why a data log cannot be read; empty once it is open.
QString openTrendLog(const QString &path, QFile &file)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("there is no such file");
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file");
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be opened (%1)").arg(file.errorString());
    return QString();
}

// Cuts the chunks read from a log into lines, joins a line that runs over a
// chunk's end, and takes each line into the history, or hands each sample
// line on: both number the samples alike.
class LogLineSplitter
{
public:
    LogLineSplitter(TrendHistory *history, const TrendLogLine *eachLine, TrendLogResult &result)
        : history(history), eachLine(eachLine), result(result)
    {
    }

    bool stopped() const { return halted; }

    void feed(const char *p, const char *stop)
    {
        while (p < stop && !halted) {
            const char *eol = p;
            while (eol < stop && *eol != '\n' && *eol != '\r')
                ++eol;
            if (eol == stop) {
                // The line goes on in the next chunk.
                if (!overlong && line.size() + size_t(eol - p) <= LineLimit)
                    line.insert(line.end(), p, eol);
                else
                    overlong = true;
                break;
            }
            if (overlong) {
                ++result.skipped;
                overlong = false;
            } else if (!line.empty()) {
                line.insert(line.end(), p, eol);
                takeLine(line.data(), line.data() + line.size());
            } else {
                takeLine(p, eol);
            }
            line.clear();
            p = eol + 1;
        }
    }

    // The last line may lack its line end (or be cut short).
    void finish()
    {
        if (overlong)
            ++result.skipped;
        else if (!line.empty() && !halted)
            takeLine(line.data(), line.data() + line.size());
    }

private:
    void takeLine(const char *begin, const char *end)
    {
        if (begin == end)
            return;   // the LF of a CR LF pair, or a blank line
        if (size_t(end - begin) == headerLength && std::memcmp(begin, DataLogHeader, headerLength) == 0) {
            // A header after samples: another recording was appended here.
            if (result.samples > 0 && history)
                history->startSession();
            return;
        }
        if (parseTrendLine(begin, end, reading)) {
            if (history)
                history->append(reading);
            if (eachLine && !(*eachLine)(begin, end))
                halted = true;
            ++result.samples;
        } else {
            ++result.skipped;
        }
    }

    TrendHistory *history;
    const TrendLogLine *eachLine;
    TrendLogResult &result;
    bool halted = false;
    const size_t headerLength = std::strlen(DataLogHeader);
    TrendReading reading;
    std::vector<char> line;   // the part of a line that ended a chunk
    bool overlong = false;
};

TrendLogResult readLog(const QString &path, TrendHistory *history, const TrendLogLine *eachLine)
{
    TrendLogResult result;
    QFile file(path);
    result.problem = openTrendLog(path, file);
    if (!result.problem.isEmpty())
        return result;

    LogLineSplitter lines(history, eachLine, result);
    // A small log needs no buffer of a whole chunk (a pipe tells no size).
    const qint64 chunkBytes = file.isSequential() ? ChunkBytes : std::clamp(file.size(), MinChunkBytes, ChunkBytes);
    std::vector<char> chunk(static_cast<size_t>(chunkBytes));
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunkBytes);
        if (got < 0) {
            result.problem = QStringLiteral("reading it failed (%1)").arg(file.errorString());
            return result;
        }
        if (got == 0 || lines.stopped())
            break;
        lines.feed(chunk.data(), chunk.data() + got);
    }
    lines.finish();
    result.opened = true;
    return result;
}

}   // namespace

TrendLogResult readTrendLog(const QString &path, TrendHistory &history)
{
    return readLog(path, &history, nullptr);
}

TrendLogResult readTrendLogLines(const QString &path, const TrendLogLine &eachLine)
{
    return readLog(path, nullptr, &eachLine);
}
