#pragma once

#include "engine/preferences/SettingsStore.h"

#include <QtCore>

// Settings kept in memory, so tests start from a known store and can look
// at what was written.
class MemorySettingsStore : public SettingsStore
{
public:
    QString read(const QString &section, const QString &name) const override
    {
        return sections.value(section).value(name);
    }
    void write(const QString &section, const QString &name, const QString &value) override
    {
        sections[section][name] = value;
    }
    QStringList names(const QString &section) const override
    {
        return sections.value(section).keys();   // QMap keys come sorted
    }

private:
    QMap<QString, QMap<QString, QString>> sections;
};
