#include "engine/trend/TrendLines.h"

#include "engine/datalog/DataLog.h"
#include "engine/trend/TrendFailures.h"
#include "engine/trend/TrendLogReader.h"

#include <QDir>
#include <QFile>
#include <algorithm>

void TrendLineStore::append(const TesterState &s)
{
    if (openLines == 0)
        open.reserve(int(BlockLines) * 256);
    open += sampleLogLine(s).toLatin1();
    open += '\n';
    if (++openLines < BlockLines)
        return;
    // qCompress leaves its output in a buffer as large as its input.
    packed.push_back(qCompress(open));
    packed.back().squeeze();
    open = QByteArray();
    openLines = 0;
}

void TrendLineStore::clear()
{
    packed.clear();
    open = QByteArray();
    openLines = 0;
}

size_t TrendLineStore::bytesUsed() const
{
    size_t bytes = packed.capacity() * sizeof(QByteArray) + size_t(open.capacity());
    for (const QByteArray &block : packed)
        bytes += size_t(block.capacity());
    return bytes;
}

QString TrendLineStore::readLines(size_t first, size_t last, const EachLine &eachLine)
{
    if (first > last || last >= size())
        return QStringLiteral("the run holds no such samples");
    for (size_t b = first / BlockLines; b <= last / BlockLines; ++b) {
        const QByteArray block = b < packed.size() ? qUncompress(packed[b]) : open;
        if (b < packed.size() && block.isEmpty())
            return QStringLiteral("the kept lines are damaged");
        size_t sample = b * BlockLines;
        for (qsizetype from = 0; from < block.size() && sample <= last; ++sample) {
            const qsizetype end = block.indexOf('\n', from);
            if (sample >= first)
                eachLine(sample, block.mid(from, end - from));
            from = end + 1;
        }
    }
    return QString();
}

QString TrendLogLines::readLines(size_t first, size_t last, const EachLine &eachLine)
{
    size_t sample = 0;
    const TrendLogResult read = readTrendLogLines(path, [&](const char *begin, const char *end) {
        if (sample >= first)
            eachLine(sample, QByteArray(begin, end - begin));
        return ++sample <= last;
    });
    if (!read.problem.isEmpty())
        return QStringLiteral("%1 cannot be read again: %2").arg(QDir::toNativeSeparators(path), read.problem);
    if (sample <= last)
        return QStringLiteral("%1 has changed since it was plotted").arg(QDir::toNativeSeparators(path));
    return QString();
}

QString exportTrendRange(const TrendHistory &history, TrendAxis axis, TrendRange range, TrendLineSource &source,
                         const QString &path)
{
    const TrendRangeFailures shown = trendRangeFailures(history, axis, range);
    if (shown.samples == 0)
        return QStringLiteral("The shown range holds no sample.");
    const QString shownPath = QDir::toNativeSeparators(path);
    QFile part(path + QStringLiteral(".part"));
    const auto notWritten = [&] {
        return QStringLiteral("The data log %1 cannot be written: %2.").arg(shownPath, part.errorString());
    };
    if (!part.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return notWritten();
    QByteArray lines = QByteArray(DataLogHeader) + "\r\n";
    bool written = true;
    // On the time axis a clock put back may leave samples between first and
    // last that lie outside the range: only those within it are written.
    const QString failure = source.readLines(shown.first, shown.last, [&](size_t sample, const QByteArray &line) {
        if (!range.contains(history.at(sample).position(axis)))
            return;
        lines += line;
        lines += "\r\n";
        if (lines.size() > (1 << 20)) {
            written = written && part.write(lines) == lines.size();
            lines.clear();
        }
    });
    written = written && part.write(lines) == lines.size() && part.flush();
    const QString writeFailure = written ? QString() : notWritten();
    part.close();
    if (!failure.isEmpty() || !written) {
        part.remove();
        return failure.isEmpty() ? writeFailure : QStringLiteral("The range cannot be exported: %1.").arg(failure);
    }
    QFile::remove(path);
    if (!part.rename(path)) {
        const QString renameFailure = notWritten();
        part.remove();
        return renameFailure;
    }
    return QString();
}
