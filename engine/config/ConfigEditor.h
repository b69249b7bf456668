#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

class MessageDialogs;
struct TesterState;

// What the configuration editor's fields hold: the texts and ticks that
// displayEditValues writes and applyEditorFields reads.
struct EditorFields
{
    // Test Time
    QString maxUpTime, minUpTime, maxDownTime, minDownTime;   // seconds
    bool constantRate = false;                                // the minimum times follow the maximum times
    // Contacts
    int contactType = 0;   // list position: 0 None, 1 Normally Open, 2 Normally Closed, 3 Alternate Action
    bool upStroke = false, upBounce = false, downStroke = false, downBounce = false;
    QString upMaxResist, upMinResist, maxUpBounceTime;
    QString downMaxResist, downMinResist, maxDownBounceTime;
    int upperBounce = 0, lowerBounce = 0;
    // Limits
    QString maxTestCycles, maxFailures, maxSeqFailures;
};

// A value the last OK had to change before it could be used: its field,
// named as the editor shows it, the text typed and the text of the value
// used (clamped into the item's range, or read from a text that held no number).
struct Readjustment
{
    QString EditorFields::*field;
    QString name;
    QString typed;
    QString used;
    bool notANumber = false;
};
// "Down Stroke Max Time (sec): 0.01 becomes 0.025"; for a text that is not a
// number, "Maximum Test Cycles: "abc" is not a number, becomes 1".
QString readjustmentText(const Readjustment &change);

// The editor's rules without its widgets: the edit copy (the s fields of
// the state) shown as field texts, the fields read back through the
// parsers with the five pair checks, and whether anything changed since
// the editor opened.
class ConfigEditor
{
public:
    // Keeps the sixteen edited items as they are now, to tell a change later.
    ConfigEditor(TesterState &state, MessageDialogs &dialogs);

    // The edit copy as field texts. The two thresholds are first held
    // within 0..255 in the edit copy itself.
    EditorFields displayEditValues();

    // The OK check. Reads every field, reports each failed pair check with
    // its own message (all of them, in a fixed order), and stores all
    // sixteen values in the edit copy whatever the checks found. Then
    // `showStored` puts the stored values back into the fields, and when a
    // value had to be readjusted (clamped, or typed as no number) the
    // operator is asked whether to review them, each listed with the text
    // typed and the value used. True: the editor may close.
    bool applyEditorFields(const EditorFields &fields, const std::function<void()> &showStored = nullptr);

    // The values the last OK readjusted, in the order of the editor's tabs,
    // and whether the operator then chose to review them.
    const QList<Readjustment> &readjusted() const { return changes; }
    bool reviewing() const { return review; }

    // At least one of the sixteen items differs from its value at opening.
    bool isDirty() const;

    // Whether the contact type list needs its fourth entry, "Alternate
    // Action", so that such a contact is shown and kept as it is.
    static bool isAlternateAction(int contact) { return (contact & 3) == 3; }
    // The contact code that the type and the four check boxes stand for.
    static int16_t contactCodeOf(const EditorFields &fields);

private:
    using Items = std::array<int32_t, 16>;
    Items editedItems() const;

    TesterState &s;
    MessageDialogs &dialogs;
    Items starting;
    QList<Readjustment> changes;   // of the last check
    bool review = false;
};
