#pragma once

#include <QAbstractTableModel>

class Station;
class StationTester;

// The station at a glance: one row per tester, in the order of the ports,
// built from each tester's state record, run summary and data log. Rows
// change as their testers report; a window shows them (the Station window),
// and so could any other view.
class StationTableModel : public QAbstractTableModel
{
public:
    enum Column {
        SerialColumn,
        PortColumn,
        LinkColumn,
        RunColumn,
        CyclesColumn,
        RateColumn,
        ToLimitColumn,
        FailuresColumn,
        DataFileColumn,
        ColumnCount
    };
    // Marks a view draws in its own way: a lost link, a failure nobody has
    // seen, and how much of the cycle limit is done (0 to 1, -1 when there
    // is no limit), for a progress bar.
    enum Role { LinkLostRole = Qt::UserRole + 1, NewFailureRole, CycleShareRole };

    explicit StationTableModel(Station &station, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text of one cell.
    static QString cellText(const StationTester &tester, int column);

private:
    Station &station;
};
