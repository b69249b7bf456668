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
    return {
        s.pending.maxDownTime,      s.pending.minDownTime,      s.pending.maxUpTime,      s.pending.minUpTime,
        s.pending.cycleLimit,       s.pending.seqLimit,         s.pending.failLimit,      s.pending.contact,
        s.pending.upperBounce,      s.pending.lowerBounce,      s.pending.maxUpResistTol, s.pending.minUpResistTol,
        s.pending.maxDownResistTol, s.pending.minDownResistTol, s.pending.maxUpBounceTol, s.pending.maxDownBounceTol};
}

bool ConfigEditor::isDirty() const
{
    return editedItems() != starting;
}

EditorFields ConfigEditor::displayEditValues()
{
    EditorFields f;
    f.maxFailures = QString::number(s.pending.failLimit);
    f.maxSeqFailures = QString::number(s.pending.seqLimit);
    f.maxTestCycles = QString::number(s.pending.cycleLimit);

    f.maxDownTime = formatStrokeTime(s.pending.maxDownTime);
    f.minDownTime = formatStrokeTime(s.pending.minDownTime);
    f.maxUpTime = formatStrokeTime(s.pending.maxUpTime);
    f.minUpTime = formatStrokeTime(s.pending.minUpTime);

    auto tolerance = [this](int32_t count) { return formatResistance(s, count, false); };
    f.downMaxResist = tolerance(s.pending.maxDownResistTol);
    f.downMinResist = tolerance(s.pending.minDownResistTol);
    f.upMaxResist = tolerance(s.pending.maxUpResistTol);
    f.upMinResist = tolerance(s.pending.minUpResistTol);
    f.maxDownBounceTime = formatBounceTime(s.pending.maxDownBounceTol);
    f.maxUpBounceTime = formatBounceTime(s.pending.maxUpBounceTol);

    // SetUpperBounce, SetLowerBounce: the edit copy keeps the clamped value.
    s.pending.upperBounce = clampThreshold(s.pending.upperBounce);
    s.pending.lowerBounce = clampThreshold(s.pending.lowerBounce);
    f.upperBounce = s.pending.upperBounce;
    f.lowerBounce = s.pending.lowerBounce;

    // SetContactView: a bounce test shows only on a stroke whose contact is tested.
    const int contact = s.pending.contact;
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
    const EditedItems items = readEditedFields(f);
    const bool result = reportFailedChecks(items);
    // Stored even when a check failed: the operator goes on from these values.
    storeEditedItems(f, items);
    if (showStored)
        showStored();   // the fields show the clamped values before the question
    if (changes.isEmpty())
        return result;
    review = askToReview();
    return result && !review;
}

ConfigEditor::EditedItems ConfigEditor::readEditedFields(const EditorFields &f)
{
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
    EditedItems v;
    v.maxUpTime = read(&EditorFields::maxUpTime, "Up Stroke Max Time (sec)", parseStrokeTime);
    v.minUpTime =
        f.constantRate ? v.maxUpTime : read(&EditorFields::minUpTime, "Up Stroke Min Time (sec)", parseStrokeTime);
    v.maxDownTime = read(&EditorFields::maxDownTime, "Down Stroke Max Time (sec)", parseStrokeTime);
    v.minDownTime = f.constantRate ? v.maxDownTime
                                   : read(&EditorFields::minDownTime, "Down Stroke Min Time (sec)", parseStrokeTime);
    v.maxUpTol = read(&EditorFields::upMaxResist, "Up Stroke Max Resistance", tolerance);
    v.minUpTol = read(&EditorFields::upMinResist, "Up Stroke Min Resistance", tolerance);
    v.maxUpBounce = read(&EditorFields::maxUpBounceTime, "Up Stroke Max Bounce Time", parseBounceTime);
    v.maxDownTol = read(&EditorFields::downMaxResist, "Down Stroke Max Resistance", tolerance);
    v.minDownTol = read(&EditorFields::downMinResist, "Down Stroke Min Resistance", tolerance);
    v.maxDownBounce = read(&EditorFields::maxDownBounceTime, "Down Stroke Max Bounce Time", parseBounceTime);
    v.upperBounce = clampThreshold(f.upperBounce);
    v.lowerBounce = clampThreshold(f.lowerBounce);
    v.cycleLimit = read(&EditorFields::maxTestCycles, "Maximum Test Cycles", parseCount);
    v.failLimit = read(&EditorFields::maxFailures, "Maximum Test Failures", parseCount);
    v.seqLimit = read(&EditorFields::maxSeqFailures, "Maximum Sequential Failures", parseCount);
    return v;
}

bool ConfigEditor::reportFailedChecks(const EditedItems &v)
{
    // Every failed check is reported, so one OK tells the operator all of them.
    const struct
    {
        bool fails;
        const char *message;
    } checks[] = {
        {v.minDownTime > v.maxDownTime, "Minimum Down Stroke Time Is Greater Than Maximum Down Stroke Time."},
        {v.minUpTime > v.maxUpTime, "Minimum Up Stroke Time Is Greater Than Maximum Up Stroke Time."},
        {v.lowerBounce > v.upperBounce, "Lower Bounce/Transition Threshold Is Greater Than Upper."},
        {v.minUpTol > v.maxUpTol,
         "Minimum Up Stroke Contact Tolerance Is Greater Than Maximum Up Stroke Contact Tolerance."},
        {v.minDownTol > v.maxDownTol,
         "Minimum Down Stroke Contact Tolerance Is Greater Than Maximum Down Stroke Contact Tolerance."},
    };
    bool passed = true;
    for (const auto &check : checks) {
        if (check.fails) {
            dialogs.showError(ConfigErrorTitle, QString::fromLatin1(check.message));
            passed = false;
        }
    }
    return passed;
}

void ConfigEditor::storeEditedItems(const EditorFields &f, const EditedItems &v)
{
    s.pending.contact = contactCodeOf(f);
    s.pending.maxDownTime = v.maxDownTime;
    s.pending.minDownTime = v.minDownTime;
    s.pending.maxUpTime = v.maxUpTime;
    s.pending.minUpTime = v.minUpTime;
    s.pending.cycleLimit = v.cycleLimit;
    s.pending.seqLimit = v.seqLimit;
    s.pending.failLimit = v.failLimit;
    s.pending.upperBounce = v.upperBounce;
    s.pending.lowerBounce = v.lowerBounce;
    s.pending.maxUpResistTol = v.maxUpTol;
    s.pending.minUpResistTol = v.minUpTol;
    s.pending.maxDownResistTol = v.maxDownTol;
    s.pending.minDownResistTol = v.minDownTol;
    s.pending.maxUpBounceTol = v.maxUpBounce;
    s.pending.maxDownBounceTol = v.maxDownBounce;
}

bool ConfigEditor::askToReview()
{
    // Each readjusted value is listed with the value now stored for it.
    const EditorFields stored = displayEditValues();
    QStringList lines;
    for (Readjustment &change : changes) {
        change.used = stored.*change.field;
        lines << readjustmentText(change);
    }
    return dialogs.askReadjust(lines) == AnswerYes;
}
