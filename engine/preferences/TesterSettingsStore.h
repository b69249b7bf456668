#pragma once

#include "engine/preferences/SettingsStore.h"

// One tester's view of the program's settings, for a program that drives
// several. The tester's own sections (its recent data files and the place
// of its window) live apart for each serial number, under
// "Testers/<serial number>/<section>"; every other section is the program's
// own and stays shared. Until its serial number is known the tester's own
// sections read empty and take no writes.
class TesterSettingsStore : public SettingsStore
{
public:
    explicit TesterSettingsStore(SettingsStore &shared) : shared(shared) {}

    // The tester's serial number, as it reported it; false when it is the
    // one already in use.
    bool setSerialNumber(const QString &serialNumber);
    bool keyed() const { return !key.isEmpty(); }

    QString read(const QString &section, const QString &name) const override;
    void write(const QString &section, const QString &name, const QString &value) override;
    QStringList names(const QString &section) const override;

    static bool isTesterSection(const QString &section);
    // The serial number as a settings key: letters and digits kept, anything
    // else "_", so that no reply can reach outside the tester's sections.
    static QString keyFor(const QString &serialNumber);

private:
    QString testerSection(const QString &section) const;

    SettingsStore &shared;
    QString serial;
    QString key;
};
