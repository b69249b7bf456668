#include "MemorySettingsStore.h"

QString MemorySettingsStore::read(const QString &section, const QString &name) const
{
    return sections.value(section).value(name);
}

void MemorySettingsStore::write(const QString &section, const QString &name, const QString &value)
{
    sections[section][name] = value;
}

QStringList MemorySettingsStore::names(const QString &section) const
{
    return sections.value(section).keys();   // QMap keys come sorted
}
