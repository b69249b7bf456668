#pragma once

#include <QString>
#include <QStringList>

// The per-user settings store: text values by section and name.
// A missing value reads as empty text.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString &section, const QString &name) const = 0;
    virtual void write(const QString &section, const QString &name, const QString &value) = 0;
    virtual QStringList names(const QString &section) const = 0;   // sorted by text
};
