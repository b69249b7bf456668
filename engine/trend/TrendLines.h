#pragma once

#include "engine/trend/TrendReduction.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

struct TesterState;

// Where the data log lines of a history's samples come from. The history
// keeps only what the charts draw; a data log line holds more (the minimum
// and maximum readings, the sequential count, the whole configuration), so
// it is read back from the run's source.
class TrendLineSource
{
public:
    using EachLine = std::function<void(size_t sample, const QByteArray &line)>;

    virtual ~TrendLineSource() = default;
    // Hands on the line (without its line end) of every sample from first to
    // last, in order, numbered as the history numbers its samples. Empty, or
    // what failed.
    virtual QString readLines(size_t first, size_t last, const EachLine &eachLine) = 0;
};

// The live run's lines, formatted by the data log's own code as each sample
// comes (byte for byte what the data log writes), kept compressed in blocks
// of TrendHistory::SpanSize lines: about a tenth of their size.
class TrendLineStore : public TrendLineSource
{
public:
    void append(const TesterState &s);
    void clear();
    size_t size() const { return packed.size() * BlockLines + openLines; }
    size_t bytesUsed() const;

    QString readLines(size_t first, size_t last, const EachLine &eachLine) override;

private:
    static constexpr size_t BlockLines = TrendHistory::SpanSize;

    std::vector<QByteArray> packed;   // full blocks, each line ending in '\n', compressed
    QByteArray open;                  // the block being filled, uncompressed
    size_t openLines = 0;
};

// A plotted data log's lines: the file is read again, its sample lines
// numbered as readTrendLog numbered them. A log that grew since is fine; one
// that now holds fewer sample lines has changed and is refused.
class TrendLogLines : public TrendLineSource
{
public:
    explicit TrendLogLines(const QString &path) : path(path) {}
    QString readLines(size_t first, size_t last, const EachLine &eachLine) override;

private:
    QString path;
};

// Writes the samples of the shown range (those whose position lies in it)
// as a data log file: the data log's header, then their lines. The old file
// stays until the whole file is written. Empty, or what failed.
QString exportTrendRange(const TrendHistory &history, TrendAxis axis, TrendRange range, TrendLineSource &source,
                         const QString &path);
