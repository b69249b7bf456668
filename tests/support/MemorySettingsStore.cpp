#include "MemorySettingsStore.h"

QString MemorySettingsStore::read(const QString &section, const QString &name) const
{
    return sections.value(section).value(name);
}

void MemorySettingsStore::write(const QString &section, const QString &name, const QString &value)
{
    sections[section][name] = value;
    ++writes;
}

QStringList MemorySettingsStore::names(const QString &section) const
{
    return sections.value(section).keys();   // QMap keys come sorted
}

bool MemorySettingsStore::contains(const QString &section, const QString &name) const
{
    return sections.value(section).contains(name);
}
