#include "engine/config/ConfigEditor.h"

#include "engine/config/EditorComputations.h"
#include "engine/state/DataFormat.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/NumberReader.h"
#include "engine/state/TesterState.h"

namespace {

enum ContactBits : int {
    TypeBits = 3,   // the editor reads and writes only bits 0-1 of the type
    DownTest = 16,
    UpTest = 32,
    DownBounceTest = 64,
    UpBounceTest = 128,
};

const QString ConfigErrorTitle = QStringLiteral("Configuration Error");

}   // namespace

ConfigEditor::ConfigEditor(TesterState &state, MessageDialogs &messageDialogs)
    : s(state), dialogs(messageDialogs), starting(editedItems())
{
}

ConfigEditor::Items ConfigEditor::editedItems() const
{
    return {s.sMaxDownTime,      s.sMinDownTime,      s.sMaxUpTime,      s.sMinUpTime,
            s.sCycleLimit,       s.sSeqLimit,         s.sFailLimit,      s.sContact,
            s.sUpperBounce,      s.sLowerBounce,      s.sMaxUpResistTol, s.sMinUpResistTol,
            s.sMaxDownResistTol, s.sMinDownResistTol, s.sMaxUpBounceTol, s.sMaxDownBounceTol};
}

bool ConfigEditor::isDirty() const
{
    return editedItems() != starting;
}

EditorFields ConfigEditor::displayEditValues()
{
    EditorFields f;
    f.maxFailures = QString::number(s.sFailLimit);
    f.maxSeqFailures = QString::number(s.sSeqLimit);
    f.maxTestCycles = QString::number(s.sCycleLimit);

    f.maxDownTime = formatStrokeTime(s.sMaxDownTime);
    f.minDownTime = formatStrokeTime(s.sMinDownTime);
    f.maxUpTime = formatStrokeTime(s.sMaxUpTime);
    f.minUpTime = formatStrokeTime(s.sMinUpTime);

    auto tolerance = [this](int32_t count) { return formatResistance(s, count, false); };
    f.downMaxResist = tolerance(s.sMaxDownResistTol);
    f.downMinResist = tolerance(s.sMinDownResistTol);
    f.upMaxResist = tolerance(s.sMaxUpResistTol);
    f.upMinResist = tolerance(s.sMinUpResistTol);
    f.maxDownBounceTime = formatBounceTime(s.sMaxDownBounceTol);
    f.maxUpBounceTime = formatBounceTime(s.sMaxUpBounceTol);

    // SetUpperBounce, SetLowerBounce: the edit copy keeps the clamped value.
    s.sUpperBounce = clampThreshold(s.sUpperBounce);
    s.sLowerBounce = clampThreshold(s.sLowerBounce);
    f.upperBounce = s.sUpperBounce;
    f.lowerBounce = s.sLowerBounce;

    // SetContactView: a bounce test shows only on a stroke whose contact is tested.
    const int contact = s.sContact;
    f.contactType = contact & TypeBits;
    f.upStroke = contact & UpTest;
    f.upBounce = f.upStroke && (contact & UpBounceTest);
    f.downStroke = contact & DownTest;
    f.downBounce = f.downStroke && (contact & DownBounceTest);
    return f;
}

int16_t ConfigEditor::contactCodeOf(const EditorFields &f)
{
    int code = f.contactType & TypeBits;
    // With no contact there is nothing to test, whatever the boxes show.
    if (code != 0) {
        if (f.upStroke)
            code += UpTest + (f.upBounce ? UpBounceTest : 0);
        if (f.downStroke)
            code += DownTest + (f.downBounce ? DownBounceTest : 0);
    }
    return int16_t(code);
}

QString readjustmentText(const Readjustment &change)
{
    if (change.notANumber)
        return QStringLiteral("%1: \"%2\" is not a number, becomes %3").arg(change.name, change.typed, change.used);
    return QStringLiteral("%1: %2 becomes %3").arg(change.name, change.typed.trimmed(), change.used);
}

bool ConfigEditor::applyEditorFields(const EditorFields &f, const std::function<void()> &showStored)
{
    changes.clear();
    review = false;
    bool result = true;

    // Reads one field and notes it when its value had to be readjusted: a
    // clamp, or a text that holds no number and so reads as 0 ("open" is a
    // tolerance's word for full scale).
    const auto read = [&](QString EditorFields::*field, const char *name, auto parse) {
        bool clamped = false;
        const QString &typed = f.*field;
        const int32_t value = parse(typed, clamped);
        const bool open = field == &EditorFields::upMaxResist || field == &EditorFields::upMinResist
                          || field == &EditorFields::downMaxResist || field == &EditorFields::downMinResist;
        const bool notANumber =
            !holdsNumber(typed) && !(open && typed.contains(QLatin1String("open"), Qt::CaseInsensitive));
        if (clamped || notANumber)
            changes.append({field, QLatin1String(name), typed, QString(), notANumber});
        return value;
    };
    const auto tolerance = [this](const QString &text, bool &clamped) {
        return int32_t(parseTolerance(s, text, clamped));
    };

    // In the order of the editor's tabs: the first change listed is the
    // first one the operator meets on review.
    const int32_t maxUpTime = read(&EditorFields::maxUpTime, "Up Stroke Max Time (sec)", parseStrokeTime);
    const int32_t minUpTime =
        f.constantRate ? maxUpTime : read(&EditorFields::minUpTime, "Up Stroke Min Time (sec)", parseStrokeTime);
    const int32_t maxDownTime = read(&EditorFields::maxDownTime, "Down Stroke Max Time (sec)", parseStrokeTime);
    const int32_t minDownTime =
        f.constantRate ? maxDownTime : read(&EditorFields::minDownTime, "Down Stroke Min Time (sec)", parseStrokeTime);
    const int32_t maxUpTol = read(&EditorFields::upMaxResist, "Up Stroke Max Resistance", tolerance);
    const int32_t minUpTol = read(&EditorFields::upMinResist, "Up Stroke Min Resistance", tolerance);
    const int32_t maxUpBounce = read(&EditorFields::maxUpBounceTime, "Up Stroke Max Bounce Time", parseBounceTime);
    const int32_t maxDownTol = read(&EditorFields::downMaxResist, "Down Stroke Max Resistance", tolerance);
    const int32_t minDownTol = read(&EditorFields::downMinResist, "Down Stroke Min Resistance", tolerance);
    const int32_t maxDownBounce =
        read(&EditorFields::maxDownBounceTime, "Down Stroke Max Bounce Time", parseBounceTime);
    const int16_t upperBounce = clampThreshold(f.upperBounce);
    const int16_t lowerBounce = clampThreshold(f.lowerBounce);
    const int32_t cycleLimit = read(&EditorFields::maxTestCycles, "Maximum Test Cycles", parseCount);
    const int32_t failLimit = read(&EditorFields::maxFailures, "Maximum Test Failures", parseCount);
    const int32_t seqLimit = read(&EditorFields::maxSeqFailures, "Maximum Sequential Failures", parseCount);

    // Every failed check is reported, so one OK tells the operator all of them.
    const struct
    {
        bool fails;
        const char *message;
    } checks[] = {
        {minDownTime > maxDownTime, "Minimum Down Stroke Time Is Greater Than Maximum Down Stroke Time."},
        {minUpTime > maxUpTime, "Minimum Up Stroke Time Is Greater Than Maximum Up Stroke Time."},
        {lowerBounce > upperBounce, "Lower Bounce/Transition Threshold Is Greater Than Upper."},
        {minUpTol > maxUpTol,
         "Minimum Up Stroke Contact Tolerance Is Greater Than Maximum Up Stroke Contact Tolerance."},
        {minDownTol > maxDownTol,
         "Minimum Down Stroke Contact Tolerance Is Greater Than Maximum Down Stroke Contact Tolerance."},
    };
    for (const auto &check : checks) {
        if (check.fails) {
            dialogs.showError(ConfigErrorTitle, QString::fromLatin1(check.message));
            result = false;
        }
    }

    // Stored even when a check failed: the operator goes on from these values.
    s.sContact = contactCodeOf(f);
    s.sMaxDownTime = maxDownTime;
    s.sMinDownTime = minDownTime;
    s.sMaxUpTime = maxUpTime;
    s.sMinUpTime = minUpTime;
    s.sCycleLimit = cycleLimit;
    s.sSeqLimit = seqLimit;
    s.sFailLimit = failLimit;
    s.sUpperBounce = upperBounce;
    s.sLowerBounce = lowerBounce;
    s.sMaxUpResistTol = maxUpTol;
    s.sMinUpResistTol = minUpTol;
    s.sMaxDownResistTol = maxDownTol;
    s.sMinDownResistTol = minDownTol;
    s.sMaxUpBounceTol = maxUpBounce;
    s.sMaxDownBounceTol = maxDownBounce;

    if (showStored)
        showStored();   // the fields show the clamped values before the question
    if (changes.isEmpty())
        return result;
    const EditorFields stored = displayEditValues();
    QStringList lines;
    for (Readjustment &change : changes) {
        change.used = stored.*change.field;
        lines << readjustmentText(change);
    }
    review = dialogs.askReadjust(lines) == AnswerYes;
    return result && !review;
}
