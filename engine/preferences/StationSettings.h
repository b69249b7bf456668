#pragma once

#include <QList>

class SettingsStore;

// The program's own settings for driving several testers, shared by all of
// them, in the section "Station".
class StationSettings
{
public:
    explicit StationSettings(SettingsStore &store) : store(store) {}

    // "Drive every tester found": the program goes on searching after it
    // found a tester, and gives each tester found its own row.
    bool driveEveryTester() const;
    void setDriveEveryTester(bool on);

    // The widths of the Station window's columns, in pixels; a column whose
    // width is missing or damaged reads as -1.
    QList<int> columnWidths(int columns) const;
    void setColumnWidths(const QList<int> &widths);

    static constexpr int NarrowestColumn = 8;
    static constexpr int WidestColumn = 4000;

private:
    SettingsStore &store;
};
