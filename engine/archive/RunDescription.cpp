#include "engine/archive/RunDescription.h"

#include "engine/archive/ArchiveRecord.h"

namespace {

// At most `most` UTF-16 units, never half of a surrogate pair.
QString cut(QString text, int most)
{
    if (text.size() <= most)
        return text;
    qsizetype end = most;
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    text.truncate(end);
    return text;
}

QString oneLine(const QString &text, int most)
{
    QString line = text;
    for (QChar &c : line)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return cut(line.trimmed(), most);
}

QString noteLines(const QString &text, int most)
{
    QString notes = text;
    notes.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    QString kept;
    kept.reserve(notes.size());
    for (const QChar c : std::as_const(notes))
        if (c.category() != QChar::Other_Control || c == u'\n' || c == u'\t')
            kept += c;
    return cut(kept, most);
}

}   // namespace

RunDescription boundedDescription(const RunDescription &description)
{
    return {oneLine(description.part, RunPartMaxLength), oneLine(description.operatorName, RunOperatorMaxLength),
            noteLines(description.notes, RunNotesMaxLength)};
}

void putDescription(ArchiveRecord &record, const RunDescription &description)
{
    record.text = description.part;
    record.host = description.operatorName;
    record.programVersion = description.notes;
}

RunDescription descriptionOf(const ArchiveRecord &record)
{
    return {record.text, record.host, record.programVersion};
}
