#include "platform/QtSettingsStore.h"

namespace {

QSettings::Format platformFormat()
{
#ifdef Q_OS_WIN
    return QSettings::NativeFormat;
#else
    return QSettings::IniFormat;
#endif
}

}   // namespace

QtSettingsStore::QtSettingsStore()
    : settings(platformFormat(), QSettings::UserScope, QStringLiteral("RuqLifeCycle"), QStringLiteral("RuqLifeCycle"))
{
}

QString QtSettingsStore::read(const QString &section, const QString &name) const
{
    return settings.value(section + QLatin1Char('/') + name).toString();
}

void QtSettingsStore::write(const QString &section, const QString &name, const QString &value)
{
    settings.setValue(section + QLatin1Char('/') + name, value);
    // Written at once: a recent file must survive a program that is killed.
    settings.sync();
}

QStringList QtSettingsStore::names(const QString &section) const
{
    settings.beginGroup(section);
    QStringList keys = settings.childKeys();
    settings.endGroup();
    keys.sort();
    return keys;
}

QString QtSettingsStore::fileName() const
{
    return settings.fileName();
}
