#pragma once

#include "engine/preferences/SettingsStore.h"

#include <QSettings>

// The per-user settings of "RuqLifeCycle": the registry on Windows, an ini
// file in the user's configuration folder elsewhere
// ($XDG_CONFIG_HOME/RuqLifeCycle/RuqLifeCycle.ini). Values are text under
// "Section/Name".
class QtSettingsStore : public SettingsStore
{
public:
    QtSettingsStore();

    QString read(const QString &section, const QString &name) const override;
    void write(const QString &section, const QString &name, const QString &value) override;
    QStringList names(const QString &section) const override;

    QString fileName() const;   // where the values live, for messages and tests

private:
    mutable QSettings settings;   // groups are entered even to read
};
