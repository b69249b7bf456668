#pragma once

#include <QString>

struct ArchiveRecord;

// What was tested in a run, as the operator enters it: the part number or a
// description of the part, who ran the test, and notes.
struct RunDescription
{
    QString part;
    QString operatorName;
    QString notes;

    bool operator==(const RunDescription &other) const
    {
        return part == other.part && operatorName == other.operatorName && notes == other.notes;
    }
    bool operator!=(const RunDescription &other) const { return !(*this == other); }
};

// The longest texts a run keeps; longer ones are cut.
inline constexpr int RunPartMaxLength = 200;
inline constexpr int RunOperatorMaxLength = 200;
inline constexpr int RunNotesMaxLength = 4000;

// The description as a run keeps it: the part and the operator on one line,
// trimmed, control characters made spaces; the notes with their line breaks
// as "\n" and no other control character but the tab; each cut to its
// longest, never inside a character.
RunDescription boundedDescription(const RunDescription &description);

// The description in an archive record (text: part, host: operator,
// programVersion: notes), and back.
void putDescription(ArchiveRecord &record, const RunDescription &description);
RunDescription descriptionOf(const ArchiveRecord &record);
