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

QString contactType(int contact)
{
    switch (contact & 15) {
    case 0: return QStringLiteral("None");
    case 1: return QStringLiteral("Normally Open");
    case 2: return QStringLiteral("Normally Closed");
    case 3: return QStringLiteral("Alternate Action");
    default: return QStringLiteral("Unknown");
    }
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

}   // namespace

QString passFailString(bool fail)
{
    return fail ? QStringLiteral("Fail") : QStringLiteral("Pass");
}

QList<ReportLine> reportLines(const TesterState &s)
{
    const int contact = s.vContact;
    const bool downCheck = contact & 16;
    const bool downBounce = downCheck && (contact & 64);
    const bool upCheck = contact & 32;
    const bool upBounce = upCheck && (contact & 128);
    const bool lastBounce = hasLastBounce(s);
    const int error = s.vErrorCode;
    const QString unit = contactUnitText(s.vRMode);   // the main window's contact unit labels
    const auto r = [&s](int32_t count) { return formatResistance(s, count, false); };
    const auto count = [](int32_t n) { return QString::number(n); };
    const ReportLine empty;

    QList<ReportLine> lines;
    lines << centred(QStringLiteral("Model 418C Test Results"), true) << empty
          << centred(QStringLiteral("S/N ") + s.vSerialNumber + QStringLiteral(" with ") + displayVersion(s))
          << centred(QStringLiteral("Tested ") + formatSampleTime(s.vUpdateTime)) << empty
          << heads(QStringLiteral("Value"), QStringLiteral("Tolerance")) << empty
          << row(QStringLiteral("Total Test Cycles"), count(s.CycleCount), {}, count(s.vCycleLimit))
          << row(QStringLiteral("Failed Test Cycles"), count(s.FailCount), {}, count(s.vFailLimit))
          << row(QStringLiteral("Sequential Failed Cycles"), count(s.SeqCount), {}, count(s.vSeqLimit)) << empty;

    // One stroke direction's measurements: the field names differ, the rows do not.
    const auto strokeRows = [&](const QString &dir, bool check, bool bounce, int32_t maxR, int32_t maxRTol,
                                int32_t minR, int32_t minRTol, int32_t maxBounce, int32_t maxBounceTol, int32_t lastR,
                                int32_t lastBounceTime, int32_t lastTime) {
        if (!check)
            return;
        const auto label = [&dir](const char *which, const char *what) {
            return QString::fromLatin1(which) + QStringLiteral(" Contact ") + dir + u' ' + QString::fromLatin1(what);
        };
        lines << row(label("Maximum", "Value"), r(maxR), unit, r(maxRTol))
              << row(label("Minimum", "Value"), r(minR), unit, r(minRTol));
        if (bounce)
            lines << row(label("Maximum", "Bounce"), formatBounceTime(maxBounce), Seconds,
                         formatBounceTime(maxBounceTol));
        lines << row(label("Last", "Value"), r(lastR), unit);
        if (bounce && lastBounce)
            lines << row(label("Last", "Bounce"), formatBounceTime(lastBounceTime), Seconds);
        lines << row(label("Last", "Time"), formatStrokeTime(lastTime), Seconds) << empty;
    };
    strokeRows(QStringLiteral("Down"), downCheck, downBounce, s.vMaxDownResistance, s.vMaxDownResistTol,
               s.vMinDownResistance, s.vMinDownResistTol, s.vMaxDownBounce, s.vMaxDownBounceTol,
               s.vLastMeasuredDownResist, s.vLastDownBounceTime, s.vLastDownStrokeTime);
    strokeRows(QStringLiteral("Up"), upCheck, upBounce, s.vMaxUpResistance, s.vMaxUpResistTol, s.vMinUpResistance,
               s.vMinUpResistTol, s.vMaxUpBounce, s.vMaxUpBounceTol, s.vLastMeasuredUpResist, s.vLastUpBounceTime,
               s.vLastUpStrokeTime);

    if (!downCheck && !upCheck) {
        lines << row(QStringLiteral("Down Stroke Time"), formatStrokeTime(s.vMaxDownTime), Seconds)
              << row(QStringLiteral("Up Stroke Time"), formatStrokeTime(s.vMaxUpTime), Seconds);
        return lines;
    }

    lines << row(QStringLiteral("Cumulative Errors"), {});
    const auto condition = [&](const QString &label, int bit) {
        lines << row(label, passFailString(error & bit), {}, {}, C::Indent);
    };
    // The failure bits: 16/32 initial, 2/8 maximum, 1/4 minimum, 64/128 bounce (down/up).
    const auto conditionRows = [&](const QString &dir, bool check, bool bounce, int initial, int max, int min,
                                   int bounceBit) {
        if (!check)
            return;
        condition(QStringLiteral("Initial ") + dir + QStringLiteral(" Contact Condition"), initial);
        condition(QStringLiteral("Maximum ") + dir + QStringLiteral(" Contact Condition"), max);
        condition(QStringLiteral("Minimum ") + dir + QStringLiteral(" Contact Condition"), min);
        if (bounce)
            condition(QStringLiteral("Maximum ") + dir + QStringLiteral(" Bounce Condition"), bounceBit);
        lines << empty;
    };
    conditionRows(QStringLiteral("Down"), downCheck, downBounce, 16, 2, 1, 64);
    conditionRows(QStringLiteral("Up"), upCheck, upBounce, 32, 8, 4, 128);

    lines << heads(QStringLiteral("Maximum"), QStringLiteral("Minimum")) << empty
          << row(QStringLiteral("Down Stroke Time"), formatStrokeTime(s.vMaxDownTime), Seconds,
                 formatStrokeTime(downCheck ? s.vMinDownTime : s.vMaxDownTime))
          << row(QStringLiteral("Up Stroke Time"), formatStrokeTime(s.vMaxUpTime), Seconds,
                 formatStrokeTime(upCheck ? s.vMinUpTime : s.vMaxUpTime));
    // A threshold t is the reading count 4 t, as in the editor and the data log.
    if (downBounce || upBounce)
        lines << row(QStringLiteral("Bounce Thresholds"), r(int32_t(s.vUpperBounce) * 4), unit,
                     r(int32_t(s.vLowerBounce) * 4));
    lines << empty << row(QStringLiteral("Contact Type"), contactType(contact))
          << row(QStringLiteral("Measurement Method"), getRValueString(s), methodUnit(s.vRMode), modePanelText(s));
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
