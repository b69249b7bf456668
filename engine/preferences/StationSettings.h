#pragma once

#include <QList>

class SettingsStore;

// The Station window's own settings, in the section "Station" (whether the
// program drives every tester found is one of its preferences, Registry).
class StationSettings
{
public:
    explicit StationSettings(SettingsStore &store) : store(store) {}

    // The widths of the Station window's columns, in pixels; a column whose
    // width is missing or damaged reads as -1.
    QList<int> columnWidths(int columns) const;
    void setColumnWidths(const QList<int> &widths);

    static constexpr int NarrowestColumn = 8;
    static constexpr int WidestColumn = 4000;

private:
    SettingsStore &store;
};
