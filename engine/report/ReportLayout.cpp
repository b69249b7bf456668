#include "engine/report/ReportLayout.h"

#include "engine/state/DataFormat.h"
#include "engine/state/StateTexts.h"
#include "engine/state/TesterState.h"

namespace {

constexpr double Inch = 1440;   // twips
const QString Seconds = QStringLiteral("seconds");

using C = ReportColumn;

// A row of label, value, unit and tolerance, the empty ones left out.
ReportLine row(const QString &label, const QString &value, const QString &unit = {}, const QString &tolerance = {},
               ReportColumn labelColumn = C::Label)
{
    ReportLine line;
    line.texts << ReportText{labelColumn, label};
    if (!value.isEmpty())
        line.texts << ReportText{C::Value, value};
    if (!unit.isEmpty())
        line.texts << ReportText{C::Unit, unit};
    if (!tolerance.isEmpty())
        line.texts << ReportText{C::Tolerance, tolerance};
    return line;
}

ReportLine centred(const QString &text, bool bold = false)
{
    ReportLine line;
    line.texts << ReportText{C::Center, text};
    line.bold = bold;
    return line;
}

ReportLine heads(const QString &value, const QString &tolerance)
{
    ReportLine line;
    line.texts << ReportText{C::Value, value} << ReportText{C::Tolerance, tolerance};
    line.bold = line.underline = true;
    return line;
}

QString methodUnit(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("ohms");
    case 1: return QStringLiteral("ma");
    case 2: return QStringLiteral("volts");
    default: return QStringLiteral("???");
    }
}

// Which strokes the contact code has tested, and which of them for bounce.
struct TestedStrokes
{
    explicit TestedStrokes(int contact)
        : downCheck(contact & 16), downBounce(downCheck && (contact & 64)), upCheck(contact & 32),
          upBounce(upCheck && (contact & 128))
    {
    }
    bool downCheck, downBounce, upCheck, upBounce;
};

// One stroke direction's measurements: the field names differ, the rows do not.
struct StrokeFields
{
    QString dir;
    bool check, bounce;
    int32_t maxR, maxRTol, minR, minRTol, maxBounce, maxBounceTol, lastR, lastBounceTime, lastTime;
};

QString reportResistance(const TesterState &s, int32_t count)
{
    return formatResistance(s, count, false);
}

// The title, the tester, the time and the three counts with their limits.
void appendHeaderRows(QList<ReportLine> &lines, const TesterState &s)
{
    const auto count = [](int32_t n) { return QString::number(n); };
    const ReportLine empty;
    lines << centred(QStringLiteral("Model 418C Test Results"), true) << empty
          << centred(QStringLiteral("S/N ") + s.identity.serialNumber + QStringLiteral(" with ") + displayVersion(s))
          << centred(QStringLiteral("Tested ") + formatSampleTime(s.counters.updateTime)) << empty
          << heads(QStringLiteral("Value"), QStringLiteral("Tolerance")) << empty
          << row(QStringLiteral("Total Test Cycles"), count(s.counters.cycleCount), {}, count(s.reported.cycleLimit))
          << row(QStringLiteral("Failed Test Cycles"), count(s.counters.failCount), {}, count(s.reported.failLimit))
          << row(QStringLiteral("Sequential Failed Cycles"), count(s.counters.seqCount), {}, count(s.reported.seqLimit))
          << empty;
}

void appendStrokeRows(QList<ReportLine> &lines, const TesterState &s, const StrokeFields &f)
{
    if (!f.check)
        return;
    const QString unit = contactUnitText(s.reported.rangeMode);   // the main window's contact unit labels
    const auto r = [&s](int32_t count) { return reportResistance(s, count); };
    const auto label = [&f](const char *which, const char *what) {
        return QString::fromLatin1(which) + QStringLiteral(" Contact ") + f.dir + u' ' + QString::fromLatin1(what);
    };
    lines << row(label("Maximum", "Value"), r(f.maxR), unit, r(f.maxRTol))
          << row(label("Minimum", "Value"), r(f.minR), unit, r(f.minRTol));
    if (f.bounce)
        lines << row(label("Maximum", "Bounce"), formatBounceTime(f.maxBounce), Seconds,
                     formatBounceTime(f.maxBounceTol));
    lines << row(label("Last", "Value"), r(f.lastR), unit);
    if (f.bounce && hasLastBounce(s))
        lines << row(label("Last", "Bounce"), formatBounceTime(f.lastBounceTime), Seconds);
    lines << row(label("Last", "Time"), formatStrokeTime(f.lastTime), Seconds) << ReportLine();
}

void appendMeasurementRows(QList<ReportLine> &lines, const TesterState &s, const TestedStrokes &tested)
{
    appendStrokeRows(lines, s,
                     {QStringLiteral("Down"), tested.downCheck, tested.downBounce, s.counters.maxDownResistance,
                      s.reported.maxDownResistTol, s.counters.minDownResistance, s.reported.minDownResistTol,
                      s.counters.maxDownBounce, s.reported.maxDownBounceTol, s.counters.lastDownResistance,
                      s.counters.lastDownBounceTime, s.counters.lastDownStrokeTime});
    appendStrokeRows(lines, s,
                     {QStringLiteral("Up"), tested.upCheck, tested.upBounce, s.counters.maxUpResistance,
                      s.reported.maxUpResistTol, s.counters.minUpResistance, s.reported.minUpResistTol,
                      s.counters.maxUpBounce, s.reported.maxUpBounceTol, s.counters.lastUpResistance,
                      s.counters.lastUpBounceTime, s.counters.lastUpStrokeTime});
}

// One direction's pass or fail conditions from the error code's bits.
void appendConditionRows(QList<ReportLine> &lines, int error, const QString &dir, bool check, bool bounce, int initial,
                         int max, int min, int bounceBit)
{
    if (!check)
        return;
    const auto condition = [&](const QString &label, int bit) {
        lines << row(label, passFailString(error & bit), {}, {}, C::Indent);
    };
    condition(QStringLiteral("Initial ") + dir + QStringLiteral(" Contact Condition"), initial);
    condition(QStringLiteral("Maximum ") + dir + QStringLiteral(" Contact Condition"), max);
    condition(QStringLiteral("Minimum ") + dir + QStringLiteral(" Contact Condition"), min);
    if (bounce)
        condition(QStringLiteral("Maximum ") + dir + QStringLiteral(" Bounce Condition"), bounceBit);
    lines << ReportLine();
}

void appendErrorRows(QList<ReportLine> &lines, const TesterState &s, const TestedStrokes &tested)
{
    const int error = s.counters.errorCode;
    lines << row(QStringLiteral("Cumulative Errors"), {});
    // The failure bits: 16/32 initial, 2/8 maximum, 1/4 minimum, 64/128 bounce (down/up).
    appendConditionRows(lines, error, QStringLiteral("Down"), tested.downCheck, tested.downBounce, 16, 2, 1, 64);
    appendConditionRows(lines, error, QStringLiteral("Up"), tested.upCheck, tested.upBounce, 32, 8, 4, 128);
}

// The stroke times, the bounce thresholds and how the contact is measured.
void appendSetupRows(QList<ReportLine> &lines, const TesterState &s, const TestedStrokes &tested)
{
    const QString unit = contactUnitText(s.reported.rangeMode);
    lines << heads(QStringLiteral("Maximum"), QStringLiteral("Minimum")) << ReportLine()
          << row(QStringLiteral("Down Stroke Time"), formatStrokeTime(s.reported.maxDownTime), Seconds,
                 formatStrokeTime(tested.downCheck ? s.reported.minDownTime : s.reported.maxDownTime))
          << row(QStringLiteral("Up Stroke Time"), formatStrokeTime(s.reported.maxUpTime), Seconds,
                 formatStrokeTime(tested.upCheck ? s.reported.minUpTime : s.reported.maxUpTime));
    // A threshold t is the reading count 4 t, as in the editor and the data log.
    if (tested.downBounce || tested.upBounce)
        lines << row(QStringLiteral("Bounce Thresholds"), reportResistance(s, int32_t(s.reported.upperBounce) * 4),
                     unit, reportResistance(s, int32_t(s.reported.lowerBounce) * 4));
    lines << ReportLine() << row(QStringLiteral("Contact Type"), contactTypeText(s.reported.contact))
          << row(QStringLiteral("Measurement Method"), getRValueString(s), methodUnit(s.reported.rangeMode),
                 modePanelText(s));
}

}   // namespace

QString passFailString(bool fail)
{
    return fail ? QStringLiteral("Fail") : QStringLiteral("Pass");
}

QList<ReportLine> reportLines(const TesterState &s)
{
    const TestedStrokes tested(s.reported.contact);
    QList<ReportLine> lines;
    appendHeaderRows(lines, s);
    appendMeasurementRows(lines, s, tested);
    if (!tested.downCheck && !tested.upCheck) {
        lines << row(QStringLiteral("Down Stroke Time"), formatStrokeTime(s.reported.maxDownTime), Seconds)
              << row(QStringLiteral("Up Stroke Time"), formatStrokeTime(s.reported.maxUpTime), Seconds);
        return lines;
    }
    appendErrorRows(lines, s, tested);
    appendSetupRows(lines, s, tested);
    return lines;
}

ReportGeometry::ReportGeometry(double pageWidth, bool landscape)
    : LMargin(Inch), RMargin(pageWidth - Inch), Center(pageWidth / 2), valueColumn(Center * 1.3),
      unitColumn(valueColumn + 140), conditionIndent(LMargin + 300), top(landscape ? Inch / 2 : Inch)
{
}

double ReportGeometry::position(ReportColumn column) const
{
    switch (column) {
    case C::Label: return LMargin;
    case C::Indent: return conditionIndent;
    case C::Value: return valueColumn;
    case C::Unit: return unitColumn;
    case C::Tolerance: return RMargin;
    case C::Center: return Center;
    }
    return LMargin;
}

bool ReportGeometry::rightAligned(ReportColumn column)
{
    return column == C::Value || column == C::Tolerance;
}
