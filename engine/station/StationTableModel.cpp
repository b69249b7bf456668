#include "engine/station/StationTableModel.h"

#include "engine/datalog/DataLog.h"
#include "engine/run/RunGlance.h"
#include "engine/session/ShownDataFile.h"
#include "engine/session/TesterSession.h"
#include "engine/station/Station.h"

#include <QFileInfo>

namespace {

struct ColumnText
{
    const char *caption;
    const char *toolTip;
};

const ColumnText Columns[StationTableModel::ColumnCount] = {
    {"S/N", "The tester's serial number"},
    {"Port", "The port and device the tester answers on"},
    {"Link", "Since when the tester answers, or when its link was lost"},
    {"Run", "The run state as the tester last reported it"},
    {"Cycles", "The cycle count against the cycle limit"},
    {"Rate", "Cycles per hour, measured from the samples of this run"},
    {"To limit", "The estimated time until the cycle limit is reached"},
    {"Failures", "The fail count and the sequential fail count"},
    {"Data file", "The data file the tester's samples go to"},
};

}   // namespace

StationTableModel::StationTableModel(Station &station, QObject *parent) : QAbstractTableModel(parent), station(station)
{
    connect(&station, &Station::testerAboutToJoin, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(&station, &Station::testerJoined, this, [this] { endInsertRows(); });
    connect(&station, &Station::testerChanged, this,
            [this](int row) { Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1)); });
}

int StationTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : station.count();
}

int StationTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString StationTableModel::cellText(const StationTester &tester, int column)
{
    const TesterSession &session = tester.session();
    const TesterState &s = session.state();
    const RunGlance &summary = session.glance();
    // The last sample's values stay after the link is lost.
    const bool sampled = !session.trendHistory().empty();
    switch (column) {
    case SerialColumn:
        return s.identity.serialNumber.trimmed().isEmpty() ? QLatin1String(NotKnownText) : s.identity.serialNumber;
    case PortColumn: return portNameText(summary.port(), summary.device());
    case LinkColumn: {
        const QString warning = summary.linkWarning(s, summary.clock());
        return warning.isEmpty() ? summary.linkStateText() : warning;
    }
    case RunColumn: return summary.runText(s);
    case CyclesColumn:
        return sampled ? cycleCountText(s.counters.cycleCount, s.reported.cycleLimit) : QLatin1String(NotKnownText);
    case RateColumn: return summary.rateText();
    case ToLimitColumn: return summary.timeToLimitText(s);
    case FailuresColumn: return sampled ? failuresText(s) : QLatin1String(NotKnownText);
    case DataFileColumn: {
        const ShownDataFile file = shownDataFile(session);
        return file.open() ? QFileInfo(file.path).fileName() : QStringLiteral("Not logging");
    }
    default: return QString();
    }
}

QVariant StationTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= station.count() || index.column() >= ColumnCount)
        return QVariant();
    const StationTester &tester = station.tester(index.row());
    const bool lost = tester.session().glance().link().alarm();
    switch (role) {
    case Qt::DisplayRole: return cellText(tester, index.column());
    case Qt::AccessibleTextRole: {
        // The marks a view draws are told in words to a screen reader.
        QString text = cellText(tester, index.column());
        if (index.column() == FailuresColumn && tester.newFailure())
            text += QStringLiteral(", new failure");
        if (index.column() == SerialColumn && lost)
            text += QStringLiteral(", link lost");
        return text;
    }
    case Qt::AccessibleDescriptionRole:
    case Qt::ToolTipRole: return QLatin1String(Columns[index.column()].toolTip);
    case LinkLostRole: return lost;
    case NewFailureRole: return tester.newFailure();
    case CycleShareRole: {
        const TesterState &s = tester.session().state();
        return tester.session().trendHistory().empty() ? -1.0
                                                       : cycleShare(s.counters.cycleCount, s.reported.cycleLimit);
    }
    default: return QVariant();
    }
}

QVariant StationTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return QLatin1String(Columns[section].caption);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: return QLatin1String(Columns[section].toolTip);
    default: return QVariant();
    }
}
