#include "engine/report/RunReportModel.h"

#include "engine/state/DataFormat.h"
#include "engine/state/StateTexts.h"

#include <QStringList>
#include <algorithm>
#include <map>

namespace {

// A section longer than this many pages is folded (failures) or cut in
// its middle (events): a report stays within about twenty pages.
constexpr int SectionPagesMost = 8;
// Configuration changes listed one by one; later ones are counted.
constexpr int ChangesListed = 10;
constexpr qint64 FoldCycles = 10000;

// The failure bits of the tester's error code, by kind: minimum, maximum
// and initial contact down (1, 2, 16) and up (4, 8, 32), bounce down and up.
constexpr int DownContactBits = 1 | 2 | 16, UpContactBits = 4 | 8 | 32, DownBounceBit = 64, UpBounceBit = 128;

QString timeText(const QDateTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QString number(qint64 n)
{
    return QString::number(n);
}

QString durationText(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(ms, 0) / 1000;
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(seconds / 3600)
                              .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                              .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds < 86400)
        return clock;
    return clock + QStringLiteral(" (%1 d %2 h)").arg(seconds / 86400).arg(seconds / 3600 % 24);
}

RunReportLine line(std::initializer_list<RunReportText> texts, bool bold = false)
{
    RunReportLine l;
    l.texts = texts;
    l.bold = bold;
    return l;
}

RunReportLine labelled(const QString &label, const QString &value)
{
    return line({{0, label}, {0.4, value}});
}

int kindsOfBits(int bits)
{
    int kinds = 0;
    if (bits & DownContactBits)
        kinds |= DownContactFailure;
    if (bits & UpContactBits)
        kinds |= UpContactFailure;
    if (bits & DownBounceBit)
        kinds |= DownBounceFailure;
    if (bits & UpBounceBit)
        kinds |= UpBounceFailure;
    return kinds;
}

// A stroke time beyond its limits; the minimum counts only where the
// contact of that stroke is measured, as the tester judges it.
int strokeTimeKinds(const TesterState &s)
{
    const TesterConfig &c = s.reported;
    const auto beyond = [](int32_t time, int32_t least, int32_t most, bool measured) {
        return (most > 0 && time > most) || (measured && time < least);
    };
    int kinds = 0;
    if (beyond(s.counters.lastDownStrokeTime, c.minDownTime, c.maxDownTime, c.contact & 16))
        kinds |= DownStrokeFailure;
    if (beyond(s.counters.lastUpStrokeTime, c.minUpTime, c.maxUpTime, c.contact & 32))
        kinds |= UpStrokeFailure;
    return kinds;
}

struct ConfigItem
{
    QString label, value, unit;
};

QString yesNo(bool yes)
{
    return yes ? QStringLiteral("yes") : QStringLiteral("no");
}

// Every item of a configuration with its unit, in the editor's order.
std::vector<ConfigItem> configItems(const TesterState &s)
{
    const TesterConfig &c = s.reported;
    const QString seconds = QStringLiteral("seconds"), contactUnit = contactUnitText(c.rangeMode);
    const auto contact = [&s](int32_t count) { return formatResistance(s, count, false); };
    return {
        {QStringLiteral("Cycle limit"), number(c.cycleLimit), QStringLiteral("cycles")},
        {QStringLiteral("Failure limit"), number(c.failLimit), QStringLiteral("failed cycles")},
        {QStringLiteral("Sequential failure limit"), number(c.seqLimit), QStringLiteral("failed cycles")},
        {QStringLiteral("Maximum down stroke time"), formatStrokeTime(c.maxDownTime), seconds},
        {QStringLiteral("Minimum down stroke time"), formatStrokeTime(c.minDownTime), seconds},
        {QStringLiteral("Maximum up stroke time"), formatStrokeTime(c.maxUpTime), seconds},
        {QStringLiteral("Minimum up stroke time"), formatStrokeTime(c.minUpTime), seconds},
        {QStringLiteral("Contact type"), contactTypeText(c.contact), {}},
        {QStringLiteral("Down contact tested"), yesNo(c.contact & 16), {}},
        {QStringLiteral("Up contact tested"), yesNo(c.contact & 32), {}},
        {QStringLiteral("Down bounce tested"), yesNo(c.contact & 64), {}},
        {QStringLiteral("Up bounce tested"), yesNo(c.contact & 128), {}},
        {QStringLiteral("Maximum down contact"), contact(c.maxDownResistTol), contactUnit},
        {QStringLiteral("Minimum down contact"), contact(c.minDownResistTol), contactUnit},
        {QStringLiteral("Maximum up contact"), contact(c.maxUpResistTol), contactUnit},
        {QStringLiteral("Minimum up contact"), contact(c.minUpResistTol), contactUnit},
        {QStringLiteral("Maximum down bounce"), formatBounceTime(c.maxDownBounceTol), seconds},
        {QStringLiteral("Maximum up bounce"), formatBounceTime(c.maxUpBounceTol), seconds},
        // A threshold t is the reading count 4 t, as in the editor and the data log.
        {QStringLiteral("Upper bounce threshold"), contact(int32_t(c.upperBounce) * 4), contactUnit},
        {QStringLiteral("Lower bounce threshold"), contact(int32_t(c.lowerBounce) * 4), contactUnit},
        {QStringLiteral("Measurement method"), modePanelText(s), {}},
        {QStringLiteral("Range value"), getRValueString(s), contactUnit},
        {QStringLiteral("Tester software"), displayVersion(s), {}},
    };
}

QString withUnit(const ConfigItem &item)
{
    return item.unit.isEmpty() ? item.value : item.value + u' ' + item.unit;
}

// A section of the report: its heading, the column heads repeated on each
// page it runs onto, and its lines.
struct Section
{
    QString title;
    QList<RunReportLine> heads;
    QList<RunReportLine> lines;
};

QList<RunReportLine> wrapped(const QString &label, const QString &text)
{
    // The value column holds about sixty characters.
    constexpr int Width = 60;
    QList<RunReportLine> lines;
    QString first = label;
    for (const QString &paragraph : text.split(u'\n')) {
        QString rest = paragraph.trimmed();
        do {
            int cut = rest.size() <= Width ? int(rest.size()) : int(rest.lastIndexOf(u' ', Width));
            if (cut <= 0)
                cut = std::min<int>(Width, int(rest.size()));
            lines << labelled(first, rest.left(cut).trimmed());
            first.clear();
            rest = rest.mid(cut).trimmed();
        } while (!rest.isEmpty());
    }
    return lines;
}

qint64 runCycles(const RunReportData &data)
{
    return data.samples > 0 ? data.last.counters.cycleCount : 0;
}

Section summarySection(const RunReportData &data)
{
    Section section{QStringLiteral("Model 418C Test Report"), {}, {}};
    QList<RunReportLine> &lines = section.lines;
    const TesterCounters &last = data.last.counters;
    const bool open = data.endedHow.isEmpty();
    // A run that goes on is told up to its last sample.
    const QDateTime until = data.end.isValid() ? data.end : last.updateTime;
    lines << labelled(QStringLiteral("Tester S/N"), data.serialNumber) << labelled(QStringLiteral("Station"), data.host)
          << labelled(QStringLiteral("Part"), data.details.part)
          << labelled(QStringLiteral("Operator"), data.details.operatorName)
          << wrapped(QStringLiteral("Notes"), data.details.notes)
          << labelled(QStringLiteral("Start"), timeText(data.start))
          << labelled(QStringLiteral("End"),
                      open ? QStringLiteral("running (last sample %1)").arg(timeText(until)) : timeText(data.end))
          << labelled(QStringLiteral("Duration"),
                      data.start.isValid() && until.isValid() ? durationText(data.start.msecsTo(until)) : QString())
          << labelled(QStringLiteral("Cycles in the run"), number(runCycles(data)))
          << labelled(QStringLiteral("Failures at the end"), number(last.failCount))
          << labelled(QStringLiteral("Sequential failures at the end"), number(last.seqCount))
          << labelled(QStringLiteral("How it ended"), open ? QStringLiteral("running") : data.endedHow)
          << labelled(QStringLiteral("Samples"), number(data.samples)) << RunReportLine();

    lines << line({{0, QStringLiteral("Configuration at the start")}}, true);
    if (data.configs.empty()) {
        lines << line({{0, QStringLiteral("Not known")}}) << RunReportLine();
        return section;
    }
    for (const ConfigItem &item : configItems(data.configs.front().state))
        lines << line({{0.03, item.label}, {0.5, item.value, true}, {0.52, item.unit}});
    lines << RunReportLine() << line({{0, QStringLiteral("Configuration changes")}}, true);
    if (data.configs.size() == 1)
        lines << line({{0.03, QStringLiteral("None")}});
    for (size_t i = 1; i < data.configs.size() && i <= size_t(ChangesListed); ++i) {
        const RunReportConfig &before = data.configs[i - 1], &after = data.configs[i];
        lines << line(
            {{0.03, QStringLiteral("%1 at cycle %2").arg(timeText(after.at)).arg(after.state.counters.cycleCount)}});
        const std::vector<ConfigItem> was = configItems(before.state), is = configItems(after.state);
        for (size_t k = 0; k < is.size(); ++k)
            if (withUnit(was[k]) != withUnit(is[k]))
                lines << line(
                    {{0.06, is[k].label}, {0.45, withUnit(was[k]) + QStringLiteral(" to ") + withUnit(is[k])}});
    }
    if (data.configs.size() > size_t(ChangesListed) + 1)
        lines << line({{0.03, QStringLiteral("%1 later changes are not listed.")
                                  .arg(qint64(data.configs.size()) - ChangesListed - 1)}});
    return section;
}

// One row per stretch of `width` cycles that holds a failure.
QList<RunReportLine> foldedFailures(const RunReportData &data, qint64 width)
{
    struct Stretch
    {
        qint64 count = 0, first = 0;
        int contact = 0, bounce = 0, stroke = 0;
    };
    std::map<qint64, Stretch> stretches;
    for (const RunReportFailure &f : data.failures) {
        Stretch &s = stretches[std::max<qint64>(f.cycle - 1, 0) / width];
        if (s.count++ == 0)
            s.first = f.cycle;
        const int kinds = f.kinds ? f.kinds : f.standing;
        s.contact += (kinds & (DownContactFailure | UpContactFailure)) ? 1 : 0;
        s.bounce += (kinds & (DownBounceFailure | UpBounceFailure)) ? 1 : 0;
        s.stroke += (kinds & (DownStrokeFailure | UpStrokeFailure)) ? 1 : 0;
    }
    QList<RunReportLine> lines;
    for (const auto &[index, s] : stretches)
        lines << line({{0, QStringLiteral("%1 to %2").arg(index * width + 1).arg((index + 1) * width)},
                       {0.38, number(s.count), true},
                       {0.56, number(s.first), true},
                       {0.7, number(s.contact), true},
                       {0.83, number(s.bounce), true},
                       {1, number(s.stroke), true}});
    return lines;
}

Section failureSection(const RunReportData &data, int linesPerPage)
{
    Section section{QStringLiteral("Failures"), {}, {}};
    const qint64 firstAt = cyclesToFirstFailure(data);
    section.lines << labelled(QStringLiteral("New failures"), number(qint64(data.failures.size())))
                  << labelled(QStringLiteral("Cycles to the first failure"),
                              firstAt < 0 ? QStringLiteral("none failed") : number(firstAt))
                  << labelled(QStringLiteral("Failures per 10,000 cycles"),
                              failuresPer10000(data.last.counters.failCount, runCycles(data)))
                  << RunReportLine();
    if (data.failures.empty())
        return section;
    // Two lines of every page go to the section's heading and column heads.
    const int room = SectionPagesMost * (linesPerPage - 3) - int(section.lines.size());
    if (qint64(data.failures.size()) <= room) {
        section.heads << line({{0.12, QStringLiteral("Cycle"), true},
                               {0.16, QStringLiteral("Time")},
                               {0.52, QStringLiteral("Fail count"), true},
                               {0.56, QStringLiteral("What came")}},
                              true);
        section.lines << section.heads;
        for (const RunReportFailure &f : data.failures) {
            const QString what = f.kinds ? failureKindsText(f.kinds)
                                 : f.standing
                                     ? QStringLiteral("no new bit (set before: %1)").arg(failureKindsText(f.standing))
                                     : QStringLiteral("no failure bit");
            section.lines << line({{0.12, number(f.cycle), true},
                                   {0.16, timeText(f.at)},
                                   {0.52, number(f.failCount), true},
                                   {0.56, what}});
        }
        return section;
    }
    qint64 width = FoldCycles;
    QList<RunReportLine> rows = foldedFailures(data, width);
    while (rows.size() > room - 2) {
        width *= 10;
        rows = foldedFailures(data, width);
    }
    section.lines << line({{0, QStringLiteral("The %1 failures are counted per %2 cycles, stretches without "
                                              "failure left out.")
                                   .arg(data.failures.size())
                                   .arg(width)}})
                  << RunReportLine();
    section.heads << line({{0, QStringLiteral("Cycles")},
                           {0.38, QStringLiteral("Failures"), true},
                           {0.56, QStringLiteral("First at cycle"), true},
                           {0.7, QStringLiteral("Contact"), true},
                           {0.83, QStringLiteral("Bounce"), true},
                           {1, QStringLiteral("Stroke time"), true}},
                          true);
    section.lines << section.heads << rows;
    return section;
}

Section eventSection(const RunReportData &data, int linesPerPage)
{
    Section section{QStringLiteral("Events"), {}, {}};
    section.heads << line(
        {{0, QStringLiteral("Time")}, {0.3, QStringLiteral("Event")}, {0.55, QStringLiteral("Detail")}}, true);
    section.lines << section.heads;
    if (data.events.empty()) {
        section.lines << line({{0, QStringLiteral("None")}});
        return section;
    }
    const auto eventLine = [](const RunReportEvent &e) {
        return line({{0, timeText(e.at)}, {0.3, e.what}, {0.55, e.detail}});
    };
    const qint64 room = SectionPagesMost * (linesPerPage - 3) - 3;
    const qint64 count = qint64(data.events.size());
    if (count <= room) {
        for (const RunReportEvent &e : data.events)
            section.lines << eventLine(e);
        return section;
    }
    // The first and the last events; those between are counted.
    const qint64 half = room / 2;
    for (qint64 i = 0; i < half; ++i)
        section.lines << eventLine(data.events[size_t(i)]);
    section.lines << line({{0, QStringLiteral("%1 events between are left out.").arg(count - 2 * half)}});
    for (qint64 i = count - half; i < count; ++i)
        section.lines << eventLine(data.events[size_t(i)]);
    return section;
}

RunReportLine headingLine(const QString &title)
{
    return line({{0, title}}, true);
}

void addSection(std::vector<RunReportPage> &pages, const Section &section, int linesPerPage)
{
    RunReportPage page;
    page.lines << headingLine(section.title) << RunReportLine();
    for (const RunReportLine &l : section.lines) {
        if (page.lines.size() >= linesPerPage) {
            pages.push_back(page);
            page.lines.clear();
            page.lines << headingLine(section.title + QStringLiteral(" (continued)")) << section.heads;
        }
        page.lines << l;
    }
    pages.push_back(page);
}

}   // namespace

void RunReportCollector::addSample(const TesterState &s)
{
    const bool first = data.samples++ == 0;
    if (first || configNumbersDiffer(data.configs.back().state, s)) {
        RunReportConfig config;
        config.at = s.counters.updateTime;
        config.state = s;
        data.configs.push_back(config);
    }
    const int errorCode = s.counters.errorCode;
    // The first sample's count is where the run stood when found: no news.
    if (!first && s.counters.failCount > lastFailCount) {
        RunReportFailure f;
        f.cycle = s.counters.cycleCount;
        f.at = s.counters.updateTime;
        f.failCount = s.counters.failCount;
        f.kinds = kindsOfBits(errorCode & ~lastErrorCode) | strokeTimeKinds(s);
        if (!f.kinds)
            f.standing = kindsOfBits(errorCode);
        data.failures.push_back(f);
    }
    lastFailCount = s.counters.failCount;
    lastErrorCode = errorCode;
    data.last = s;
}

bool configNumbersDiffer(const TesterState &a, const TesterState &b)
{
    const TesterConfig &x = a.reported, &y = b.reported;
    return x.maxDownTime != y.maxDownTime || x.minDownTime != y.minDownTime || x.maxUpTime != y.maxUpTime
           || x.minUpTime != y.minUpTime || x.cycleLimit != y.cycleLimit || x.seqLimit != y.seqLimit
           || x.failLimit != y.failLimit || x.contact != y.contact || x.upperBounce != y.upperBounce
           || x.lowerBounce != y.lowerBounce || x.rangePullUp != y.rangePullUp || x.rangeMode != y.rangeMode
           || x.maxUpResistTol != y.maxUpResistTol || x.minUpResistTol != y.minUpResistTol
           || x.maxDownResistTol != y.maxDownResistTol || x.minDownResistTol != y.minDownResistTol
           || x.maxDownBounceTol != y.maxDownBounceTol || x.maxUpBounceTol != y.maxUpBounceTol
           || a.identity.softwareVersion != b.identity.softwareVersion
           || a.identity.serialNumber != b.identity.serialNumber;
}

std::vector<RunReportPage> runReportPages(const RunReportData &data, int linesPerPage)
{
    linesPerPage = std::max(linesPerPage, 12);
    std::vector<RunReportPage> pages;
    addSection(pages, summarySection(data), linesPerPage);
    RunReportPage chart;
    chart.kind = RunReportPage::Chart;
    chart.lines << headingLine(QStringLiteral("The run"))
                << line({{0, QStringLiteral("Readings, bounce and stroke times and the failure count by cycle; "
                                            "red lines mark new failures.")}});
    pages.push_back(chart);
    addSection(pages, failureSection(data, linesPerPage), linesPerPage);
    addSection(pages, eventSection(data, linesPerPage), linesPerPage);
    RunReportPage last;
    last.kind = RunReportPage::LastSample;
    pages.push_back(last);
    return pages;
}

QString runReportFootLeft(const RunReportData &data)
{
    return QStringLiteral("S/N %1, run %2").arg(data.serialNumber).arg(data.runId);
}

QString runReportPageNumber(int page, int pages)
{
    return QStringLiteral("Page %1 of %2").arg(page).arg(pages);
}

qint64 cyclesToFirstFailure(const RunReportData &data)
{
    return data.failures.empty() ? -1 : data.failures.front().cycle;
}

QString failuresPer10000(qint64 failures, qint64 cycles)
{
    if (cycles <= 0)
        return QStringLiteral("-");
    return formatDecimal(double(failures) * 10000.0 / double(cycles), 2, 2);
}

QString failureKindsText(int kinds)
{
    static const struct
    {
        int kind;
        const char *text;
    } names[] = {
        {DownContactFailure, "down contact"},    {UpContactFailure, "up contact"},
        {DownBounceFailure, "down bounce"},      {UpBounceFailure, "up bounce"},
        {DownStrokeFailure, "down stroke time"}, {UpStrokeFailure, "up stroke time"},
    };
    QStringList texts;
    for (const auto &name : names)
        if (kinds & name.kind)
            texts << QString::fromLatin1(name.text);
    return texts.join(QStringLiteral(", "));
}
